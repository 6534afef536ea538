#include <cstdlib>
#include <cstring>

#include "audio_tag_parts.h"

// Without an ID3v2 tag in front, a real frame must start this early to call
// the file an MP3.
static const size_t BARE_SEARCH_BYTES = 4096;
// After a tag, padding and junk may come before the first frame.
static const size_t TAGGED_SEARCH_BYTES = TAG_BLOCK_BYTES;
// MPEG-2.5 layer II at 160 kbit/s and 8 kHz, padded.
static const size_t LONGEST_FRAME_BYTES = 2881;
static const size_t FRAME_HEADER_BYTES = 4;
static const size_t VBRI_AT = FRAME_HEADER_BYTES + 32;
static const size_t VBRI_FRAMES_AT = 14;
static const uint32_t XING_HAS_FRAMES = 0x1;
static const size_t CRC_BYTES = 2;
// The frames, bytes, table of contents and quality fields, by flag.
static const size_t XING_FIELD_BYTES[4] = {4, 4, 100, 4};
// After the encoder's name and version: 12 bits of delay, 12 of padding.
static const size_t ENCODER_ADDED_AT = 21;

enum MpegVersion { MPEG_25 = 0, MPEG_2 = 2, MPEG_1 = 3 };

struct MpegFrame {
    int version;
    int layer;
    uint32_t kbps;
    uint32_t leastKbps;  // of the stream's kind: its smallest frames
    uint32_t rate;
    uint32_t samples;   // a frame's, per channel
    uint32_t bytes;
    bool mono;
    bool crc;
};

static uint32_t FrameBytes(const MpegFrame& f, uint32_t kbps, uint32_t padding)
{
    return f.layer == 1 ? (12000 * kbps / f.rate + padding) * 4 : f.samples / 8 * 1000 * kbps / f.rate + padding;
}

static bool ReadFrameHeader(const unsigned char* b, MpegFrame* f)
{
    static const uint16_t KBPS[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2 and 2.5, layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2 and 2.5, II and III
    };
    static const uint32_t RATES[3] = {44100, 48000, 32000};
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return false;
    f->version = (b[1] >> 3) & 3;
    f->layer = 4 - ((b[1] >> 1) & 3);
    int kbpsIndex = b[2] >> 4;
    int rateIndex = (b[2] >> 2) & 3;
    // A free bit rate gives no frame size to chain frames by.
    if (f->version == 1 || f->layer == 4 || kbpsIndex == 0 || kbpsIndex == 15 || rateIndex == 3 || (b[3] & 3) == 2)
        return false;
    bool one = f->version == MPEG_1;
    int row = one ? f->layer - 1 : (f->layer == 1 ? 3 : 4);
    f->kbps = KBPS[row][kbpsIndex];
    f->leastKbps = KBPS[row][1];
    f->rate = RATES[rateIndex] >> (one ? 0 : f->version == MPEG_2 ? 1 : 2);
    f->samples = f->layer == 1 ? 384 : (f->layer == 3 && !one) ? 576 : 1152;
    f->bytes = FrameBytes(*f, f->kbps, (b[2] >> 1) & 1);
    f->mono = (b[3] >> 6) == 3;
    f->crc = (b[1] & 1) == 0;
    return true;
}

// A frame is real when another of the same stream follows it.
static bool IsRealFrame(const unsigned char* b, size_t count, size_t at, MpegFrame* f)
{
    MpegFrame next;
    return count - at >= FRAME_HEADER_BYTES && ReadFrameHeader(b + at, f) && count - at >= f->bytes &&
           count - at - f->bytes >= FRAME_HEADER_BYTES && ReadFrameHeader(b + at + f->bytes, &next) &&
           next.version == f->version && next.layer == f->layer && next.rate == f->rate;
}

// The samples an encoder's tag after the Xing fields says it added at either
// end (its delay and padding); 0 without one.
static uint32_t AddedSamples(const unsigned char* x, size_t room)
{
    uint32_t flags = BigEndian32(x + 4);
    size_t at = 8;
    for (size_t i = 0; i < 4; ++i)
        at += flags & (1u << i) ? XING_FIELD_BYTES[i] : 0;
    if (at + ENCODER_ADDED_AT + 3 > room ||
        (std::memcmp(x + at, "LAME", 4) != 0 && std::memcmp(x + at, "Lav", 3) != 0))
        return 0;
    uint32_t added = BigEndian24(x + at + ENCODER_ADDED_AT);
    return (added >> 12) + (added & 0xFFF);
}

