// A mailbox text: its kind, display name (read as a single-byte text and as a
// code page 932 text), CD track number and that track's name.
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

// The name lies on a character boundary, holds no backslash character, and
// follows one unless it is the whole text.
static void CheckDisplayName(const char* text, const LeadBytes& leads)
{
    const char* name = NameAfterLastBackslash(text, leads);
    Check(name >= text && name <= text + std::strlen(text));
    bool onBoundary = (name == text);
    for (const char* p = text; *p != '\0';) {
        bool pair = leads.lead[static_cast<unsigned char>(*p)] && p[1] != '\0';
        const char* next = p + (pair ? 2 : 1);
        bool backslash = !pair && *p == '\\';
        if (next == name) {
            Check(backslash);
            onBoundary = true;
        }
        if (p >= name)
            Check(!backslash);
        p = next;
    }
    Check(onBoundary);
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
    LeadBytes leads;
    FillLeadBytes(&leads, nullptr, 0);
    CheckDisplayName(text, leads);
    static const unsigned char CP932_RANGES[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    FillLeadBytes(&leads, CP932_RANGES, sizeof CP932_RANGES);
    CheckDisplayName(text, leads);

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
