#include "kept_queue_text.h"

#include <cstring>

#include "kept_place_text.h"

void BeginKeptQueueReading(KeptQueueReading* reading, const KeptPlaceRecord* records, int recordCount)
{
    std::memset(reading, 0, sizeof *reading);
    reading->current = -1;
    reading->currentKept = -1;
    reading->records = records;
    reading->recordCount = recordCount;
}

// The line's fields, each cut out at its tab, and their count; past the
// capacity the rest stay in the last field.
static int SplitFields(char* line, size_t length, char** fields, int capacity)
{
    int count = 0;
    fields[count++] = line;
    for (size_t i = 0; i < length && count < capacity; ++i) {
        if (line[i] == '\t') {
            line[i] = '\0';
            fields[count++] = line + i + 1;
        }
    }
    return count;
}

// A tag: lower-case letters only.
static bool IsTag(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text)
        if (*text < 'a' || *text > 'z')
            return false;
    return true;
}

// A field the list can hold: no control character, and short enough.
static bool IsStoredText(const char* text)
{
    size_t length = 0;
    for (; text[length] != '\0'; ++length)
        if (static_cast<unsigned char>(text[length]) < 0x20 || length + 1 >= KEPT_FIELD_CAPACITY)
            return false;
    return true;
}

static bool ReadEntry(char** fields, int count, KeptEntry* entry)
{
    if (!ReadKeptKindWord(fields[1], &entry->kind) || count < 4 || !IsStoredText(fields[2]))
        return false;
    entry->display = fields[2];
    entry->path = nullptr;
    entry->startMs = 0;
    entry->lengthMs = 0;
    if (entry->kind != ENTRY_CD_TRACK) {
        entry->path = fields[3];
        return IsStoredText(fields[3]);
    }
    return count >= 5 && ReadKeptNumber(fields[3], 0, INT32_MAX, &entry->startMs) &&
           ReadKeptNumber(fields[4], 0, INT32_MAX, &entry->lengthMs);
}

// The entry line's number is the one the place names: that entry, if kept,
// is the current one; a CD track's place lies within the track.
static void NoteCurrent(KeptQueueReading* reading, bool kept, const KeptEntry& entry)
{
    if (static_cast<long long>(reading->entryLines) != reading->current)
        return;
    if (!kept)
        return;
    reading->currentKept = static_cast<int32_t>(reading->kept);
    bool pastTrack = entry.kind == ENTRY_CD_TRACK && reading->positionMs >= entry.lengthMs;
    reading->currentMs = pastTrack ? 0 : reading->positionMs;
}

// No entry before -1 and no place before an entry's start.
static void SetKeptPlace(KeptQueueReading* reading, int32_t current, int32_t positionMs)
{
    reading->current = current >= 0 ? current : -1;
    reading->positionMs = current >= 0 && positionMs > 0 ? positionMs : 0;
}

// The place is read before the entries it names; once they have begun, a
// place line is passed by.
static void ReadPlace(KeptQueueReading* reading, char** fields, int count)
{
    int32_t current = -1;
    int32_t positionMs = 0;
    if (reading->placeFromRecord || reading->entryLines > 0 || count < 3 ||
        !ReadKeptNumber(fields[1], INT32_MIN, INT32_MAX, &current) ||
        !ReadKeptNumber(fields[2], INT32_MIN, INT32_MAX, &positionMs))
        return;
    SetKeptPlace(reading, current, positionMs);
}

static void ReadSaved(KeptQueueReading* reading, char** fields, int count)
{
    uint32_t saved = 0;
    if (reading->entryLines > 0 || count < 2 || !ReadKeptCount(fields[1], &saved))
        return;
    reading->saved = saved;
    const KeptPlaceRecord* record = NewestKeptPlace(reading->records, reading->recordCount, saved);
    if (record != nullptr) {
        SetKeptPlace(reading, record->current, record->positionMs);
        reading->placeFromRecord = true;
    }
}

static const int MAX_FIELDS = 8;

