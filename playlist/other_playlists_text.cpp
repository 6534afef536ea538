#include "other_playlists_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text_chars.h"

static const char PLS_HEADER[] = "[playlist]";
static const char PLS_FILE_KEY[] = "file";
static const char FILE_SCHEME[] = "file:";
static const char LOCAL_HOST[] = "localhost";
static const size_t FIRST_PLS_CAPACITY = 64;
static const char EXTINF_TAG[] = "#extinf:";
// A day's worth and more: no entry of a queue, and no overflow in milliseconds.
static const long long MOST_EXTINF_SECONDS = 2000000;

// Whether text starts with the lower-case word, in any case.
static bool StartsWithNoCase(const char* text, size_t length, const char* word)
{
    size_t wordLength = std::strlen(word);
    if (length < wordLength)
        return false;
    for (size_t i = 0; i < wordLength; ++i)
        if (LowerAscii(text[i]) != word[i])
            return false;
    return true;
}

bool TakeM3uPathLine(char** cursor, char* end, TextLine* line)
{
    M3uEntryInfo info;
    return TakeM3uEntry(cursor, end, line, &info);
}

// Seconds, perhaps with a fraction, then attributes whose quoted values may
// hold commas, then a comma and the title.
static void ReadExtinf(const TextLine& line, M3uEntryInfo* info)
{
    const char* p = line.text + sizeof EXTINF_TAG - 1;
    const char* end = line.text + line.length;
    bool negative = p < end && *p == '-';
    if (negative)
        ++p;
    long long seconds = 0;
    const char* digits = p;
    for (; p < end && IsDigit(*p) && seconds < MOST_EXTINF_SECONDS; ++p)
        seconds = seconds * 10 + (*p - '0');
    info->lengthMs = !negative && p > digits && seconds < MOST_EXTINF_SECONDS ? static_cast<int32_t>(seconds * 1000) : -1;
    bool quoted = false;
    for (; p < end && (quoted || *p != ','); ++p)
        if (*p == '"')
            quoted = !quoted;
    if (p < end) {
        info->title = p + 1;
        info->titleLength = static_cast<size_t>(end - p - 1);
    }
}

bool TakeM3uEntry(char** cursor, char* end, TextLine* line, M3uEntryInfo* info)
{
    *info = M3uEntryInfo{-1, nullptr, 0};
    while (TakeTrimmedLine(cursor, end, line)) {
        if (line->length > 0 && line->text[0] != '#')
            return true;
        if (StartsWithNoCase(line->text, line->length, EXTINF_TAG)) {
            *info = M3uEntryInfo{-1, nullptr, 0};
            ReadExtinf(*line, info);
        }
    }
    return false;
}

static bool IsPlsHeader(const TextLine& line)
{
    return line.length == sizeof PLS_HEADER - 1 && StartsWithNoCase(line.text, line.length, PLS_HEADER);
}

// "FileN=value", the key in any case, blanks allowed around the '='.
static bool ReadPlsFileLine(const TextLine& line, PlsEntry* entry)
{
    size_t key = sizeof PLS_FILE_KEY - 1;
    if (!StartsWithNoCase(line.text, line.length, PLS_FILE_KEY))
        return false;
    size_t at = key;
    while (at < line.length && IsDigit(line.text[at]))
        ++at;
    if (at == key)
        return false;
    entry->number = line.text + key;
    entry->numberLength = at - key;
    while (at < line.length && IsBlank(line.text[at]))
        ++at;
    if (at == line.length || line.text[at] != '=')
        return false;
    ++at;
    while (at < line.length && IsBlank(line.text[at]))
        ++at;
    entry->value.text = line.text + at;
    entry->value.length = line.length - at;
    return true;
}

static bool KeepPlsEntry(PlsEntry** entries, size_t* count, size_t* capacity, const PlsEntry& entry)
{
    if (*count == *capacity) {
        size_t grown = *capacity == 0 ? FIRST_PLS_CAPACITY : *capacity * 2;
        if (grown > static_cast<size_t>(-1) / sizeof(PlsEntry))
            return false;
        void* more = std::realloc(*entries, grown * sizeof(PlsEntry));
        if (more == nullptr)
            return false;
        *entries = static_cast<PlsEntry*>(more);
        *capacity = grown;
    }
    (*entries)[(*count)++] = entry;
    return true;
}

// N compared as the number its digits write, of any length.
static int CompareNumbers(const char* a, size_t aLength, const char* b, size_t bLength)
{
    while (aLength > 0 && *a == '0') {
        ++a;
        --aLength;
    }
    while (bLength > 0 && *b == '0') {
        ++b;
        --bLength;
    }
    if (aLength != bLength)
        return aLength < bLength ? -1 : 1;
    // Digits hold no zero byte.
    return std::strncmp(a, b, aLength);
}

static int ComparePlsEntries(const void* a, const void* b)
{
    const PlsEntry* x = static_cast<const PlsEntry*>(a);
    const PlsEntry* y = static_cast<const PlsEntry*>(b);
    int byNumber = CompareNumbers(x->number, x->numberLength, y->number, y->numberLength);
    if (byNumber != 0)
        return byNumber;
    return x->order < y->order ? -1 : (x->order > y->order ? 1 : 0);
}

