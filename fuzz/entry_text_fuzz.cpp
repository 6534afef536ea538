// A mailbox text: its kind, display name, CD track number and that track's name.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "playlist/playlist_text.h"
#include "shell/shell_text.h"

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static EntryKind ReferenceKind(const char* text)
{
    size_t length = std::strlen(text);
    if (length < 4)
        return ENTRY_OTHER;
    char ending[5];
    for (int i = 0; i < 4; ++i)
        ending[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[length - 4 + i])));
    ending[4] = '\0';
    if (std::strcmp(ending, ".cda") == 0)
        return ENTRY_CD_TRACK;
    if (std::strcmp(ending, ".mid") == 0 || std::strcmp(ending, ".rmi") == 0)
        return ENTRY_MIDI;
    if (std::strcmp(ending, ".wav") == 0)
        return ENTRY_WAVE;
    if (std::strcmp(ending, ".avi") == 0)
        return ENTRY_VIDEO;
    return ENTRY_OTHER;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* raw = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(raw, data, size);
    raw[size] = '\0';
    // As the receiver reads the slot: at most 258 characters arrive.
    char* text = static_cast<char*>(std::malloc(MAILBOX_CAPACITY));
    CopyBounded(text, MAILBOX_CAPACITY, raw);
    size_t length = std::strlen(text);
    Check(length < static_cast<size_t>(MAILBOX_CAPACITY));

    Check(ClassifyEntryText(text) == ReferenceKind(text));
    const char* name = NameAfterLastBackslash(text);
    Check(name >= text && name <= text + length && std::strchr(name, '\\') == nullptr);

    const char* digit = std::strpbrk(text, "0123456789");
    int32_t track = 0;
    bool found = FindCdTrackNumber(text, &track);
    Check(found == (digit != nullptr));
    if (found) {
        uint32_t expected = 0;
        for (const char* p = digit; *p >= '0' && *p <= '9'; ++p)
            expected = expected * 10u + static_cast<uint32_t>(*p - '0');
        Check(track == static_cast<int32_t>(expected));

        char* display = static_cast<char*>(std::malloc(TEXT_CAPACITY));
        FormatCdTrackName(display, TEXT_CAPACITY, track);
        char reference[32];
        std::snprintf(reference, sizeof reference, "CD track #%d", static_cast<int>(track));
        Check(std::strcmp(display, reference) == 0);
        std::free(display);
    }
    std::free(text);
    std::free(raw);
    return 0;
}
