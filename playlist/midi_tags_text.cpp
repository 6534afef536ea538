// A MIDI file's length through the tempo map of all its tracks, its title
// from the first track's name; also inside a RIFF RMID file. MIDI files are
// small: one is read whole within the budget, and one past it has no length.
#include <algorithm>
#include <cstdlib>

#include "media_tags_text.h"
#include "riff_chunks_text.h"

static const size_t MAGIC_BYTES = 4;
static const size_t CHUNK_HEADER_BYTES = 8;
static const uint32_t HEADER_BYTES = 6;
static const uint16_t FORMAT_SEQUENCES = 2;    // tracks played one after another
static const uint16_t SMPTE_DIVISION = 0x8000;
static const int DROP_FRAME_RATE = 29;         // 30000 / 1001 frames a second
static const uint64_t DEFAULT_TEMPO = 500000;  // microseconds a quarter note
static const uint64_t MICROSECONDS = 1000000;
static const size_t VARIABLE_LENGTH_BYTES = 4;
static const unsigned char META_TRACK_NAME = 0x03;
static const unsigned char META_END_OF_TRACK = 0x2F;
static const unsigned char META_TEMPO = 0x51;
static const size_t TEMPO_BYTES = 3;
static const size_t FIRST_TEMPO_CAPACITY = 64;

struct TempoChange {
    uint64_t tick;
    uint64_t order;      // same ticks: the later change stands
    uint32_t tempo;
};

struct TempoMap {
    TempoChange* changes;
    size_t count;
    size_t capacity;
    bool failed;
};

static void AddTempo(TempoMap* map, uint64_t tick, uint32_t tempo)
{
    if (map->count == map->capacity) {
        size_t grown = map->capacity == 0 ? FIRST_TEMPO_CAPACITY : map->capacity * 2;
        void* more = std::realloc(map->changes, grown * sizeof(TempoChange));
        if (more == nullptr) {
            map->failed = true;
            return;
        }
        map->changes = static_cast<TempoChange*>(more);
        map->capacity = grown;
    }
    map->changes[map->count] = TempoChange{tick, map->count, tempo};
    ++map->count;
}

static bool ReadVariableLength(const unsigned char* bytes, size_t count, size_t* at, uint32_t* value)
{
    *value = 0;
    for (size_t i = 0; i < VARIABLE_LENGTH_BYTES && *at < count; ++i) {
        unsigned char b = bytes[(*at)++];
        *value = *value << 7 | (b & 0x7F);
        if ((b & 0x80) == 0)
            return true;
    }
    return false;
}

// The tick of the track's end, its tempo changes added to the map, and its
// name kept in name where one is wanted. False when its events are broken.
static bool ScanTrack(const unsigned char* bytes, size_t count, TempoMap* map, char* name, uint64_t* endTick)
{
    size_t at = 0;
    uint64_t tick = 0;
    unsigned char running = 0;
    while (at < count) {
        uint32_t delta = 0;
        if (!ReadVariableLength(bytes, count, &at, &delta) || at >= count)
            return false;
        tick += delta;
        unsigned char status = bytes[at];
        if (status >= 0x80)
            ++at;
        else if (running != 0)
            status = running;
        else
            return false;
        uint32_t length = 0;
        if (status < 0xF0) {
            running = status;
            length = (status & 0xE0) == 0xC0 ? 1 : 2;
        } else if (status == 0xFF) {
            if (at >= count)
                return false;
            unsigned char type = bytes[at++];
            if (!ReadVariableLength(bytes, count, &at, &length) || length > count - at)
                return false;
            if (type == META_END_OF_TRACK)
                break;
            // A tempo of 0 would make every later tick take no time.
            uint32_t tempo = length >= TEMPO_BYTES ? BigEndian24(bytes + at) : 0;
            if (type == META_TEMPO && tempo != 0)
                AddTempo(map, tick, tempo);
            if (type == META_TRACK_NAME && name != nullptr)
                KeepByteText(name, bytes + at, length);
        } else if (status == 0xF0 || status == 0xF7) {
            if (!ReadVariableLength(bytes, count, &at, &length))
                return false;
        } else {
            return false;
        }
        if (length > count - at)
            return false;
        at += length;
    }
    *endTick = tick;
    return true;
}

// Ticks to end at the changes' tempos, summed into time (microseconds times
// ticks a quarter note); false past limit.
static bool AddTempoTime(const TempoChange* changes, size_t count, uint64_t endTick, uint64_t limit, uint64_t* time)
{
    uint64_t tick = 0;
    uint64_t tempo = DEFAULT_TEMPO;
    for (size_t i = 0; i <= count; ++i) {
        uint64_t next = i < count && changes[i].tick < endTick ? changes[i].tick : endTick;
        uint64_t ticks = next - tick;
        if (ticks > (limit - *time) / tempo)
            return false;
        *time += ticks * tempo;
        if (next == endTick)
            return true;
        tick = next;
        tempo = changes[i].tempo;
    }
    return true;
}

static bool EarlierTempo(const TempoChange& a, const TempoChange& b)
{
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
}

