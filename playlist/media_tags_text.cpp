#include "media_tags_text.h"

#include <cstring>

#include "../app/shared_text.h"

void ClearMediaTags(MediaTags* tags)
{
    tags->title[0] = '\0';
    tags->artist[0] = '\0';
    tags->lengthMs = -1;
}

void BeginTagSource(TagSource* source, uint64_t size,
                    size_t (*read)(void* context, uint64_t offset, unsigned char* bytes, size_t count),
                    void* context)
{
    source->size = size;
    source->read = read;
    source->context = context;
    source->budget = TAG_READ_BUDGET;
}

bool ReadMediaTags(TagSource* source, MediaTags* tags)
{
    static bool (*const READERS[])(TagSource*, MediaTags*) = {ReadWaveTags, ReadAviTags, ReadMidiTags, ReadFlacTags,
                                                               ReadOggTags, ReadMp4Tags,
                                                               ReadAsfTags, ReadMp3Tags};
    for (auto reader : READERS) {
        if (reader(source, tags))
            return true;
    }
    ClearMediaTags(tags);
    return false;
}

size_t ReadTagBlock(TagSource* source, uint64_t offset, unsigned char* bytes, size_t count)
{
    if (offset >= source->size)
        return 0;
    if (count > source->size - offset)
        count = static_cast<size_t>(source->size - offset);
    if (count > source->budget)
        count = static_cast<size_t>(source->budget);
    if (count == 0)
        return 0;
    source->budget -= count;
    size_t got = source->read(source->context, offset, bytes, count);
    return got <= count ? got : 0;
}

bool ReadTagBytes(TagSource* source, uint64_t offset, unsigned char* bytes, size_t count)
{
    if (offset > source->size || count > source->size - offset || count > source->budget)
        return false;
    return count == 0 || ReadTagBlock(source, offset, bytes, count) == count;
}

uint16_t BigEndian16(const unsigned char* b)
{
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t BigEndian24(const unsigned char* b)
{
    return static_cast<uint32_t>(b[0]) << 16 | static_cast<uint32_t>(b[1]) << 8 | b[2];
}

uint32_t BigEndian32(const unsigned char* b)
{
    return static_cast<uint32_t>(b[0]) << 24 | BigEndian24(b + 1);
}

uint64_t BigEndian64(const unsigned char* b)
{
    return static_cast<uint64_t>(BigEndian32(b)) << 32 | BigEndian32(b + 4);
}

uint16_t LittleEndian16(const unsigned char* b)
{
    return static_cast<uint16_t>(b[1] << 8 | b[0]);
}

uint32_t LittleEndian32(const unsigned char* b)
{
    return static_cast<uint32_t>(b[3]) << 24 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[1]) << 8 | b[0];
}

uint64_t LittleEndian64(const unsigned char* b)
{
    return static_cast<uint64_t>(LittleEndian32(b + 4)) << 32 | LittleEndian32(b);
}

// ---- Texts -------------------------------------------------------------------

static const uint32_t REPLACEMENT = 0xFFFD;

// The field as it is written, one character at a time.
struct FieldWriter {
    char* field;
    size_t length;
    bool full;
};

static size_t EncodedLength(uint32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

static void Put(FieldWriter* out, uint32_t c)
{
    if (out->full)
        return;
    // Control characters would break a line of the list or of a kept file.
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return;
    if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        c = REPLACEMENT;
    size_t size = EncodedLength(c);
    if (out->length + size >= TAG_TEXT_CAPACITY) {
        out->full = true;
        return;
    }
    char* to = out->field + out->length;
    if (size == 1) {
        to[0] = static_cast<char>(c);
    } else {
        static const unsigned char FIRST_MARK[] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (size_t i = size - 1; i > 0; --i) {
            to[i] = static_cast<char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        to[0] = static_cast<char>(FIRST_MARK[size] | c);
    }
    out->length += size;
}

static void Begin(FieldWriter* out, char* field)
{
    out->field = field;
    out->length = 0;
    out->full = false;
}

// Blanks at either end are no part of a title.
static void Finish(FieldWriter* out)
{
    char* field = out->field;
    size_t length = out->length;
    while (length > 0 && field[length - 1] == ' ')
        --length;
    size_t start = 0;
    while (start < length && field[start] == ' ')
        ++start;
    std::memmove(field, field + start, length - start);
    field[length - start] = '\0';
}

void TagTextFromLatin1(char* field, const unsigned char* bytes, size_t count)
{
    FieldWriter out;
    Begin(&out, field);
    for (size_t i = 0; i < count && bytes[i] != 0; ++i)
        Put(&out, bytes[i]);
    Finish(&out);
}

void TagTextFromUtf8(char* field, const unsigned char* bytes, size_t count)
{
    FieldWriter out;
    Begin(&out, field);
    for (size_t i = 0; i < count && bytes[i] != 0;) {
        size_t length = Utf8SequenceLength(bytes + i, count - i);
        if (length == 0) {
            Put(&out, REPLACEMENT);
            ++i;
            continue;
        }
        uint32_t c = length == 1 ? bytes[i] : bytes[i] & (0x7F >> length);
        for (size_t k = 1; k < length; ++k)
            c = c << 6 | (bytes[i + k] & 0x3F);
        Put(&out, c);
        i += length;
    }
    Finish(&out);
}

void TagTextFromUtf16(char* field, const unsigned char* bytes, size_t count, bool bigEndian)
{
    FieldWriter out;
    Begin(&out, field);
    for (size_t i = 0; i + 1 < count; i += 2) {
        uint32_t c = bigEndian ? BigEndian16(bytes + i) : LittleEndian16(bytes + i);
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < count) {
            uint32_t low = bigEndian ? BigEndian16(bytes + i + 2) : LittleEndian16(bytes + i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        Put(&out, c);
    }
    Finish(&out);
}

void KeepFirstTagText(char* field, const char* text)
{
    if (field[0] != '\0' || text[0] == '\0')
        return;
    size_t length = std::strlen(text);
    if (length >= TAG_TEXT_CAPACITY)
        length = TAG_TEXT_CAPACITY - 1;
    // Never half a character.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

int64_t TagLengthMs(uint64_t count, uint64_t rate)
{
    if (rate == 0)
        return -1;
    uint64_t seconds = count / rate;
    if (seconds > static_cast<uint64_t>(TAG_LONGEST_MS / 1000))
        return -1;
    uint64_t rest = count % rate;
    uint64_t restMs = rest <= UINT64_MAX / 1000 ? rest * 1000 / rate : rest / (rate / 1000);
    return static_cast<int64_t>(seconds * 1000 + restMs);
}
