#include "kept_queue_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char HEADER[] = "VireoQueue";
static const char END_LINE[] = "end";
static const char LINE_END[] = "\r\n";
static const size_t NUMBERS_CAPACITY = 64;
// A stored text (UTF-8 of a path or list text) is shorter than this.
static const size_t FIELD_CAPACITY = 3 * TEXT_CAPACITY;

static const struct {
    EntryKind kind;
    const char* word;
} KIND_WORDS[] = {{ENTRY_CD_TRACK, "cd"}, {ENTRY_MIDI, "midi"}, {ENTRY_WAVE, "wave"}, {ENTRY_VIDEO, "video"},
                  {ENTRY_OTHER, "other"}};

uint32_t KeptTextCheck(const char* bytes, size_t count)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < count; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 16777619u;
    }
    return hash;
}

// Digits and nothing after them, short of an overflow: a file's size or time.
static bool ReadCount(const char* text, uint64_t* value)
{
    static const size_t MOST_DIGITS = 19;
    size_t digits = 0;
    *value = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        if (digits == MOST_DIGITS)
            return false;
        *value = *value * 10 + static_cast<unsigned>(text[digits] - '0');
    }
    return digits > 0 && text[digits] == '\0';
}

// An optional minus and digits, within the bounds.
static bool ReadInt32(const char* text, int32_t low, int32_t* value)
{
    bool negative = *text == '-';
    uint64_t magnitude = 0;
    if (!ReadCount(text + (negative ? 1 : 0), &magnitude) || magnitude > static_cast<uint64_t>(INT32_MAX) + 1)
        return false;
    long long number = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (number < low || number > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(number);
    return true;
}

// ---- Writing ---------------------------------------------------------------

// Tags and numbers: far shorter than the line.
static void AppendFormatted(GrowingText* out, const char* format, ...)
{
    char text[NUMBERS_CAPACITY];
    std::va_list numbers;
    va_start(numbers, format);
    int length = std::vsnprintf(text, sizeof text, format, numbers);
    va_end(numbers);
    AppendToText(out, text, length > 0 ? static_cast<size_t>(length) : 0);
}

// A tab, then the text with every control character as '?'.
static void AppendField(GrowingText* out, const char* text)
{
    AppendToText(out, "\t", 1);
    size_t start = out->length;
    AppendToText(out, text, std::strlen(text));
    for (size_t i = start; i < out->length; ++i)
        if (static_cast<unsigned char>(out->text[i]) < 0x20)
            out->text[i] = '?';
}

void BeginKeptQueueText(GrowingText* out, int32_t current, int32_t positionMs)
{
    *out = GrowingText{nullptr, 0, 0, false};
    AppendFormatted(out, "%s\t%d\r\ncurrent\t%ld\t%ld\r\n", HEADER, KEPT_QUEUE_VERSION, static_cast<long>(current),
                    static_cast<long>(positionMs));
}

void AppendKeptEntry(GrowingText* out, const KeptEntry& entry)
{
    const char* word = "other";
    for (const auto& known : KIND_WORDS)
        if (known.kind == entry.kind)
            word = known.word;
    AppendFormatted(out, "entry\t%s", word);
    AppendField(out, entry.display);
    if (entry.kind == ENTRY_CD_TRACK) {
        AppendFormatted(out, "\t%ld\t%ld", static_cast<long>(entry.startMs), static_cast<long>(entry.lengthMs));
    } else {
        AppendField(out, entry.path);
        AppendFormatted(out, "\t%ld\t%llu\t%llu", static_cast<long>(entry.lengthMs),
                        static_cast<unsigned long long>(entry.fileSize), static_cast<unsigned long long>(entry.fileTime));
        AppendField(out, entry.artist);
    }
    AppendToText(out, LINE_END, sizeof LINE_END - 1);
}

void EndKeptQueueText(GrowingText* out)
{
    AppendFormatted(out, "%s%s", END_LINE, LINE_END);
    if (out->failed)
        FreeGrowingText(out);
}

// ---- Reading ---------------------------------------------------------------

int KeptQueueVersion(const char* text, size_t size)
{
    size_t header = sizeof HEADER - 1;
    if (size <= header + 1 || std::memcmp(text, HEADER, header) != 0 || text[header] != '\t')
        return 0;
    int version = 0;
    for (size_t i = header + 1; i < size && text[i] >= '0' && text[i] <= '9' && version < 1000; ++i)
        version = version * 10 + (text[i] - '0');
    return version;
}

bool ReadsKeptQueueVersion(int version)
{
    return version == 1 || version == KEPT_QUEUE_VERSION;
}

bool EndsWithKeptQueueEnd(const char* text, size_t size)
{
    static const char LAST_LINE[] = "\nend\r\n";
    size_t length = sizeof LAST_LINE - 1;
    return size >= length && std::memcmp(text + size - length, LAST_LINE, length) == 0;
}

void BeginKeptQueueReading(KeptQueueReading* reading)
{
    *reading = KeptQueueReading{KEPT_QUEUE_VERSION, -1, 0, false, 0, 0, 0, -1, 0, false};
}

// No entry before -1 and no place before an entry's start.
void SetKeptReadingPlace(KeptQueueReading* reading, int32_t current, int32_t positionMs)
{
    reading->current = current >= 0 ? current : -1;
    reading->positionMs = current >= 0 && positionMs > 0 ? positionMs : 0;
    reading->placeGiven = true;
}

// The line's fields, each cut out at its tab; false when there are not exactly count.
static bool SplitFields(const TextLine& line, char** fields, int count)
{
    int found = 0;
    fields[found++] = line.text;
    for (size_t i = 0; i < line.length; ++i) {
        if (line.text[i] != '\t')
            continue;
        if (found == count)
            return false;
        line.text[i] = '\0';
        fields[found++] = line.text + i + 1;
    }
    return found == count;
}

// A field the list can hold: no control character, and short enough.
static bool IsStoredText(const char* text)
{
    size_t length = 0;
    for (; text[length] != '\0'; ++length)
        if (static_cast<unsigned char>(text[length]) < 0x20 || length + 1 >= FIELD_CAPACITY)
            return false;
    return true;
}

static bool ReadEntry(const TextLine& line, int version, KeptEntry* entry)
{
    char* fields[8];
    // "entry", its kind, and the display; then a CD track's start and
    // length, or a path and (from version 2 on) what was read from the file.
    bool cd = line.length > 9 && std::strncmp(line.text, "entry\tcd\t", 9) == 0;
    int count = cd ? 5 : version == 1 ? 4 : 8;
    if (!SplitFields(line, fields, count) || std::strcmp(fields[0], "entry") != 0 || !IsStoredText(fields[2]))
        return false;
    EntryKind kind = ENTRY_OTHER;
    bool known = false;
    for (const auto& word : KIND_WORDS)
        if (std::strcmp(fields[1], word.word) == 0) {
            kind = word.kind;
            known = true;
        }
    *entry = KeptEntry{kind, fields[2], cd ? nullptr : fields[3], 0, -1, 0, 0, ""};
    if (cd)
        return ReadInt32(fields[3], 0, &entry->startMs) && ReadInt32(fields[4], 0, &entry->lengthMs);
    if (version > 1) {
        entry->artist = fields[7];
        if (!ReadInt32(fields[4], -1, &entry->lengthMs) || !ReadCount(fields[5], &entry->fileSize) ||
            !ReadCount(fields[6], &entry->fileTime) || !IsStoredText(entry->artist))
            return false;
    }
    return known && IsStoredText(fields[3]);
}

// The place is read before the entries it names.
static void ReadPlaceLine(KeptQueueReading* reading, const TextLine& line)
{
    char* fields[3];
    int32_t current = -1;
    int32_t positionMs = 0;
    if (!reading->placeGiven && reading->entryLines == 0 && SplitFields(line, fields, 3) &&
        ReadInt32(fields[1], INT32_MIN, &current) && ReadInt32(fields[2], INT32_MIN, &positionMs))
        SetKeptReadingPlace(reading, current, positionMs);
}

KeptLineKind ReadKeptQueueLine(KeptQueueReading* reading, const TextLine& line, KeptEntry* entry)
{
    if (reading->ended)
        return KEPT_LINE_END;
    if (line.length == 0)
        return KEPT_LINE_OTHER;
    if (std::strncmp(line.text, HEADER, sizeof HEADER - 1) == 0) {
        reading->version = KeptQueueVersion(line.text, line.length);
        return KEPT_LINE_OTHER;
    }
    if (std::strcmp(line.text, END_LINE) == 0) {
        reading->ended = true;
        return KEPT_LINE_END;
    }
    if (std::strncmp(line.text, "current\t", 8) == 0) {
        ReadPlaceLine(reading, line);
        return KEPT_LINE_OTHER;
    }
    // What an earlier version wrote besides: nothing of it is needed.
    if (std::strncmp(line.text, "saved\t", 6) == 0)
        return KEPT_LINE_OTHER;
    // Any other line was an entry's, damaged. A zero byte would cut a field
    // short unseen; a last line without its end was cut short.
    bool taken = line.ended && std::strlen(line.text) == line.length && ReadEntry(line, reading->version, entry);
    if (taken && static_cast<long long>(reading->entryLines) == reading->current) {
        reading->currentTaken = static_cast<int32_t>(reading->taken);
        // A CD track's place lies within the track.
        bool pastTrack = entry->kind == ENTRY_CD_TRACK && reading->positionMs >= entry->lengthMs;
        reading->currentMs = pastTrack ? 0 : reading->positionMs;
    }
    ++reading->entryLines;
    ++(taken ? reading->taken : reading->passedOver);
    return taken ? KEPT_LINE_ENTRY : KEPT_LINE_OTHER;
}

// ---- The place record ------------------------------------------------------

void FormatKeptPlace(char* record, const KeptPlace& place)
{
    char text[KEPT_PLACE_SIZE];
    int length = std::snprintf(text, sizeof text, "VireoPlace\t%08lx\t%ld\t%ld",
                               static_cast<unsigned long>(place.queueCheck), static_cast<long>(place.current),
                               static_cast<long>(place.positionMs));
    std::snprintf(text + length, sizeof text - length, "\t%08lx",
                  static_cast<unsigned long>(KeptTextCheck(text, static_cast<size_t>(length))));
    std::memset(record, ' ', KEPT_PLACE_SIZE);
    std::memcpy(record, text, std::strlen(text));
    record[KEPT_PLACE_SIZE - 2] = '\r';
    record[KEPT_PLACE_SIZE - 1] = '\n';
}

// Only a record exactly as this program writes it: anything else a power
// cut, a hand or another version made of it reads as none.
bool ParseKeptPlace(const char* record, size_t size, KeptPlace* place)
{
    char text[KEPT_PLACE_SIZE + 1];
    if (size != KEPT_PLACE_SIZE)
        return false;
    std::memcpy(text, record, size);
    size_t length = size - 2;
    while (length > 0 && text[length - 1] == ' ')
        --length;
    text[length] = '\0';
    char* fields[5];
    TextLine line = {text, length, true};
    if (!SplitFields(line, fields, 5) || std::strcmp(fields[0], "VireoPlace") != 0 ||
        !ReadInt32(fields[2], INT32_MIN, &place->current) || !ReadInt32(fields[3], INT32_MIN, &place->positionMs))
        return false;
    // The check's digits: whatever else they are, the record formed again tells.
    place->queueCheck = 0;
    for (const char* digit = fields[1]; *digit != '\0'; ++digit)
        place->queueCheck = place->queueCheck << 4 | static_cast<uint32_t>(*digit <= '9' ? *digit - '0' : *digit - 'a' + 10);
    char again[KEPT_PLACE_SIZE];
    FormatKeptPlace(again, *place);
    return std::memcmp(again, record, KEPT_PLACE_SIZE) == 0;
}
