#include "riff_chunks_text.h"

#include <cstring>

#include "../app/shared_text.h"

static const size_t RIFF_HEADER_BYTES = 12;
static const size_t CHUNK_HEADER_BYTES = 8;
static const size_t LIST_FORM_BYTES = 4;
// No title needs more: each byte gives at least one byte of the field.
static const size_t INFO_TEXT_BYTES = 1024;

bool RiffIdIs(const unsigned char* id, const char* name)
{
    return std::memcmp(id, name, 4) == 0;
}

bool ReadRiffForm(TagSource* source, const char* form, uint64_t* end)
{
    unsigned char header[RIFF_HEADER_BYTES];
    if (!ReadTagBytes(source, 0, header, sizeof header) || !RiffIdIs(header, "RIFF") || !RiffIdIs(header + 8, form))
        return false;
    // Writers that stream leave the size 0 or all ones; a cut file is shorter.
    uint64_t declared = CHUNK_HEADER_BYTES + static_cast<uint64_t>(LittleEndian32(header + 4));
    *end = declared >= RIFF_HEADER_BYTES && declared <= source->size ? declared : source->size;
    return true;
}

bool NextRiffChunk(TagSource* source, uint64_t* at, uint64_t end, RiffChunk* chunk)
{
    unsigned char header[CHUNK_HEADER_BYTES];
    if (*at > end || end - *at < sizeof header || !ReadTagBytes(source, *at, header, sizeof header))
        return false;
    std::memcpy(chunk->id, header, 4);
    chunk->start = *at + sizeof header;
    chunk->size = LittleEndian32(header + 4);
    chunk->whole = chunk->size <= end - chunk->start;
    // Chunks are padded to an even size.
    *at = chunk->start + chunk->size + (chunk->size & 1);
    return true;
}

bool IsRiffList(TagSource* source, const RiffChunk& chunk, const char* form)
{
    unsigned char listForm[LIST_FORM_BYTES];
    return RiffIdIs(chunk.id, "LIST") && chunk.whole && chunk.size >= sizeof listForm &&
           ReadTagBytes(source, chunk.start, listForm, sizeof listForm) && RiffIdIs(listForm, form);
}

void ReadRiffInfo(TagSource* source, const RiffChunk& list, MediaTags* tags)
{
    uint64_t at = list.start + LIST_FORM_BYTES;
    uint64_t end = list.start + list.size;
    RiffChunk item;
    while (NextRiffChunk(source, &at, end, &item)) {
        char* field = RiffIdIs(item.id, "INAM") ? tags->title : RiffIdIs(item.id, "IART") ? tags->artist : nullptr;
        if (field == nullptr || !item.whole)
            continue;
        unsigned char text[INFO_TEXT_BYTES];
        size_t count = item.size < sizeof text ? static_cast<size_t>(item.size) : sizeof text;
        if (ReadTagBytes(source, item.start, text, count))
            KeepByteText(field, text, count);
    }
}

// Valid UTF-8 up to the first zero, with at least one sequence past ASCII.
static bool IsUtf8PastAscii(const unsigned char* bytes, size_t count)
{
    bool pastAscii = false;
    for (size_t i = 0; i < count && bytes[i] != 0;) {
        size_t length = Utf8SequenceLength(bytes + i, count - i);
        if (length == 0)
            return false;
        pastAscii = pastAscii || length > 1;
        i += length;
    }
    return pastAscii;
}

void KeepByteText(char* field, const unsigned char* bytes, size_t count)
{
    char text[TAG_TEXT_CAPACITY];
    if (IsUtf8PastAscii(bytes, count))
        TagTextFromUtf8(text, bytes, count);
    else
        TagTextFromLatin1(text, bytes, count);
    KeepFirstTagText(field, text);
}
