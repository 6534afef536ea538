// An MP4, M4A or MOV file's length from its sound track's media header (else
// the movie's), its title from the item list or QuickTime's texts. Boxes are
// walked by their headers alone, so the media data, wherever it lies, is
// never read.
#include <cstring>

#include "media_tags_text.h"
#include "riff_chunks_text.h"

static const size_t BOX_HEADER_BYTES = 8;
static const size_t LARGE_HEADER_BYTES = 16;
static const uint32_t SIZE_TO_END = 0;
static const uint32_t SIZE_LARGE = 1;
// Version, flags, then times: 32-bit in version 0, 64-bit in version 1.
static const size_t TIMES_BYTES = 32;
static const size_t TIMES_V0_SCALE_AT = 12;
static const size_t TIMES_V1_SCALE_AT = 20;
static const size_t FULL_BOX_BYTES = 4;
static const size_t HANDLER_BYTES = 12;
static const size_t HANDLER_TYPE_AT = 8;
// A data box: its type of value, a locale, then the value.
static const size_t DATA_HEADER_BYTES = 8;
static const uint32_t DATA_UTF8 = 1;
static const uint32_t DATA_UTF16 = 2;
static const uint32_t DATA_TYPE_MASK = 0xFFFFFF;
static const size_t DATA_TEXT_BYTES = 2 * TAG_TEXT_CAPACITY;
static const size_t QUICKTIME_TEXT_HEADER_BYTES = 4;
static const size_t TOP_BOXES = 256;
// What a file of this kind may begin with, besides its file type.
static const char* const OTHER_FIRST_BOXES[] = {"moov", "mdat", "free", "skip", "wide", "pnot"};
static const uint32_t FILE_TYPE_LONGEST = 4096;

struct Mp4Box {
    unsigned char type[4];
    uint64_t start;      // of its contents
    uint64_t end;
};

static bool BoxIs(const Mp4Box& box, const char* type)
{
    return std::memcmp(box.type, type, 4) == 0;
}

// The box at *at, which must lie whole before end; *at then moves past it.
// A size smaller than its header, or past its parent's end, ends the walk;
// past tells the latter.
static bool NextBox(TagSource* source, uint64_t* at, uint64_t end, Mp4Box* box, bool* past = nullptr)
{
    unsigned char header[LARGE_HEADER_BYTES];
    if (*at > end || end - *at < BOX_HEADER_BYTES)
        return false;
    size_t count = end - *at < sizeof header ? static_cast<size_t>(end - *at) : sizeof header;
    if (!ReadTagBytes(source, *at, header, count))
        return false;
    uint64_t size = BigEndian32(header);
    uint64_t headerBytes = BOX_HEADER_BYTES;
    if (size == SIZE_LARGE) {
        if (count < LARGE_HEADER_BYTES)
            return false;
        size = BigEndian64(header + BOX_HEADER_BYTES);
        headerBytes = LARGE_HEADER_BYTES;
    } else if (size == SIZE_TO_END) {
        size = end - *at;
    }
    if (past != nullptr)
        *past = size > end - *at;
    if (size < headerBytes || size > end - *at)
        return false;
    std::memcpy(box->type, header + 4, 4);
    box->start = *at + headerBytes;
    box->end = *at + size;
    *at = box->end;
    return true;
}

// Milliseconds of a movie or media header; -1 where unknown.
static int64_t ReadHeaderTimes(TagSource* source, const Mp4Box& box)
{
    unsigned char times[TIMES_BYTES];
    if (box.end - box.start < TIMES_BYTES || !ReadTagBytes(source, box.start, times, sizeof times))
        return -1;
    uint64_t scale = 0;
    uint64_t duration = 0;
    bool unknown = false;
    if (times[0] == 1) {
        scale = BigEndian32(times + TIMES_V1_SCALE_AT);
        duration = BigEndian64(times + TIMES_V1_SCALE_AT + 4);
        unknown = duration == UINT64_MAX;
    } else {
        scale = BigEndian32(times + TIMES_V0_SCALE_AT);
        duration = BigEndian32(times + TIMES_V0_SCALE_AT + 4);
        unknown = duration == UINT32_MAX;
    }
    // A fragmented file leaves 0 here and times its fragments elsewhere.
    return unknown || duration == 0 ? -1 : TagLengthMs(duration, scale);
}

static void ReadUserData(TagSource* source, const Mp4Box& data, MediaTags* tags);

// The track's media length when it is a sound track, else -1; some writers
// give a track its own tags.
static int64_t ReadTrack(TagSource* source, const Mp4Box& track, MediaTags* tags)
{
    int64_t soundMs = -1;
    uint64_t at = track.start;
    Mp4Box media;
    while (NextBox(source, &at, track.end, &media)) {
        if (BoxIs(media, "udta"))
            ReadUserData(source, media, tags);
        if (!BoxIs(media, "mdia"))
            continue;
        bool sound = false;
        int64_t ms = -1;
        uint64_t inner = media.start;
        Mp4Box box;
        while (NextBox(source, &inner, media.end, &box)) {
            unsigned char handler[HANDLER_BYTES];
            if (BoxIs(box, "mdhd"))
                ms = ReadHeaderTimes(source, box);
            else if (BoxIs(box, "hdlr") && box.end - box.start >= sizeof handler &&
                     ReadTagBytes(source, box.start, handler, sizeof handler))
                sound = std::memcmp(handler + HANDLER_TYPE_AT, "soun", 4) == 0;
        }
        if (sound && soundMs < 0)
            soundMs = ms;
    }
    return soundMs;
}

