#include <cstdlib>
#include <cstring>

#include "audio_tag_parts.h"
#include "text_chars.h"

static const size_t ID3V1_BYTES = 128;
static const size_t ID3V1_TITLE_AT = 3;
static const size_t ID3V1_ARTIST_AT = 33;
static const size_t ID3V1_FIELD_BYTES = 30;

static const size_t APE_FOOTER_BYTES = 32;
static const uint32_t APE_HAS_HEADER = 0x80000000u;
static const uint32_t APE_KIND_MASK = 0x6;  // item flags: 0 is UTF-8 text
static const size_t APE_ITEM_HEAD_BYTES = 8;

// key, a zero-ended text of count bytes at most, is the word in any case.
static bool IsKey(const unsigned char* key, size_t count, const char* word)
{
    size_t length = std::strlen(word);
    if (count <= length || key[length] != 0)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(static_cast<char>(key[i])) != word[i])
            return false;
    return true;
}

static void ReadApeItems(const unsigned char* b, size_t count, uint32_t items, MediaTags* tags)
{
    char text[TAG_TEXT_CAPACITY];
    size_t at = 0;
    for (uint32_t i = 0; i < items && count - at > APE_ITEM_HEAD_BYTES; ++i) {
        uint32_t valueBytes = LittleEndian32(b + at);
        uint32_t flags = LittleEndian32(b + at + 4);
        const unsigned char* key = b + at + APE_ITEM_HEAD_BYTES;
        size_t room = count - at - APE_ITEM_HEAD_BYTES;
        const void* keyEnd = std::memchr(key, 0, room);
        if (keyEnd == nullptr)
            return;
        size_t value = at + APE_ITEM_HEAD_BYTES + (static_cast<const unsigned char*>(keyEnd) - key) + 1;
        if (valueBytes > count - value)
            return;
        if ((flags & APE_KIND_MASK) == 0) {
            char* field = IsKey(key, room, "title") ? tags->title : IsKey(key, room, "artist") ? tags->artist : nullptr;
            if (field != nullptr) {
                TagTextFromUtf8(text, b + value, valueBytes);
                KeepFirstTagText(field, text);
            }
        }
        at = value + valueBytes;
    }
}

static void ReadApeItemsAt(TagSource* source, uint64_t offset, uint64_t size, uint32_t items, MediaTags* tags)
{
    size_t count = size < TAG_BLOCK_BYTES ? static_cast<size_t>(size) : TAG_BLOCK_BYTES;
    unsigned char* b = static_cast<unsigned char*>(std::malloc(count + 1));
    if (b != nullptr && ReadTagBytes(source, offset, b, count))
        ReadApeItems(b, count, items, tags);
    std::free(b);
}

// The APEv2 tag whose footer ends at end; where the tag starts, or end when
// there is none.
static uint64_t ReadApeTag(TagSource* source, uint64_t audioStart, uint64_t end, MediaTags* tags)
{
    unsigned char footer[APE_FOOTER_BYTES];
    if (end - audioStart < APE_FOOTER_BYTES || !ReadTagBytes(source, end - APE_FOOTER_BYTES, footer, sizeof footer) ||
        std::memcmp(footer, "APETAGEX", 8) != 0)
        return end;
    uint64_t size = LittleEndian32(footer + 12);  // items and footer
    uint64_t whole = size + (LittleEndian32(footer + 20) & APE_HAS_HEADER ? APE_FOOTER_BYTES : 0);
    if (size < APE_FOOTER_BYTES || whole > end - audioStart)
        return end;
    ReadApeItemsAt(source, end - size, size - APE_FOOTER_BYTES, LittleEndian32(footer + 16), tags);
    return end - whole;
}

uint64_t ReadLeadingApeTag(TagSource* source, uint64_t offset, MediaTags* tags)
{
    unsigned char header[APE_FOOTER_BYTES];
    if (!ReadTagBytes(source, offset, header, sizeof header) || std::memcmp(header, "APETAGEX", 8) != 0)
        return 0;
    uint64_t size = LittleEndian32(header + 12);  // items and footer
    if (size < APE_FOOTER_BYTES || size > source->size - offset - APE_FOOTER_BYTES)
        return 0;
    ReadApeItemsAt(source, offset + APE_FOOTER_BYTES, size - APE_FOOTER_BYTES, LittleEndian32(header + 16), tags);
    return APE_FOOTER_BYTES + size;
}

uint64_t ReadEndTags(TagSource* source, uint64_t audioStart, MediaTags* tags)
{
    uint64_t end = source->size;
    if (audioStart >= end)
        return end;
    // ID3v1 is last in the file but least to be trusted: 30 bytes cut texts.
    MediaTags last;
    ClearMediaTags(&last);
    unsigned char v1[ID3V1_BYTES];
    if (end - audioStart >= ID3V1_BYTES && ReadTagBytes(source, end - ID3V1_BYTES, v1, sizeof v1) &&
        std::memcmp(v1, "TAG", 3) == 0) {
        TagTextFromLatin1(last.title, v1 + ID3V1_TITLE_AT, ID3V1_FIELD_BYTES);
        TagTextFromLatin1(last.artist, v1 + ID3V1_ARTIST_AT, ID3V1_FIELD_BYTES);
        end -= ID3V1_BYTES;
    }
    end = ReadApeTag(source, audioStart, end, tags);
    KeepFirstTagText(tags->title, last.title);
    KeepFirstTagText(tags->artist, last.artist);
    return end;
}
