#include "playlist_text.h"

#include <cstdio>
#include <cstring>

#include "../playback/playback_text.h"

const char PLAYLIST_HEADER[] = "[VIREO 1.0]";
const char PLAYLIST_EXTENSION[] = ".VireoList";
const char M3U8_EXTENSION[] = ".m3u8";
static const char PATTERN_PREFIX[] = "*.";

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

// The length of the UTF-8 sequence at text, or 0 when none starts there:
// overlong forms, surrogates and code points past U+10FFFF are no UTF-8.
static size_t Utf8SequenceLength(const unsigned char* text)
{
    unsigned char lead = text[0];
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text[1] < low || text[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (text[i] < 0x80 || text[i] > 0xBF)
            return 0;
    return length;
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
        size_t length = Utf8SequenceLength(p);
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

static bool EqualNoCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    return *a == *b;
}

// After the last dot, with no backslash after it; a dot is never the second
// byte of a double-byte character.
static const char* NameExtension(const char* name)
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

static bool ListHas(const char* list, const char* extension)
{
    for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1)
        if (EqualNoCase(item, extension))
            return true;
    return false;
}

bool AddExtensionToList(char* list, size_t capacity, const char* extension)
{
    if (*extension == '\0' || ListHas(list, extension))
        return true;
    size_t used = 0;
    while (list[used] != '\0')
        used += std::strlen(list + used) + 1;
    size_t length = std::strlen(extension);
    // The item, its zero and the list's closing zero.
    if (used + length + 2 > capacity)
        return false;
    std::memcpy(list + used, extension, length + 1);
    list[used + length + 1] = '\0';
    return true;
}

bool HasListedExtension(const char* name, const char* list)
{
    const char* extension = NameExtension(name);
    return extension != nullptr && ListHas(list, extension);
}

bool JoinFolderPath(char* out, size_t capacity, const char* folder, const char* name)
{
    size_t folderLength = std::strlen(folder);
    bool separator = folderLength > 0 && folder[folderLength - 1] != '\\';
    size_t nameLength = std::strlen(name);
    if (folderLength + (separator ? 1 : 0) + nameLength + 1 > capacity)
        return false;
    std::memcpy(out, folder, folderLength);
    if (separator)
        out[folderLength++] = '\\';
    std::memcpy(out + folderLength, name, nameLength + 1);
    return true;
}

bool AppendFilterText(char* filter, size_t capacity, size_t* used, const char* text)
{
    size_t length = std::strlen(text);
    // The text, its zero and the filter's closing zero.
    if (*used + length + 2 > capacity)
        return false;
    std::memcpy(filter + *used, text, length + 1);
    *used += length + 1;
    filter[*used] = '\0';
    return true;
}

void FormatExtensionPattern(char* out, size_t capacity, const char* list)
{
    if (capacity == 0)
        return;
    size_t used = 0;
    out[0] = '\0';
    for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1) {
        size_t separator = used > 0 ? 1 : 0;
        size_t length = std::strlen(item);
        if (used + separator + (sizeof PATTERN_PREFIX - 1) + length + 1 > capacity)
            return;
        if (separator)
            out[used++] = ';';
        std::memcpy(out + used, PATTERN_PREFIX, sizeof PATTERN_PREFIX - 1);
        used += sizeof PATTERN_PREFIX - 1;
        std::memcpy(out + used, item, length + 1);
        used += length;
    }
}

// Every text of an Explorer-style list ends inside the capacity, and so
// does the empty text that closes it.
static bool ListEndsInside(const char* names, const char* end)
{
    const char* p = names;
    while (p < end && *p != '\0') {
        while (p < end && *p != '\0')
            ++p;
        if (p == end)
            return false;
        ++p;
    }
    return p < end;
}

bool ReadChosenFiles(ChosenFiles* chosen, const char* buffer, size_t capacity, size_t fileOffset)
{
    chosen->folder = buffer;
    chosen->folderLength = 0;
    chosen->next = nullptr;
    chosen->end = buffer + capacity;
    chosen->oldStyle = false;
    size_t first = 0;
    while (first < capacity && buffer[first] != '\0')
        ++first;
    if (first == 0 || first == capacity)
        return false;
    if (fileOffset > 0 && fileOffset < first) {
        chosen->next = buffer;
        // The old style puts a blank before the first of several names.
        if (buffer[fileOffset - 1] == ' ') {
            chosen->oldStyle = true;
            chosen->folderLength = fileOffset - 1;
            chosen->next = buffer + fileOffset;
            chosen->end = buffer + first;
        }
        return true;
    }
    // Wine answers a selection that did not fit with the names it could take
    // and no folder, or with the list cut short and no closing zero.
    if (fileOffset != first + 1 || !ListEndsInside(buffer + fileOffset, chosen->end))
        return false;
    chosen->folderLength = first;
    chosen->next = buffer + fileOffset;
    return true;
}

// The folder, a backslash unless it ends in one, and the name.
static bool JoinChosenPath(char* path, size_t capacity, const ChosenFiles& chosen, const char* name, size_t length)
{
    size_t folder = chosen.folderLength;
    bool separator = folder > 0 && chosen.folder[folder - 1] != '\\';
    if (folder + (separator ? 1 : 0) + length + 1 > capacity)
        return false;
    std::memcpy(path, chosen.folder, folder);
    if (separator)
        path[folder++] = '\\';
    std::memcpy(path + folder, name, length);
    path[folder + length] = '\0';
    return true;
}

bool TakeChosenFile(ChosenFiles* chosen, char* path, size_t capacity)
{
    while (chosen->next != nullptr) {
        const char* name = chosen->next;
        size_t length;
        if (chosen->oldStyle) {
            while (name < chosen->end && *name == ' ')
                ++name;
            const char* stop = name;
            while (stop < chosen->end && *stop != ' ')
                ++stop;
            length = static_cast<size_t>(stop - name);
            chosen->next = stop < chosen->end ? stop : nullptr;
            if (length == 0)
                continue;
        } else {
            length = std::strlen(name);
            if (length == 0) {
                chosen->next = nullptr;
                return false;
            }
            // One full path: the folder is part of it.
            chosen->next = chosen->folderLength > 0 ? name + length + 1 : nullptr;
        }
        if (JoinChosenPath(path, capacity, *chosen, name, length))
            return true;
    }
    return false;
}
