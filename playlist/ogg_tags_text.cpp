#include <cstdlib>
#include <cstring>

#include "audio_tag_parts.h"

static const size_t MAGIC_BYTES = 4;
static const size_t PAGE_HEADER_BYTES = 27;
static const size_t LONGEST_PAGE_BYTES = PAGE_HEADER_BYTES + 255 + 255 * 255;
static const size_t CHECKSUM_AT = 22;
static const unsigned char BEGINS_STREAM = 0x02;
static const size_t LONGEST_LACE = 255;
// The comment packet may span pages; pictures in it make it long.
static const size_t HEAD_BYTES = 4 * TAG_BLOCK_BYTES;
// Going back from the end to find the stream's last page with a granule.
static const int TAIL_BLOCKS = 8;
// Candidate pages whose checksum is worked out or which are read apart.
static const int MOST_TAIL_CHECKS = 64;

static const uint32_t OPUS_RATE = 48000;
static const size_t OPUS_HEAD_BYTES = 19;
static const size_t OPUS_PRE_SKIP_AT = 10;
static const size_t VORBIS_HEAD_BYTES = 30;
static const size_t VORBIS_RATE_AT = 12;

struct OggPage {
    unsigned char type;
    uint64_t granule;
    uint32_t serial;
    size_t segments;
    const unsigned char* lacing;
    size_t bytes;  // header, lacing and body
};

struct OggStream {
    uint32_t serial;
    bool opus;
    uint32_t rate;
    uint32_t preSkip;
};

struct CrcTable {
    uint32_t entries[256];
};

static constexpr CrcTable MakeCrcTable()
{
    CrcTable table = {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
        table.entries[i] = crc;
    }
    return table;
}

static constexpr CrcTable CRC = MakeCrcTable();

// The page whose header count bytes at b hold; its body may lie beyond them.
static bool ReadPage(const unsigned char* b, size_t count, OggPage* page)
{
    if (count < PAGE_HEADER_BYTES || std::memcmp(b, "OggS", MAGIC_BYTES) != 0 || b[4] != 0 ||
        count - PAGE_HEADER_BYTES < b[26])
        return false;
    page->type = b[5];
    page->granule = LittleEndian64(b + 6);
    page->serial = LittleEndian32(b + 14);
    page->segments = b[26];
    page->lacing = b + PAGE_HEADER_BYTES;
    page->bytes = PAGE_HEADER_BYTES + page->segments;
    for (size_t i = 0; i < page->segments; ++i)
        page->bytes += page->lacing[i];
    return true;
}

static bool HasRightChecksum(const unsigned char* page, size_t bytes)
{
    uint32_t crc = 0;
    for (size_t i = 0; i < bytes; ++i) {
        unsigned char byte = i >= CHECKSUM_AT && i < CHECKSUM_AT + 4 ? 0 : page[i];
        crc = crc << 8 ^ CRC.entries[(crc >> 24) ^ byte];
    }
    return crc == LittleEndian32(page + CHECKSUM_AT);
}

// The first Opus or Vorbis stream among those the first pages begin.
static bool ChooseStream(const unsigned char* h, size_t count, OggStream* stream)
{
    size_t at = 0;
    OggPage page;
    while (ReadPage(h + at, count - at, &page) && (page.type & BEGINS_STREAM) && page.bytes <= count - at) {
        const unsigned char* packet = h + at + PAGE_HEADER_BYTES + page.segments;
        size_t packetBytes = 0;
        for (size_t i = 0; i < page.segments; ++i) {
            packetBytes += page.lacing[i];
            if (page.lacing[i] < LONGEST_LACE)
                break;
        }
        stream->serial = page.serial;
        if (packetBytes >= OPUS_HEAD_BYTES && std::memcmp(packet, "OpusHead", 8) == 0) {
            stream->opus = true;
            stream->rate = OPUS_RATE;
            stream->preSkip = LittleEndian16(packet + OPUS_PRE_SKIP_AT);
            return true;
        }
        if (packetBytes >= VORBIS_HEAD_BYTES && std::memcmp(packet, "\x01vorbis", 7) == 0) {
            stream->opus = false;
            stream->rate = LittleEndian32(packet + VORBIS_RATE_AT);
            stream->preSkip = 0;
            return true;
        }
        at += page.bytes;
    }
    return false;
}

