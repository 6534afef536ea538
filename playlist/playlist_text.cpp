#include "playlist_text.h"

#include <cstdio>
#include <cstring>

#include "../playback/playback_text.h"

const char PLAYLIST_HEADER[] = "[VIREO 1.0]";
const char PLAYLIST_EXTENSION[] = ".VireoList";

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static bool EndsWithNoCase(const char* text, size_t length, const char* ending)
{
    const char* tail = text + length - 4;
    for (int i = 0; i < 4; ++i)
        if (LowerAscii(tail[i]) != ending[i])
            return false;
    return true;
}

EntryKind ClassifyEntryText(const char* text)
{
    size_t length = std::strlen(text);
    if (length < 4)
        return ENTRY_OTHER;
    if (EndsWithNoCase(text, length, ".cda"))
        return ENTRY_CD_TRACK;
    if (EndsWithNoCase(text, length, ".mid") || EndsWithNoCase(text, length, ".rmi"))
        return ENTRY_MIDI;
    if (EndsWithNoCase(text, length, ".wav"))
        return ENTRY_WAVE;
    if (EndsWithNoCase(text, length, ".avi"))
        return ENTRY_VIDEO;
    return ENTRY_OTHER;
}

void FillLeadBytes(LeadBytes* leads, const unsigned char* ranges, size_t size)
{
    std::memset(leads->lead, 0, sizeof leads->lead);
    for (size_t i = 0; i + 1 < size && (ranges[i] != 0 || ranges[i + 1] != 0); i += 2) {
        // The zero byte ends a text and never opens a character.
        for (unsigned byte = ranges[i] != 0 ? ranges[i] : 1; byte <= ranges[i + 1]; ++byte)
            leads->lead[byte] = true;
    }
}

// A lead byte right before the end (a text cut short) stands alone.
static const char* NextCharacter(const char* p, const LeadBytes& leads)
{
    return leads.lead[static_cast<unsigned char>(*p)] && p[1] != '\0' ? p + 2 : p + 1;
}

const char* NameAfterLastBackslash(const char* text, const LeadBytes& leads)
{
    const char* name = text;
    for (const char* p = text; *p != '\0'; p = NextCharacter(p, leads)) {
        if (*p == '\\')
            name = p + 1;
    }
    return name;
}

bool FindCdTrackNumber(const char* text, int32_t* track)
{
    const char* p = text;
    while (*p != '\0' && (*p < '0' || *p > '9'))
        ++p;
    if (*p == '\0')
        return false;
    *track = ParseReplyInteger(p);
    return true;
}

void FormatCdTrackName(char* out, size_t capacity, int32_t track)
{
    std::snprintf(out, capacity, "CD track #%d", static_cast<int>(track));
}

bool HasPlaylistHeader(const char* text)
{
    return std::strncmp(text, PLAYLIST_HEADER, PLAYLIST_HEADER_LENGTH) == 0;
}

char* FirstPlaylistLine(char* text, size_t size)
{
    return size >= PLAYLIST_HEADER_LENGTH + 2 ? text + PLAYLIST_HEADER_LENGTH + 2 : nullptr;
}

char* TakePlaylistLine(char** cursor, char* end)
{
    char* line = *cursor;
    if (line == nullptr || line >= end || *line == '\0')
        return nullptr;
    // The search starts one past the cursor: a line's first character never ends it.
    char* cr = std::strchr(line + 1, '\r');
    if (cr == nullptr) {
        *cursor = nullptr;
    } else {
        *cr = '\0';
        *cursor = (cr + 2 <= end) ? cr + 2 : nullptr;
    }
    return line;
}

bool AppendPlaylistExtension(char* name, size_t capacity)
{
    size_t length = std::strlen(name);
    size_t extension = sizeof(PLAYLIST_EXTENSION) - 1;
    if (length + extension + 1 > capacity)
        return false;
    std::memcpy(name + length, PLAYLIST_EXTENSION, extension + 1);
    return true;
}
