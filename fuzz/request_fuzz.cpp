// A command line: its tail, the request form, and a bare media path's kind and name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/request_text.h"
#include "playlist/playlist_text.h"

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static bool IsSeparator(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* line = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(line, data, size);
    line[size] = '\0';
    size_t length = std::strlen(line);

    const char* tail = CommandLineTail(line);
    Check(tail >= line && tail <= line + length);
    Check(!IsSeparator(*tail));
    // Only a quoted name can be followed directly by its tail.
    if (tail > line && *tail != '\0' && !IsSeparator(tail[-1]))
        Check(line[0] == '"' && tail[-1] == '"');

    size_t tailLength = std::strlen(tail);
    RequestForm form = ClassifyRequest(tail);
    if (form == REQUEST_LOAD || form == REQUEST_PLAY) {
        Check(tailLength >= static_cast<size_t>(REQUEST_PREFIX_LENGTH));
        Check(std::memcmp(tail, form == REQUEST_LOAD ? "/load " : "/play ", REQUEST_PREFIX_LENGTH) == 0);
        const char* name = RequestFileName(tail);
        Check(name == tail + REQUEST_PREFIX_LENGTH && name + std::strlen(name) == tail + tailLength);
    } else {
        Check(std::strncmp(tail, "/load ", 6) != 0 && std::strncmp(tail, "/play ", 6) != 0);
        EntryKind kind = ClassifyEntryText(tail);
        Check(kind >= ENTRY_CD_TRACK && kind <= ENTRY_OTHER);
        if (tailLength < 4)
            Check(kind == ENTRY_OTHER);
        LeadBytes singleByte;
        FillLeadBytes(&singleByte, nullptr, 0);
        const char* name = NameAfterLastBackslash(tail, singleByte);
        Check(name >= tail && name <= tail + tailLength);
        Check(std::strchr(name, '\\') == nullptr);
        Check(name == tail || name[-1] == '\\');
    }
    std::free(line);
    return 0;
}
