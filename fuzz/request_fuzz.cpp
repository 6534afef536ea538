// A command line: its tail, the request form, the playlist name or the list of
// paths it carries, and a bare media path's kind and name; and the same bytes
// as an execute from Explorer, read into the request it becomes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/dde_text.h"
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

// An execute need not end in a zero; what it becomes is a request of the
// form its command line would have.
static void CheckExecute(const uint8_t* data, size_t size)
{
    // Exactly the capacity, on the heap, so that an overrun shows.
    char* request = static_cast<char*>(std::malloc(EXECUTE_REQUEST_CAPACITY));
    const char* execute = reinterpret_cast<const char*>(data);
    ExecuteForm form = ReadExecute(execute, size, request, EXECUTE_REQUEST_CAPACITY);
    size_t length = strnlen(request, EXECUTE_REQUEST_CAPACITY);
    Check(length < EXECUTE_REQUEST_CAPACITY);
    if (form != EXECUTE_REQUEST) {
        Check(length == 0);
    } else {
        RequestForm requestForm = ClassifyRequest(request);
        Check(requestForm == REQUEST_PATHS || requestForm == REQUEST_PLAY || requestForm == REQUEST_LOAD);
        char item[EXECUTE_REQUEST_CAPACITY];
        const char* cursor = request;
        if (requestForm == REQUEST_PATHS) {
            Check(TakeRequestPath(&cursor, item, sizeof item));
            Check(!TakeRequestPath(&cursor, item, sizeof item));
        } else {
            RequestFileName(request, item, sizeof item);
            Check(item[0] != '\0' && std::strchr(item, '"') == nullptr);
        }
    }
    std::free(request);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckExecute(data, size);

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
    bool quoted = std::strchr(tail, '"') != nullptr;
    RequestForm form = ClassifyRequest(tail);
    if (form == REQUEST_LOAD || form == REQUEST_PLAY) {
        Check(tailLength >= static_cast<size_t>(REQUEST_PREFIX_LENGTH));
        Check(std::memcmp(tail, form == REQUEST_LOAD ? "/load " : "/play ", REQUEST_PREFIX_LENGTH) == 0);
        // A small buffer, so that an overrun shows.
        char name[16];
        RequestFileName(tail, name, sizeof name);
        size_t nameLength = std::strlen(name);
        Check(nameLength < sizeof name);
        Check(std::strchr(name, '"') == nullptr);
        if (!quoted && nameLength > 0)
            Check(std::strcmp(name, tail + REQUEST_PREFIX_LENGTH) == 0);
    } else if (form == REQUEST_PATHS) {
        Check(quoted);
        char item[8];
        const char* cursor = tail;
        size_t items = 0;
        while (TakeRequestPath(&cursor, item, sizeof item)) {
            Check(cursor > tail && cursor <= tail + tailLength);
            size_t itemLength = std::strlen(item);
            Check(itemLength > 0 && itemLength < sizeof item);
            Check(std::strchr(item, '"') == nullptr);
            ClassifyPlaylistName(item);
            Check(++items <= tailLength);
        }
        Check(*cursor == '\0');
    } else {
        Check(!quoted);
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