// SMPTE divisions count frames of real time: tempo plays no part.
static int64_t SmpteLengthMs(uint16_t division, uint64_t ticks)
{
    int rate = -static_cast<int>(static_cast<signed char>(division >> 8));
    uint64_t ticksPerFrame = division & 0xFF;
    if (rate <= 0 || ticksPerFrame == 0)
        return -1;
    if (rate == DROP_FRAME_RATE)
        return TagLengthMs(ticks * 1001, 30000 * ticksPerFrame);
    return TagLengthMs(ticks, static_cast<uint64_t>(rate) * ticksPerFrame);
}

// The tracks of a standard MIDI file read whole into bytes.
static void ReadMidiFile(const unsigned char* bytes, size_t count, bool whole, MediaTags* tags)
{
    if (count < CHUNK_HEADER_BYTES + HEADER_BYTES || !RiffIdIs(bytes, "MThd") ||
        BigEndian32(bytes + 4) < HEADER_BYTES || BigEndian32(bytes + 4) > count - CHUNK_HEADER_BYTES)
        return;
    uint16_t format = BigEndian16(bytes + 8);
    uint16_t declaredTracks = BigEndian16(bytes + 10);
    uint16_t division = BigEndian16(bytes + 12);
    bool timed = format <= FORMAT_SEQUENCES && division != 0;
    uint64_t limit = static_cast<uint64_t>(TAG_LONGEST_MS) * 1000 * (division & ~SMPTE_DIVISION);
    TempoMap map = {nullptr, 0, 0, false};
    uint64_t time = 0;         // of format 2's tracks, one after another
    uint64_t lastEnd = 0;      // of the others' tracks, played together
    size_t tracks = 0;
    size_t at = CHUNK_HEADER_BYTES + BigEndian32(bytes + 4);
    while (count - at >= CHUNK_HEADER_BYTES) {
        uint32_t size = BigEndian32(bytes + at + 4);
        const unsigned char* body = bytes + at + CHUNK_HEADER_BYTES;
        size_t available = count - at - CHUNK_HEADER_BYTES;
        bool track = RiffIdIs(bytes + at, "MTrk");
        // Cut short: only the first track's name is worth reading.
        if (size > available) {
            uint64_t ignored = 0;
            if (track && tracks == 0)
                ScanTrack(body, available, &map, tags->title, &ignored);
            whole = false;
            break;
        }
        at += CHUNK_HEADER_BYTES + size;
        if (!track)
            continue;
        size_t first = map.count;
        uint64_t end = 0;
        timed = ScanTrack(body, size, &map, tracks == 0 ? tags->title : nullptr, &end) && timed;
        ++tracks;
        if (format != FORMAT_SEQUENCES) {
            lastEnd = std::max(lastEnd, end);
        } else if ((division & SMPTE_DIVISION) != 0) {
            lastEnd += end;
        } else {
            timed = timed && AddTempoTime(map.changes + first, map.count - first, end, limit, &time);
            map.count = first;
        }
    }
    if (whole && timed && !map.failed && tracks >= declaredTracks && tracks > 0) {
        if ((division & SMPTE_DIVISION) != 0) {
            tags->lengthMs = SmpteLengthMs(division, lastEnd);
        } else {
            if (format != FORMAT_SEQUENCES) {
                std::sort(map.changes, map.changes + map.count, EarlierTempo);
                timed = AddTempoTime(map.changes, map.count, lastEnd, limit, &time);
            }
            if (timed)
                tags->lengthMs = TagLengthMs(time, division * MICROSECONDS);
        }
    }
    std::free(map.changes);
}

static void ReadMidiAt(TagSource* source, uint64_t start, uint64_t size, MediaTags* tags)
{
    size_t count = static_cast<size_t>(std::min(size, source->budget));
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(count > 0 ? count : 1));
    if (bytes == nullptr)
        return;
    size_t got = ReadTagBlock(source, start, bytes, count);
    ReadMidiFile(bytes, got, got == size, tags);
    std::free(bytes);
}

bool ReadMidiTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char magic[MAGIC_BYTES];
    if (!ReadTagBytes(source, 0, magic, sizeof magic))
        return false;
    if (RiffIdIs(magic, "MThd")) {
        ReadMidiAt(source, 0, source->size, tags);
        return true;
    }
    uint64_t end = 0;
    if (!RiffIdIs(magic, "RIFF") || !ReadRiffForm(source, "RMID", &end))
        return false;
    // The song is the data chunk; its title may stand in an INFO list too,
    // which is the one meant for the title, so it comes first.
    uint64_t at = 12;
    uint64_t songStart = 0;
    uint64_t songSize = 0;
    RiffChunk chunk;
    while (NextRiffChunk(source, &at, end, &chunk)) {
        if (RiffIdIs(chunk.id, "data") && songStart == 0) {
            songStart = chunk.start;
            songSize = std::min(chunk.size, source->size - chunk.start);
        } else if (IsRiffList(source, chunk, "INFO")) {
            ReadRiffInfo(source, chunk, tags);
        }
    }
    if (songStart != 0)
        ReadMidiAt(source, songStart, songSize, tags);
    return true;
}