// The stream's second packet, its comments, as far as the head holds it;
// the count of bytes copied into packet, which holds count bytes.
static size_t CommentPacket(const unsigned char* h, size_t count, uint32_t serial, unsigned char* packet)
{
    size_t at = 0;
    size_t length = 0;
    int index = 0;
    OggPage page;
    while (index < 2 && ReadPage(h + at, count - at, &page)) {
        size_t bodyAt = at + PAGE_HEADER_BYTES + page.segments;
        size_t held = page.bytes <= count - at ? page.bytes - PAGE_HEADER_BYTES - page.segments : count - bodyAt;
        size_t offset = 0;
        for (size_t i = 0; page.serial == serial && i < page.segments && index < 2; ++i) {
            size_t lace = page.lacing[i];
            if (index == 1 && offset < held) {
                size_t copied = lace < held - offset ? lace : held - offset;
                std::memcpy(packet + length, h + bodyAt + offset, copied);
                length += copied;
            }
            offset += lace;
            if (lace < LONGEST_LACE)
                ++index;
        }
        if (page.bytes > count - at)
            break;
        at += page.bytes;
    }
    return length;
}

// The granule of the stream's last page that has one (-1 ends no packet),
// found going back from the end; -1 when none is within reach.
static int64_t LastGranule(TagSource* source, uint32_t serial, unsigned char* block, unsigned char* apart,
                           size_t apartBytes)
{
    uint64_t end = source->size;
    int checks = 0;
    for (int step = 0; step < TAIL_BLOCKS && end >= MAGIC_BYTES; ++step) {
        uint64_t start = end > TAG_BLOCK_BYTES ? end - TAG_BLOCK_BYTES : 0;
        size_t count = ReadTagBlock(source, start, block, static_cast<size_t>(end - start));
        if (count != end - start)
            return -1;
        for (size_t at = count - MAGIC_BYTES + 1; at-- > 0;) {
            if (std::memcmp(block + at, "OggS", MAGIC_BYTES) != 0)
                continue;
            const unsigned char* p = block + at;
            size_t held = count - at;
            OggPage page;
            if (!ReadPage(p, held, &page) || page.bytes > held) {
                // A page across the block's start, or cut short at the end.
                if (++checks > MOST_TAIL_CHECKS)
                    return -1;
                held = ReadTagBlock(source, start + at, apart, apartBytes);
                p = apart;
                if (!ReadPage(p, held, &page) || page.bytes > held)
                    continue;
            }
            if (page.serial != serial || static_cast<int64_t>(page.granule) < 0)
                continue;
            if (++checks > MOST_TAIL_CHECKS)
                return -1;
            // "OggS" inside a packet is no page.
            if (HasRightChecksum(p, page.bytes))
                return static_cast<int64_t>(page.granule);
        }
        if (start == 0)
            break;
        end = start + MAGIC_BYTES - 1;
    }
    return -1;
}

static int64_t StreamLengthMs(TagSource* source, const OggStream& stream)
{
    // A small file needs no more room than it has bytes.
    size_t blockBytes = source->size < TAG_BLOCK_BYTES ? static_cast<size_t>(source->size) : TAG_BLOCK_BYTES;
    size_t apartBytes = source->size < LONGEST_PAGE_BYTES ? static_cast<size_t>(source->size) : LONGEST_PAGE_BYTES;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(blockBytes));
    unsigned char* apart = static_cast<unsigned char*>(std::malloc(apartBytes));
    int64_t granule =
        block != nullptr && apart != nullptr ? LastGranule(source, stream.serial, block, apart, apartBytes) : -1;
    std::free(block);
    std::free(apart);
    if (granule < 0 || static_cast<uint64_t>(granule) < stream.preSkip)
        return -1;
    return TagLengthMs(static_cast<uint64_t>(granule) - stream.preSkip, stream.rate);
}

bool ReadOggTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char magic[MAGIC_BYTES];
    if (!ReadTagBytes(source, 0, magic, sizeof magic) || std::memcmp(magic, "OggS", MAGIC_BYTES) != 0)
        return false;
    size_t headBytes = source->size < HEAD_BYTES ? static_cast<size_t>(source->size) : HEAD_BYTES;
    unsigned char* head = static_cast<unsigned char*>(std::malloc(headBytes));
    if (head == nullptr)
        return false;
    size_t count = ReadTagBlock(source, 0, head, headBytes);
    OggStream stream;
    bool known = ChooseStream(head, count, &stream);
    unsigned char* packet = known ? static_cast<unsigned char*>(std::malloc(count)) : nullptr;
    if (packet != nullptr) {
        size_t length = CommentPacket(head, count, stream.serial, packet);
        const char* mark = stream.opus ? "OpusTags" : "\x03vorbis";
        size_t markBytes = std::strlen(mark);
        if (length >= markBytes && std::memcmp(packet, mark, markBytes) == 0)
            ReadVorbisComments(packet + markBytes, length - markBytes, tags);
    }
    std::free(packet);
    std::free(head);
    if (known)
        tags->lengthMs = StreamLengthMs(source, stream);
    return known;
}
