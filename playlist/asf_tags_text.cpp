// A WMA or WMV file's length from its file properties, its title and author
// from its content description: both objects of the header at its head.
#include <cstring>

#include "media_tags_text.h"

static const size_t GUID_BYTES = 16;
static const size_t OBJECT_HEADER_BYTES = 24;   // its GUID, then its 64-bit size
static const size_t HEADER_OBJECT_BYTES = 30;   // and a count and two reserved bytes
// The GUIDs as they lie in the file.
static const unsigned char HEADER_OBJECT[GUID_BYTES] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
static const unsigned char FILE_PROPERTIES[GUID_BYTES] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                          0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
static const unsigned char CONTENT_DESCRIPTION[GUID_BYTES] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
static const unsigned char DATA_OBJECT[GUID_BYTES] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
// File properties past the object header: play duration in 100 ns units,
// the preroll in milliseconds, flags.
static const size_t PROPERTIES_BYTES = 68;
static const size_t PLAY_DURATION_AT = 40;
static const size_t PREROLL_AT = 56;
static const size_t FLAGS_AT = 64;
static const uint32_t FLAG_BROADCAST = 1;      // durations not filled in
static const uint64_t DURATION_UNITS = 10000;  // to the millisecond
// Content description: five 16-bit byte counts, then the texts in order.
static const size_t DESCRIPTION_COUNTS_BYTES = 10;
static const size_t DESCRIPTION_TEXT_BYTES = 2 * TAG_TEXT_CAPACITY;

struct AsfObject {
    unsigned char guid[GUID_BYTES];
    uint64_t start;      // of its contents
    uint64_t end;
};

static bool NextObject(TagSource* source, uint64_t* at, uint64_t end, AsfObject* object)
{
    unsigned char header[OBJECT_HEADER_BYTES];
    if (*at > end || end - *at < sizeof header || !ReadTagBytes(source, *at, header, sizeof header))
        return false;
    uint64_t size = LittleEndian64(header + GUID_BYTES);
    if (size < sizeof header || size > end - *at)
        return false;
    std::memcpy(object->guid, header, GUID_BYTES);
    object->start = *at + sizeof header;
    object->end = *at + size;
    *at = object->end;
    return true;
}

static int64_t ReadPlayLength(TagSource* source, const AsfObject& object)
{
    unsigned char properties[PROPERTIES_BYTES];
    if (object.end - object.start < sizeof properties ||
        !ReadTagBytes(source, object.start, properties, sizeof properties) ||
        (LittleEndian32(properties + FLAGS_AT) & FLAG_BROADCAST) != 0)
        return -1;
    uint64_t duration = LittleEndian64(properties + PLAY_DURATION_AT);
    uint64_t preroll = LittleEndian64(properties + PREROLL_AT);
    // The play duration counts the preroll, which is not heard.
    if (preroll > duration / DURATION_UNITS)
        return -1;
    return TagLengthMs(duration - preroll * DURATION_UNITS, DURATION_UNITS * 1000);
}

static void ReadDescription(TagSource* source, const AsfObject& object, MediaTags* tags)
{
    unsigned char counts[DESCRIPTION_COUNTS_BYTES];
    if (object.end - object.start < sizeof counts || !ReadTagBytes(source, object.start, counts, sizeof counts))
        return;
    uint64_t at = object.start + sizeof counts;
    char* fields[] = {tags->title, tags->artist};
    for (size_t i = 0; i < 2; ++i) {
        uint64_t size = LittleEndian16(counts + 2 * i);
        if (size > object.end - at)
            return;
        unsigned char text[DESCRIPTION_TEXT_BYTES];
        size_t count = size < sizeof text ? static_cast<size_t>(size) : sizeof text;
        char converted[TAG_TEXT_CAPACITY];
        if (!ReadTagBytes(source, at, text, count))
            return;
        TagTextFromUtf16(converted, text, count, false);
        KeepFirstTagText(fields[i], converted);
        at += size;
    }
}

bool ReadAsfTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char header[HEADER_OBJECT_BYTES];
    if (!ReadTagBytes(source, 0, header, GUID_BYTES) || std::memcmp(header, HEADER_OBJECT, GUID_BYTES) != 0)
        return false;
    if (!ReadTagBytes(source, GUID_BYTES, header + GUID_BYTES, sizeof header - GUID_BYTES))
        return true;
    // A header that claims more than the file is read as far as it goes.
    uint64_t size = LittleEndian64(header + GUID_BYTES);
    uint64_t end = size < source->size ? size : source->size;
    int64_t lengthMs = -1;
    uint64_t at = sizeof header;
    AsfObject object;
    while (NextObject(source, &at, end, &object)) {
        if (std::memcmp(object.guid, FILE_PROPERTIES, GUID_BYTES) == 0)
            lengthMs = ReadPlayLength(source, object);
        else if (std::memcmp(object.guid, CONTENT_DESCRIPTION, GUID_BYTES) == 0)
            ReadDescription(source, object, tags);
    }
    // The packets follow the header in one object; a file cut short within
    // them would not play as long as the header says.
    AsfObject data;
    at = end;
    if (size <= source->size && NextObject(source, &at, source->size, &data) &&
        std::memcmp(data.guid, DATA_OBJECT, GUID_BYTES) == 0)
        tags->lengthMs = lengthMs;
    return true;
}