PlsReading ReadPlsEntries(char* text, char* end, PlsEntry** entries, size_t* count)
{
    *entries = nullptr;
    *count = 0;
    char* cursor = SkipByteOrderMark(text, end);
    TextLine line;
    bool header = false;
    while (TakeTrimmedLine(&cursor, end, &line)) {
        if (line.length > 0) {
            header = IsPlsHeader(line);
            break;
        }
    }
    if (!header)
        return PLS_NOT_A_PLAYLIST;
    size_t capacity = 0;
    size_t order = 0;
    while (TakeTrimmedLine(&cursor, end, &line)) {
        PlsEntry entry;
        if (!ReadPlsFileLine(line, &entry))
            continue;
        entry.order = order++;
        if (!KeepPlsEntry(entries, count, &capacity, entry)) {
            std::free(*entries);
            *entries = nullptr;
            *count = 0;
            return PLS_NO_MEMORY;
        }
    }
    if (*count > 1)
        std::qsort(*entries, *count, sizeof(PlsEntry), ComparePlsEntries);
    return PLS_READ;
}

// A scheme of two or more characters and a colon: one letter and a colon
// is a drive.
static size_t SchemeLength(const TextLine& line)
{
    if (line.length == 0 || !IsAsciiLetter(line.text[0]))
        return 0;
    size_t at = 1;
    while (at < line.length && (IsAsciiLetter(line.text[at]) || IsDigit(line.text[at]) || line.text[at] == '+' ||
                                line.text[at] == '-' || line.text[at] == '.'))
        ++at;
    return (at >= 2 && at < line.length && line.text[at] == ':') ? at + 1 : 0;
}

static int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    char lower = LowerAscii(c);
    return (lower >= 'a' && lower <= 'f') ? lower - 'a' + 10 : -1;
}

// Appends the URL text with its escapes decoded; an escape that is not one
// (%zz, a lone %4) stays as it is written, since % is a legal file name
// character. False when it does not fit or decodes to a zero byte.
static bool AppendDecoded(char* out, size_t capacity, size_t* used, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < length && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            if (c == '\0')
                return false;
            i += 2;
        }
        if (*used + 1 >= capacity)
            return false;
        out[(*used)++] = c;
    }
    out[*used] = '\0';
    return true;
}

// file:///C:/a.wav, file:/C:/a.wav and file://localhost/C:/a.wav name a
// local path; file://server/share/a.wav a server's share; file:///a.wav
// the root of the playlist's drive.
static bool DecodeFileUrl(const char* text, size_t length, char* out, size_t capacity)
{
    size_t used = 0;
    if (capacity == 0)
        return false;
    out[0] = '\0';
    if (length >= 2 && IsSlash(text[0]) && IsSlash(text[1])) {
        size_t hostEnd = 2;
        while (hostEnd < length && !IsSlash(text[hostEnd]))
            ++hostEnd;
        size_t hostLength = hostEnd - 2;
        bool local = hostLength == 0 || (hostLength == sizeof LOCAL_HOST - 1 &&
                                         StartsWithNoCase(text + 2, hostLength, LOCAL_HOST));
        if (!local) {
            if (!AppendDecoded(out, capacity, &used, "\\\\", 2) ||
                !AppendDecoded(out, capacity, &used, text + 2, hostLength))
                return false;
        }
        text += hostEnd;
        length -= hostEnd;
        // Some writers put more slashes before a share than its two.
        if (local && length >= 2 && IsSlash(text[0]) && IsSlash(text[1])) {
            while (length > 2 && IsSlash(text[2])) {
                ++text;
                --length;
            }
        }
    }
    // "/C:/..." and "/C|/...": the drive, without the slash before it.
    if (used == 0 && length >= 3 && IsSlash(text[0]) && IsAsciiLetter(text[1]) && (text[2] == ':' || text[2] == '|')) {
        char drive[2] = {text[1], ':'};
        if (!AppendDecoded(out, capacity, &used, drive, 2))
            return false;
        text += 3;
        length -= 3;
    }
    return AppendDecoded(out, capacity, &used, text, length);
}

ListedForm DecodeListedLine(const TextLine& line, char* out, size_t capacity)
{
    if (line.length == 0 || std::strlen(line.text) != line.length)
        return LISTED_UNREADABLE;
    size_t scheme = SchemeLength(line);
    bool decoded;
    if (scheme == 0) {
        decoded = line.length < capacity;
        if (decoded)
            std::memcpy(out, line.text, line.length + 1);
    } else if (scheme == sizeof FILE_SCHEME - 1 && StartsWithNoCase(line.text, line.length, FILE_SCHEME)) {
        decoded = DecodeFileUrl(line.text + scheme, line.length - scheme, out, capacity);
    } else {
        return LISTED_WEB_ADDRESS;
    }
    if (!decoded || out[0] == '\0')
        return LISTED_UNREADABLE;
    // No file name holds a control character.
    for (const char* p = out; *p != '\0'; ++p)
        if (static_cast<unsigned char>(*p) < 0x20)
            return LISTED_UNREADABLE;
    return LISTED_PATH;
}
