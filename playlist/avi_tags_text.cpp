// An AVI file's length from its stream headers, its title from INFO, which
// writers put inside the header list or before or after the frames.
#include "media_tags_text.h"
#include "riff_chunks_text.h"

static const size_t MAIN_HEADER_BYTES = 20;
static const size_t MAIN_FRAMES_AT = 16;
static const size_t STREAM_HEADER_BYTES = 36;
static const size_t STREAM_SCALE_AT = 20;
static const size_t STREAM_RATE_AT = 24;
static const size_t STREAM_LENGTH_AT = 32;
static const uint64_t MICROSECONDS = 1000000;

struct AviFacts {
    int64_t audioMs;     // of the first stream of each kind, -1 while none
    int64_t videoMs;
    int64_t framesMs;    // the main header's frames at its frame time
};

static void ReadMainHeader(TagSource* source, const RiffChunk& chunk, AviFacts* facts)
{
    unsigned char header[MAIN_HEADER_BYTES];
    if (chunk.whole && chunk.size >= sizeof header && ReadTagBytes(source, chunk.start, header, sizeof header))
        facts->framesMs = TagLengthMs(static_cast<uint64_t>(LittleEndian32(header + MAIN_FRAMES_AT)) *
                                          LittleEndian32(header),
                                      MICROSECONDS);
}

static void ReadStreamHeader(TagSource* source, const RiffChunk& chunk, AviFacts* facts)
{
    unsigned char header[STREAM_HEADER_BYTES];
    if (!chunk.whole || chunk.size < sizeof header || !ReadTagBytes(source, chunk.start, header, sizeof header))
        return;
    // Units of scale / rate seconds each.
    int64_t ms = TagLengthMs(static_cast<uint64_t>(LittleEndian32(header + STREAM_LENGTH_AT)) *
                                 LittleEndian32(header + STREAM_SCALE_AT),
                             LittleEndian32(header + STREAM_RATE_AT));
    if (RiffIdIs(header, "auds") && facts->audioMs < 0)
        facts->audioMs = ms;
    else if (RiffIdIs(header, "vids") && facts->videoMs < 0)
        facts->videoMs = ms;
}

// The stream list's first chunk is its stream header.
static void ReadStreamList(TagSource* source, const RiffChunk& list, AviFacts* facts)
{
    uint64_t at = list.start + 4;
    RiffChunk chunk;
    if (NextRiffChunk(source, &at, list.start + list.size, &chunk) && RiffIdIs(chunk.id, "strh"))
        ReadStreamHeader(source, chunk, facts);
}

static void ReadHeaderList(TagSource* source, const RiffChunk& list, MediaTags* tags, AviFacts* facts)
{
    uint64_t at = list.start + 4;
    uint64_t end = list.start + list.size;
    RiffChunk chunk;
    while (NextRiffChunk(source, &at, end, &chunk)) {
        if (RiffIdIs(chunk.id, "avih"))
            ReadMainHeader(source, chunk, facts);
        else if (IsRiffList(source, chunk, "strl"))
            ReadStreamList(source, chunk, facts);
        else if (IsRiffList(source, chunk, "INFO"))
            ReadRiffInfo(source, chunk, tags);
    }
}

bool ReadAviTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    uint64_t end = 0;
    if (!ReadRiffForm(source, "AVI ", &end))
        return false;
    AviFacts facts = {-1, -1, -1};
    bool cut = false;
    uint64_t at = 12;
    RiffChunk chunk;
    while (NextRiffChunk(source, &at, end, &chunk)) {
        // The headers of a file cut short promise frames it lacks.
        cut = cut || !chunk.whole;
        if (IsRiffList(source, chunk, "hdrl"))
            ReadHeaderList(source, chunk, tags, &facts);
        else if (IsRiffList(source, chunk, "INFO"))
            ReadRiffInfo(source, chunk, tags);
    }
    // The sound's length is what is heard; a stream header that says
    // nothing leaves it to the next.
    if (!cut)
        tags->lengthMs = facts.audioMs > 0 ? facts.audioMs : facts.videoMs > 0 ? facts.videoMs : facts.framesMs;
    return true;
}
