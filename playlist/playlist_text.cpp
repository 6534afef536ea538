#include "playlist_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../playback/playback_text.h"
#include "text_chars.h"

const char PLAYLIST_HEADER[] = "[VIREO 1.0]";
const char PLAYLIST_EXTENSION[] = ".VireoList";
const char M3U8_EXTENSION[] = ".m3u8";

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

StoredEncoding ClassifyStoredText(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    StoredEncoding encoding = STORED_ASCII;
    while (*p != 0) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        size_t length = Utf8SequenceLength(p, static_cast<size_t>(-1));
        if (length == 0)
            return STORED_LEGACY;
        encoding = STORED_UTF8;
        p += length;
    }
    return encoding;
}

bool AppendNameExtension(char* name, size_t capacity, const char* extension)
{
    size_t length = std::strlen(name);
    size_t added = std::strlen(extension);
    if (length + added + 1 > capacity)
        return false;
    std::memcpy(name + length, extension, added + 1);
    return true;
}

bool AppendPlaylistExtension(char* name, size_t capacity)
{
    return AppendNameExtension(name, capacity, PLAYLIST_EXTENSION);
}

// A dot is never the second byte of a double-byte character.
const char* NameExtension(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && dot[1] != '\0' && std::strchr(dot, '\\') == nullptr ? dot + 1 : nullptr;
}

PlaylistKind ClassifyPlaylistName(const char* path)
{
    static const struct {
        const char* extension;
        PlaylistKind kind;
    } kinds[] = {{PLAYLIST_EXTENSION + 1, PLAYLIST_VIREO}, {"m3u", PLAYLIST_M3U}, {M3U8_EXTENSION + 1, PLAYLIST_M3U8},
                 {"pls", PLAYLIST_PLS}};
    const char* extension = NameExtension(path);
    if (extension == nullptr)
        return PLAYLIST_NONE;
    for (const auto& known : kinds)
        if (EqualNoCase(extension, known.extension))
            return known.kind;
    return PLAYLIST_NONE;
}

// ---- Lines -------------------------------------------------------------------

static const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

char* SkipByteOrderMark(char* text, char* end)
{
    size_t mark = sizeof BYTE_ORDER_MARK - 1;
    if (static_cast<size_t>(end - text) >= mark && std::strncmp(text, BYTE_ORDER_MARK, mark) == 0)
        return text + mark;
    return text;
}

bool TakeTextLine(char** cursor, char* end, TextLine* line)
{
    char* start = *cursor;
    if (start == nullptr || start >= end)
        return false;
    char* stop = start;
    while (stop < end && *stop != '\r' && *stop != '\n')
        ++stop;
    char* next = stop;
    if (next < end)
        next += (*next == '\r' && next + 1 < end && next[1] == '\n') ? 2 : 1;
    *cursor = next;
    line->ended = stop < end;
    *stop = '\0';
    line->text = start;
    line->length = static_cast<size_t>(stop - start);
    return true;
}

bool TakeTrimmedLine(char** cursor, char* end, TextLine* line)
{
    if (!TakeTextLine(cursor, end, line))
        return false;
    char* start = line->text;
    char* stop = start + line->length;
    while (stop > start && IsBlank(stop[-1]))
        --stop;
    while (start < stop && IsBlank(*start))
        ++start;
    *stop = '\0';
    line->text = start;
    line->length = static_cast<size_t>(stop - start);
    return true;
}

void FormatPassedOverText(char* out, size_t capacity, unsigned long count, PassedOverLines what)
{
    static const char* const ONE[] = {"Passed over 1 line that names nothing Vireo can play.",
                                      "Passed over 1 line of the kept playlist that could not be read."};
    static const char* const MANY[] = {"Passed over %lu lines that name nothing Vireo can play.",
                                       "Passed over %lu lines of the kept playlist that could not be read."};
    if (count == 1)
        std::snprintf(out, capacity, "%s", ONE[what]);
    else
        std::snprintf(out, capacity, MANY[what], count);
}

// ---- Growing texts -----------------------------------------------------------

static bool Reserve(GrowingText* out, size_t more)
{
    if (out->failed)
        return false;
    if (out->length + more <= out->capacity)
        return true;
    size_t capacity = out->capacity > 0 ? out->capacity : 4096;
    while (capacity < out->length + more)
        capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(out->text, capacity));
    if (grown == nullptr) {
        out->failed = true;
        return false;
    }
    out->text = grown;
    out->capacity = capacity;
    return true;
}

void AppendToText(GrowingText* out, const char* bytes, size_t count)
{
    if (Reserve(out, count)) {
        std::memcpy(out->text + out->length, bytes, count);
        out->length += count;
    }
}

void AppendLineToText(GrowingText* out, const char* line)
{
    AppendToText(out, line, std::strlen(line));
    AppendToText(out, "\r\n", 2);
}

void FreeGrowingText(GrowingText* out)
{
    std::free(out->text);
    *out = GrowingText{nullptr, 0, 0, false};
}
