#include <cstdlib>
#include <cstring>

#include "audio_tag_parts.h"

static const unsigned char TAG_UNSYNCHRONISED = 0x80;
static const unsigned char TAG_EXTENDED_HEADER = 0x40;
static const unsigned char TAG_V22_COMPRESSED = 0x40;
static const unsigned char TAG_FOOTER = 0x10;
static const size_t FOOTER_BYTES = 10;

static const unsigned char V23_COMPRESSED = 0x80;
static const unsigned char V23_ENCRYPTED = 0x40;
static const unsigned char V23_GROUPED = 0x20;
static const unsigned char V24_GROUPED = 0x40;
static const unsigned char V24_COMPRESSED = 0x08;
static const unsigned char V24_ENCRYPTED = 0x04;
static const unsigned char V24_UNSYNCHRONISED = 0x02;
static const unsigned char V24_DATA_LENGTH = 0x01;

static const int MOST_FRAMES = 512;
// Hops past big frames (pictures) to the ones after them.
static const int MOST_WINDOWS = 8;
// More of a text frame than a field holds is never needed.
static const size_t TEXT_FRAME_BYTES = 4 * TAG_TEXT_CAPACITY;

enum TextEncoding { LATIN1 = 0, UTF16_MARKED = 1, UTF16_BIG = 2, UTF8 = 3 };

static uint32_t SyncSafe32(const unsigned char* b)
{
    return static_cast<uint32_t>(b[0] & 0x7F) << 21 | static_cast<uint32_t>(b[1] & 0x7F) << 14 |
           static_cast<uint32_t>(b[2] & 0x7F) << 7 | (b[3] & 0x7F);
}

static bool IsSyncSafe(const unsigned char* b)
{
    return ((b[0] | b[1] | b[2] | b[3]) & 0x80) == 0;
}

uint64_t Id3v2TagBytes(const unsigned char* h)
{
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF || !IsSyncSafe(h + 6))
        return 0;
    uint64_t footer = h[3] == 4 && (h[5] & TAG_FOOTER) ? FOOTER_BYTES : 0;
    return ID3V2_HEADER_BYTES + SyncSafe32(h + 6) + footer;
}

// Drops the zero that follows each 0xFF; the count kept.
static size_t Resynchronise(unsigned char* bytes, size_t count)
{
    size_t kept = 0;
    unsigned char previous = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!(bytes[i] == 0 && previous == 0xFF))
            bytes[kept++] = bytes[i];
        previous = bytes[i];
    }
    return kept;
}

// The part of the tag's frames held in memory: positions count from the
// end of the tag's header. A resynchronised tag is held once, never moved.
struct TagWindow {
    TagSource* source;
    uint64_t framesStart;
    uint64_t framesEnd;
    unsigned char* bytes;
    uint64_t start;
    size_t length;
    bool fixed;
    int loads;
};

static const unsigned char* Hold(TagWindow* w, uint64_t at, size_t count)
{
    if (at >= w->start && count <= w->length && at - w->start <= w->length - count)
        return w->bytes + (at - w->start);
    if (w->fixed || w->loads >= MOST_WINDOWS || count > TAG_BLOCK_BYTES || count > w->framesEnd - at)
        return nullptr;
    ++w->loads;
    uint64_t wanted = w->framesEnd - at < TAG_BLOCK_BYTES ? w->framesEnd - at : TAG_BLOCK_BYTES;
    size_t got = ReadTagBlock(w->source, w->framesStart + at, w->bytes, static_cast<size_t>(wanted));
    w->start = at;
    w->length = got;
    return got >= count ? w->bytes : nullptr;
}

static void TextOfFrame(char* field, const unsigned char* b, size_t count)
{
    field[0] = '\0';
    if (count < 1)
        return;
    unsigned char encoding = b[0];
    ++b;
    --count;
    if (encoding == LATIN1) {
        TagTextFromLatin1(field, b, count);
    } else if (encoding == UTF8) {
        TagTextFromUtf8(field, b, count);
    } else if (encoding == UTF16_MARKED || encoding == UTF16_BIG) {
        bool big = encoding == UTF16_BIG;
        if (count >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
            big = b[0] == 0xFE;
            b += 2;
            count -= 2;
        } else if (encoding == UTF16_MARKED && count >= 2) {
            // Some writers leave the mark out: the zero half of a Latin
            // character tells the order.
            big = b[0] == 0 && b[1] != 0;
        }
        TagTextFromUtf16(field, b, count, big);
    }
}

struct FrameTexts {
    char title[TAG_TEXT_CAPACITY];
    char artist[TAG_TEXT_CAPACITY];
    char band[TAG_TEXT_CAPACITY];
};

static char* FieldOf(FrameTexts* texts, const unsigned char* id, int version)
{
    static const char* const IDS[2][3] = {{"TT2", "TP1", "TP2"}, {"TIT2", "TPE1", "TPE2"}};
    char* fields[3] = {texts->title, texts->artist, texts->band};
    size_t idBytes = version == 2 ? 3 : 4;
    for (int i = 0; i < 3; ++i)
        if (std::memcmp(id, IDS[version == 2 ? 0 : 1][i], idBytes) == 0)
            return fields[i];
    return nullptr;
}

