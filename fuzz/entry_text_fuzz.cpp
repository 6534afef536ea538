// A mailbox text: its kind, display name (read as a single-byte text and as a
// code page 932 text), CD track number and that track's name; and, as a
// dropped name, its extension against a list, and a path joined to it.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

static std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The text's parts between semicolons make the list, in a buffer just large
// enough for some of them; the text's own extension is then looked up in it.
static void CheckDroppedName(const char* text)
{
    const size_t capacity = 24;
    char* list = static_cast<char*>(std::malloc(capacity));
    list[0] = '\0';
    std::string listed = ";";
    std::string all(text);
    for (size_t start = 0; start <= all.size();) {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        std::string part = all.substr(start, end - start);
        if (AddExtensionToList(list, capacity, part.c_str()) && !part.empty())
            listed += Lower(part) + ";";
        start = end + 1;
    }
    size_t dot = all.rfind('.');
    std::string extension = dot == std::string::npos ? "" : Lower(all.substr(dot + 1));
    bool expected = !extension.empty() && extension.find('\\') == std::string::npos &&
                    extension.find(';') == std::string::npos &&
                    listed.find(";" + extension + ";") != std::string::npos;
    Check(HasListedExtension(text, list) == expected);
    std::free(list);

    PlaylistKind playlist = ClassifyPlaylistName(text);
    bool noBackslash = extension.find('\\') == std::string::npos;
    Check((playlist == PLAYLIST_VIREO) == (noBackslash && extension == "vireolist"));
    Check((playlist == PLAYLIST_M3U) == (noBackslash && extension == "m3u"));
    Check((playlist == PLAYLIST_M3U8) == (noBackslash && extension == "m3u8"));
    Check((playlist == PLAYLIST_PLS) == (noBackslash && extension == "pls"));

    char* path = static_cast<char*>(std::malloc(MAILBOX_CAPACITY));
    std::string joined = all + (all.empty() || all.back() == '\\' ? "" : "\\") + "x.wav";
    bool fits = JoinFolderPath(path, MAILBOX_CAPACITY, text, "x.wav");
    Check(fits == (joined.size() < static_cast<size_t>(MAILBOX_CAPACITY)));
    if (fits)
        Check(joined == path);
    std::free(path);
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
    CheckDroppedName(text);
    std::free(text);
    std::free(raw);
    return 0;
}