KeptLineKind ReadKeptQueueLine(KeptQueueReading* reading, char* line, size_t length, bool whole, KeptEntry* entry)
{
    if (reading->ended)
        return KEPT_LINE_END;
    char* fields[MAX_FIELDS];
    if (reading->version == 0) {
        const char* text = SkipKeptMark(line, &length);
        line += text - line;
    }
    // A zero byte inside the line would cut a field short unseen.
    if (std::memchr(line, '\0', length) != nullptr)
        whole = false;
    int count = SplitFields(line, length, fields, MAX_FIELDS);
    bool tagged = IsTag(fields[0]);
    if (reading->version == 0) {
        // Nothing is read from a file that does not start as ours.
        uint32_t version = 0;
        if (whole && count >= 2 && std::strcmp(fields[0], KEPT_QUEUE_HEADER) == 0 &&
            ReadKeptCount(fields[1], &version) && version > 0)
            reading->version = version > INT32_MAX ? INT32_MAX : static_cast<int>(version);
        else
            reading->ended = true;
        return reading->ended ? KEPT_LINE_END : KEPT_LINE_OTHER;
    }
    if (whole && length == 0)
        return KEPT_LINE_OTHER;
    // A line that is no tagged line was most likely an entry's, damaged.
    if (!tagged || std::strcmp(fields[0], "entry") == 0) {
        bool kept = whole && tagged && count >= 2 && ReadEntry(fields, count, entry);
        NoteCurrent(reading, kept, *entry);
        ++reading->entryLines;
        if (kept)
            ++reading->kept;
        else
            ++reading->passedOver;
        return kept ? KEPT_LINE_ENTRY : KEPT_LINE_OTHER;
    }
    if (!whole) {
        ++reading->unknown;
    } else if (std::strcmp(fields[0], KEPT_QUEUE_END) == 0) {
        reading->ended = true;
        return KEPT_LINE_END;
    } else if (std::strcmp(fields[0], "saved") == 0) {
        ReadSaved(reading, fields, count);
    } else if (std::strcmp(fields[0], "current") == 0) {
        ReadPlace(reading, fields, count);
    } else {
        ++reading->unknown;
    }
    return KEPT_LINE_OTHER;
}

// ---- Lines out of blocks ---------------------------------------------------

void InitKeptLines(KeptLineBuffer* lines, char* data, size_t capacity)
{
    lines->data = data;
    lines->capacity = capacity;
    lines->begin = 0;
    lines->end = 0;
    lines->skipping = false;
    lines->finished = false;
}

char* KeptLinesRoom(KeptLineBuffer* lines, size_t* room)
{
    size_t held = lines->end - lines->begin;
    std::memmove(lines->data, lines->data + lines->begin, held);
    lines->begin = 0;
    lines->end = held;
    *room = lines->capacity - held;
    return lines->data + held;
}

void KeptLinesFilled(KeptLineBuffer* lines, size_t count)
{
    if (count == 0)
        lines->finished = true;
    lines->end += count;
}

static void HandOut(KeptTextLine* line, char* text, size_t length, bool whole)
{
    if (whole && length > 0 && text[length - 1] == '\r')
        --length;
    text[length] = '\0';
    line->text = text;
    line->length = length;
    line->whole = whole;
}

KeptLineTake TakeKeptLine(KeptLineBuffer* lines, KeptTextLine* line)
{
    for (;;) {
        char* start = lines->data + lines->begin;
        size_t held = lines->end - lines->begin;
        char* feed = static_cast<char*>(std::memchr(start, '\n', held));
        if (lines->skipping) {
            // The rest of a line already handed out as cut short.
            lines->begin = feed != nullptr ? static_cast<size_t>(feed + 1 - lines->data) : lines->end;
            if (feed == nullptr)
                return lines->finished ? KEPT_NO_MORE : KEPT_NEEDS_MORE;
            lines->skipping = false;
            continue;
        }
        if (feed != nullptr) {
            lines->begin = static_cast<size_t>(feed + 1 - lines->data);
            HandOut(line, start, static_cast<size_t>(feed - start), true);
            return KEPT_TOOK_LINE;
        }
        if (held == 0)
            return lines->finished ? KEPT_NO_MORE : KEPT_NEEDS_MORE;
        if (lines->finished || held == lines->capacity) {
            // The last line without its end, or as much of a long one as fits.
            lines->skipping = !lines->finished;
            lines->begin = lines->end;
            HandOut(line, start, held, false);
            return KEPT_TOOK_LINE;
        }
        return KEPT_NEEDS_MORE;
    }
}