// The first data box of an item, as text.
static void ReadItemText(TagSource* source, const Mp4Box& item, char* field)
{
    uint64_t at = item.start;
    Mp4Box data;
    while (NextBox(source, &at, item.end, &data)) {
        unsigned char header[DATA_HEADER_BYTES];
        if (!BoxIs(data, "data") || data.end - data.start < sizeof header ||
            !ReadTagBytes(source, data.start, header, sizeof header))
            continue;
        uint32_t type = BigEndian32(header) & DATA_TYPE_MASK;
        if (type != DATA_UTF8 && type != DATA_UTF16)
            continue;
        unsigned char text[DATA_TEXT_BYTES];
        uint64_t size = data.end - data.start - sizeof header;
        size_t count = size < sizeof text ? static_cast<size_t>(size) : sizeof text;
        if (!ReadTagBytes(source, data.start + sizeof header, text, count))
            return;
        char converted[TAG_TEXT_CAPACITY];
        if (type == DATA_UTF8)
            TagTextFromUtf8(converted, text, count);
        else
            TagTextFromUtf16(converted, text, count, true);
        KeepFirstTagText(field, converted);
        return;
    }
}

static void ReadMeta(TagSource* source, const Mp4Box& meta, MediaTags* tags)
{
    // Some writers leave out the version and flags of a full box; where they
    // stand, they are zero, which no child's size is.
    unsigned char first[FULL_BOX_BYTES];
    uint64_t at = meta.start;
    if (meta.end - meta.start >= sizeof first && ReadTagBytes(source, at, first, sizeof first) &&
        BigEndian32(first) == 0)
        at += FULL_BOX_BYTES;
    Mp4Box list;
    while (NextBox(source, &at, meta.end, &list)) {
        if (!BoxIs(list, "ilst"))
            continue;
        uint64_t inner = list.start;
        Mp4Box item;
        while (NextBox(source, &inner, list.end, &item)) {
            if (BoxIs(item, "\xA9nam"))
                ReadItemText(source, item, tags->title);
            else if (BoxIs(item, "\xA9" "ART"))
                ReadItemText(source, item, tags->artist);
        }
    }
}

// A QuickTime text: its size, a language, then the text.
static void ReadQuickTimeText(TagSource* source, const Mp4Box& item, char* field)
{
    unsigned char text[QUICKTIME_TEXT_HEADER_BYTES + DATA_TEXT_BYTES];
    uint64_t size = item.end - item.start;
    size_t count = size < sizeof text ? static_cast<size_t>(size) : sizeof text;
    if (count < QUICKTIME_TEXT_HEADER_BYTES || !ReadTagBytes(source, item.start, text, count))
        return;
    size_t length = BigEndian16(text);
    if (length > count - QUICKTIME_TEXT_HEADER_BYTES)
        length = count - QUICKTIME_TEXT_HEADER_BYTES;
    KeepByteText(field, text + QUICKTIME_TEXT_HEADER_BYTES, length);
}

static void ReadUserData(TagSource* source, const Mp4Box& data, MediaTags* tags)
{
    uint64_t at = data.start;
    Mp4Box box;
    while (NextBox(source, &at, data.end, &box)) {
        if (BoxIs(box, "meta"))
            ReadMeta(source, box, tags);
        else if (BoxIs(box, "\xA9nam"))
            ReadQuickTimeText(source, box, tags->title);
        else if (BoxIs(box, "\xA9" "ART"))
            ReadQuickTimeText(source, box, tags->artist);
    }
}

static void ReadMovie(TagSource* source, const Mp4Box& movie, MediaTags* tags)
{
    int64_t movieMs = -1;
    int64_t soundMs = -1;
    uint64_t at = movie.start;
    Mp4Box box;
    while (NextBox(source, &at, movie.end, &box)) {
        if (BoxIs(box, "mvhd")) {
            movieMs = ReadHeaderTimes(source, box);
        } else if (BoxIs(box, "trak")) {
            int64_t ms = ReadTrack(source, box, tags);
            soundMs = soundMs < 0 ? ms : soundMs;
        } else if (BoxIs(box, "meta")) {
            ReadMeta(source, box, tags);
        } else if (BoxIs(box, "udta")) {
            ReadUserData(source, box, tags);
        }
    }
    tags->lengthMs = soundMs >= 0 ? soundMs : movieMs;
}

bool ReadMp4Tags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char header[BOX_HEADER_BYTES];
    if (!ReadTagBytes(source, 0, header, sizeof header))
        return false;
    // A file type box is small. Another first box could be a RIFF file's
    // size read as a type: such a file is this kind only if a movie follows.
    bool fileType = std::memcmp(header + 4, "ftyp", 4) == 0 && BigEndian32(header) >= BOX_HEADER_BYTES &&
                    BigEndian32(header) <= FILE_TYPE_LONGEST;
    bool known = fileType;
    for (const char* type : OTHER_FIRST_BOXES)
        known = known || std::memcmp(header + 4, type, 4) == 0;
    if (!known)
        return false;
    // The walk goes on past the movie to see the media data whole, but not
    // through every fragment of a long fragmented file.
    bool haveMovie = false;
    bool past = false;
    uint64_t at = 0;
    Mp4Box box;
    for (size_t boxes = 0; boxes < TOP_BOXES && NextBox(source, &at, source->size, &box, &past); ++boxes) {
        if (BoxIs(box, "moov") && !haveMovie) {
            ReadMovie(source, box, tags);
            haveMovie = true;
        }
    }
    if (!fileType && !haveMovie)
        return false;
    // A file cut short would not play as long as its headers say.
    if (past)
        tags->lengthMs = -1;
    return true;
}
