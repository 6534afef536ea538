// A wave file's length from its format and data size, its title from INFO.
#include <cstring>

#include "media_tags_text.h"
#include "riff_chunks_text.h"

static const uint16_t FORMAT_PCM = 1;
static const uint16_t FORMAT_FLOAT = 3;
static const uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
static const size_t FORMAT_BYTES = 16;
static const size_t EXTENSIBLE_BYTES = 40;
static const size_t SUBFORMAT_AT = 24;
// The sub-format's GUID past its first two bytes, which hold the format tag.
static const unsigned char SUBFORMAT_TAIL[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
static const size_t FACT_BYTES = 4;
// Writers that stream cannot go back to fill the data size in.
static const uint32_t SIZE_TO_END_ZERO = 0;
static const uint32_t SIZE_TO_END_ONES = 0xFFFFFFFF;

struct WaveFacts {
    bool haveFormat;
    bool uncompressed;
    uint32_t sampleRate;
    uint32_t bytesPerSecond;
    bool haveFact;
    uint32_t samples;
    bool haveData;
    bool dataWhole;
    uint64_t dataBytes;
};

static void ReadFormat(TagSource* source, const RiffChunk& chunk, WaveFacts* facts)
{
    unsigned char format[EXTENSIBLE_BYTES];
    if (!chunk.whole || chunk.size < FORMAT_BYTES || !ReadTagBytes(source, chunk.start, format, FORMAT_BYTES))
        return;
    uint16_t tag = LittleEndian16(format);
    if (tag == FORMAT_EXTENSIBLE && chunk.size >= EXTENSIBLE_BYTES &&
        ReadTagBytes(source, chunk.start + FORMAT_BYTES, format + FORMAT_BYTES, EXTENSIBLE_BYTES - FORMAT_BYTES) &&
        std::memcmp(format + SUBFORMAT_AT + 2, SUBFORMAT_TAIL, sizeof SUBFORMAT_TAIL) == 0)
        tag = LittleEndian16(format + SUBFORMAT_AT);
    facts->haveFormat = true;
    facts->uncompressed = tag == FORMAT_PCM || tag == FORMAT_FLOAT;
    facts->sampleRate = LittleEndian32(format + 4);
    facts->bytesPerSecond = LittleEndian32(format + 8);
}

static int64_t WaveLengthMs(const WaveFacts& facts)
{
    if (!facts.haveFormat || !facts.haveData || !facts.dataWhole)
        return -1;
    // A compressed wave's data size says nothing of its samples but at a
    // constant rate; its fact chunk counts them.
    if (!facts.uncompressed && facts.haveFact)
        return TagLengthMs(facts.samples, facts.sampleRate);
    return TagLengthMs(facts.dataBytes, facts.bytesPerSecond);
}

bool ReadWaveTags(TagSource* source, MediaTags* tags)
{
    ClearMediaTags(tags);
    uint64_t end = 0;
    if (!ReadRiffForm(source, "WAVE", &end))
        return false;
    WaveFacts facts = {};
    uint64_t at = 12;
    RiffChunk chunk;
    while (NextRiffChunk(source, &at, end, &chunk)) {
        if (RiffIdIs(chunk.id, "fmt ")) {
            ReadFormat(source, chunk, &facts);
        } else if (RiffIdIs(chunk.id, "fact") && chunk.whole && chunk.size >= FACT_BYTES) {
            unsigned char fact[FACT_BYTES];
            if (ReadTagBytes(source, chunk.start, fact, sizeof fact)) {
                facts.haveFact = true;
                facts.samples = LittleEndian32(fact);
            }
        } else if (RiffIdIs(chunk.id, "data") && !facts.haveData) {
            facts.haveData = true;
            if (chunk.size == SIZE_TO_END_ZERO || chunk.size == SIZE_TO_END_ONES) {
                facts.dataWhole = true;
                facts.dataBytes = source->size - chunk.start;
                break;
            }
            // Cut short: what is missing cannot be timed.
            facts.dataWhole = chunk.size <= source->size - chunk.start;
            facts.dataBytes = chunk.size;
        } else if (IsRiffList(source, chunk, "INFO")) {
            ReadRiffInfo(source, chunk, tags);
        }
    }
    tags->lengthMs = WaveLengthMs(facts);
    return true;
}