// The frame's text from its stored bytes, past the extra bytes its flags add.
static void ReadTextFrame(char* field, const unsigned char* stored, size_t count, int version,
                          unsigned char flags, bool tagUnsynchronised)
{
    size_t extra = 0;
    bool unsynchronised = false;
    if (version == 3) {
        if (flags & (V23_COMPRESSED | V23_ENCRYPTED))
            return;
        extra = flags & V23_GROUPED ? 1 : 0;
    } else if (version == 4) {
        if (flags & (V24_COMPRESSED | V24_ENCRYPTED))
            return;
        extra = (flags & V24_GROUPED ? 1 : 0) + (flags & V24_DATA_LENGTH ? 4 : 0);
        unsynchronised = (flags & V24_UNSYNCHRONISED) || tagUnsynchronised;
    }
    if (extra >= count)
        return;
    unsigned char text[TEXT_FRAME_BYTES];
    size_t length = count - extra < sizeof text ? count - extra : sizeof text;
    std::memcpy(text, stored + extra, length);
    if (unsynchronised)
        length = Resynchronise(text, length);
    TextOfFrame(field, text, length);
}

static void ReadFrames(TagWindow* w, uint64_t at, int version, bool tagUnsynchronised, FrameTexts* texts)
{
    size_t headerBytes = version == 2 ? 6 : 10;
    for (int n = 0; n < MOST_FRAMES && at <= w->framesEnd && w->framesEnd - at >= headerBytes; ++n) {
        const unsigned char* h = Hold(w, at, headerBytes);
        if (h == nullptr || h[0] == 0)
            return;  // out of reach, or the padding
        uint32_t size;
        unsigned char flags = 0;
        if (version == 2) {
            size = BigEndian24(h + 3);
        } else {
            // Some writers put plain sizes in 2.4 tags; those are not sync-safe.
            size = version == 4 && IsSyncSafe(h + 4) ? SyncSafe32(h + 4) : BigEndian32(h + 4);
            flags = h[9];
        }
        uint64_t body = at + headerBytes;
        if (size > w->framesEnd - body)
            return;  // runs past the tag: what came before stands
        unsigned char id[4];
        std::memcpy(id, h, headerBytes == 6 ? 3 : 4);
        char* field = FieldOf(texts, id, version);
        if (field != nullptr && field[0] == '\0') {
            size_t take = size < TEXT_FRAME_BYTES ? size : TEXT_FRAME_BYTES;
            const unsigned char* stored = Hold(w, body, take);
            if (stored != nullptr)
                ReadTextFrame(field, stored, take, version, flags, tagUnsynchronised);
        }
        at = body + size;
    }
}

void ReadId3v2Tag(TagSource* source, uint64_t offset, MediaTags* tags)
{
    unsigned char header[ID3V2_HEADER_BYTES];
    if (!ReadTagBytes(source, offset, header, sizeof header) || Id3v2TagBytes(header) == 0)
        return;
    int version = header[3];
    unsigned char flags = header[5];
    if (version == 2 && (flags & TAG_V22_COMPRESSED))
        return;
    TagWindow w;
    w.source = source;
    w.framesStart = offset + ID3V2_HEADER_BYTES;
    uint64_t claimed = SyncSafe32(header + 6);
    // A tag that claims more than the file holds is read as far as it goes.
    uint64_t inFile = source->size - w.framesStart;
    w.framesEnd = claimed < inFile ? claimed : inFile;
    // Loads never pass the frames' end.
    size_t room = w.framesEnd < TAG_BLOCK_BYTES ? static_cast<size_t>(w.framesEnd) + 1 : TAG_BLOCK_BYTES;
    w.bytes = static_cast<unsigned char*>(std::malloc(room));
    if (w.bytes == nullptr)
        return;
    w.start = 0;
    w.length = 0;
    w.loads = 0;
    bool wholeUnsynchronised = version < 4 && (flags & TAG_UNSYNCHRONISED);
    w.fixed = wholeUnsynchronised;
    if (wholeUnsynchronised) {
        // Frame positions count in the resynchronised bytes, so the tag's
        // first block is all that can be read.
        size_t wanted = w.framesEnd < TAG_BLOCK_BYTES ? static_cast<size_t>(w.framesEnd) : TAG_BLOCK_BYTES;
        w.length = Resynchronise(w.bytes, ReadTagBlock(source, w.framesStart, w.bytes, wanted));
        w.framesEnd = w.length;
    }
    uint64_t at = 0;
    if (version > 2 && (flags & TAG_EXTENDED_HEADER)) {
        const unsigned char* size = Hold(&w, 0, 4);
        // 2.3 counts the size's own bytes out, 2.4 in.
        if (size != nullptr)
            at = version == 3 ? 4 + static_cast<uint64_t>(BigEndian32(size)) : SyncSafe32(size);
        if (size == nullptr || at > w.framesEnd)
            at = w.framesEnd;
    }
    FrameTexts texts = {};
    ReadFrames(&w, at, version, (flags & TAG_UNSYNCHRONISED) != 0, &texts);
    KeepFirstTagText(tags->title, texts.title);
    // The band (album artist) stands in for a missing artist.
    KeepFirstTagText(tags->artist, texts.artist[0] != '\0' ? texts.artist : texts.band);
    std::free(w.bytes);
}
