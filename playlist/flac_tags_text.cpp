#include <cstdlib>
#include <cstring>

#include "audio_tag_parts.h"

static const size_t MAGIC_BYTES = 4;
static const size_t BLOCK_HEADER_BYTES = 4;
static const unsigned char LAST_BLOCK = 0x80;
static const unsigned char STREAMINFO = 0;
static const unsigned char VORBIS_COMMENT = 4;
static const size_t STREAMINFO_BYTES = 34;
static const int MOST_BLOCKS = 128;

// Samples a second (20 bits) and in all (36 bits, 0 when not known).
static int64_t StreamLengthMs(const unsigned char* info)
{
    uint32_t rate = static_cast<uint32_t>(info[10]) << 12 | static_cast<uint32_t>(info[11]) << 4 | info[12] >> 4;
    uint64_t samples = static_cast<uint64_t>(info[13] & 0x0F) << 32 | BigEndian32(info + 14);
    return samples == 0 ? -1 : TagLengthMs(samples, rate);
}

bool ReadFlacTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char head[ID3V2_HEADER_BYTES];
    uint64_t at = 0;
    // An ID3v2 tag some taggers put in front is passed over.
    if (ReadTagBytes(source, 0, head, sizeof head))
        at = Id3v2TagBytes(head);
    unsigned char magic[MAGIC_BYTES];
    if (!ReadTagBytes(source, at, magic, sizeof magic) || std::memcmp(magic, "fLaC", MAGIC_BYTES) != 0)
        return false;
    at += MAGIC_BYTES;
    for (int n = 0; n < MOST_BLOCKS; ++n) {
        unsigned char h[BLOCK_HEADER_BYTES];
        if (!ReadTagBytes(source, at, h, sizeof h))
            break;
        unsigned char type = h[0] & ~LAST_BLOCK;
        uint32_t length = BigEndian24(h + 1);
        uint64_t body = at + BLOCK_HEADER_BYTES;
        if (length > source->size - body)
            break;  // runs past the end: what came before stands
        if (n == 0 && type == STREAMINFO && length >= STREAMINFO_BYTES) {
            unsigned char info[STREAMINFO_BYTES];
            if (ReadTagBytes(source, body, info, sizeof info))
                tags->lengthMs = StreamLengthMs(info);
        } else if (type == VORBIS_COMMENT) {
            // Of a long block only the head is read, where the texts usually are.
            size_t count = length < TAG_BLOCK_BYTES ? length : TAG_BLOCK_BYTES;
            unsigned char* comments = static_cast<unsigned char*>(std::malloc(count + 1));
            if (comments != nullptr && ReadTagBytes(source, body, comments, count))
                ReadVorbisComments(comments, count, tags);
            std::free(comments);
        }
        if (h[0] & LAST_BLOCK)
            break;
        at = body + length;
    }
    return true;
}