// The frame count of a Xing/Info or VBRI frame; 0 when the frame is audio.
// info tells whether it is such a frame at all.
static uint32_t CountedFrames(const unsigned char* frame, const MpegFrame& f, bool* info, uint32_t* added)
{
    *info = false;
    *added = 0;
    if (f.layer != 3)
        return 0;
    size_t side = f.version == MPEG_1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
    size_t xing = FRAME_HEADER_BYTES + side;
    // Writers disagree on whether the checksum comes first.
    for (size_t crc = 0; crc <= (f.crc ? CRC_BYTES : 0); crc += CRC_BYTES) {
        const unsigned char* x = frame + xing + crc;
        if (xing + crc + 12 <= f.bytes && (std::memcmp(x, "Xing", 4) == 0 || std::memcmp(x, "Info", 4) == 0)) {
            *info = true;
            *added = AddedSamples(x, f.bytes - xing - crc);
            return BigEndian32(x + 4) & XING_HAS_FRAMES ? BigEndian32(x + 8) : 0;
        }
    }
    if (VBRI_AT + VBRI_FRAMES_AT + 4 <= f.bytes && std::memcmp(frame + VBRI_AT, "VBRI", 4) == 0) {
        *info = true;
        return BigEndian32(frame + VBRI_AT + VBRI_FRAMES_AT);
    }
    return 0;
}

// The length from the first real frame at first in b, of a stream whose
// audio runs to audioEnd in the file.
static int64_t LengthMs(const unsigned char* b, size_t first, uint64_t firstOffset, uint64_t audioEnd)
{
    MpegFrame f;
    ReadFrameHeader(b + first, &f);
    if (audioEnd <= firstOffset)
        return -1;
    bool info;
    uint32_t added;
    uint32_t frames = CountedFrames(b + first, f, &info, &added);
    if (frames > 0) {
        // A count no file this size could hold is a lie.
        if (frames > (audioEnd - firstOffset) / FrameBytes(f, f.leastKbps, 0) + 1)
            return -1;
        uint64_t samples = static_cast<uint64_t>(frames) * f.samples;
        return TagLengthMs(samples > added ? samples - added : samples, f.rate);
    }
    if (info) {
        // Counted nothing: the estimate from the first frame of audio.
        firstOffset += f.bytes;
        first += f.bytes;
        // The frame after it was read already: it chains.
        ReadFrameHeader(b + first, &f);
        if (audioEnd <= firstOffset)
            return -1;
    }
    return TagLengthMs(audioEnd - firstOffset, static_cast<uint64_t>(f.kbps) * 1000 / 8);
}

bool ReadMp3Tags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    unsigned char head[ID3V2_HEADER_BYTES];
    if (!ReadTagBytes(source, 0, head, sizeof head))
        return false;
    uint64_t tagBytes = Id3v2TagBytes(head);
    if (tagBytes > 0) {
        unsigned char after[4];
        if (tagBytes > source->size - sizeof after) {
            // A tag that runs past the end: its texts, and no length.
            ReadId3v2Tag(source, 0, tags);
            return true;
        }
        if (ReadTagBytes(source, tagBytes, after, sizeof after) && std::memcmp(after, "fLaC", 4) == 0)
            return false;
        ReadId3v2Tag(source, 0, tags);
    }
    uint64_t audioStart = tagBytes + ReadLeadingApeTag(source, tagBytes, tags);
    size_t search = tagBytes > 0 ? TAGGED_SEARCH_BYTES : BARE_SEARCH_BYTES;
    size_t wanted = search + LONGEST_FRAME_BYTES + FRAME_HEADER_BYTES;
    if (wanted > source->size - audioStart)
        wanted = static_cast<size_t>(source->size - audioStart);
    unsigned char* b = static_cast<unsigned char*>(std::malloc(wanted + 1));
    if (b == nullptr)
        return tagBytes > 0;
    size_t count = ReadTagBlock(source, audioStart, b, wanted);
    size_t first = 0;
    MpegFrame f;
    while (first < search && first < count && !IsRealFrame(b, count, first, &f))
        ++first;
    bool found = first < search && first < count;
    if (found) {
        uint64_t firstOffset = audioStart + first;
        uint64_t audioEnd = ReadEndTags(source, firstOffset, tags);
        tags->lengthMs = LengthMs(b, first, firstOffset, audioEnd);
    }
    std::free(b);
    return found || tagBytes > 0;
}
