// Files for the RIFF, MIDI, MP4 and ASF readers' tests, built in memory: a
// head and a tail of real bytes around a gap of zeros, so a file of gigabytes
// costs nothing, and the reads counted.
#ifndef VIREO_CONTAINER_TAGS_SOURCE_H
#define VIREO_CONTAINER_TAGS_SOURCE_H

#include <cstdint>
#include <string>

#include "playlist/media_tags_text.h"

struct SparseFile {
    std::string head;
    uint64_t gap;
    std::string tail;
    uint64_t handedOut;
};

inline size_t ReadSparseFile(void* context, uint64_t offset, unsigned char* bytes, size_t count)
{
    SparseFile* file = static_cast<SparseFile*>(context);
    for (size_t i = 0; i < count; ++i) {
        uint64_t at = offset + i;
        if (at < file->head.size())
            bytes[i] = static_cast<unsigned char>(file->head[at]);
        else if (at - file->head.size() < file->gap)
            bytes[i] = 0;
        else
            bytes[i] = static_cast<unsigned char>(file->tail[at - file->head.size() - file->gap]);
    }
    file->handedOut += count;
    return count;
}

struct TagsRead {
    bool accepted;
    MediaTags tags;
    uint64_t handedOut;
};

inline TagsRead ReadTagsOf(bool (*reader)(TagSource*, MediaTags*), const std::string& head, uint64_t gap = 0,
                           const std::string& tail = "", uint64_t budget = TAG_READ_BUDGET)
{
    SparseFile file = {head, gap, tail, 0};
    TagSource source;
    BeginTagSource(&source, head.size() + gap + tail.size(), ReadSparseFile, &file);
    source.budget = budget;
    TagsRead read;
    read.accepted = reader(&source, &read.tags);
    read.handedOut = file.handedOut;
    return read;
}

// ---- Byte builders ------------------------------------------------------------

inline std::string LittleEndianBytes(uint64_t value, int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

inline std::string BigEndianBytes(uint64_t value, int count)
{
    std::string bytes;
    for (int i = count - 1; i >= 0; --i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// A RIFF chunk, padded to an even size.
inline std::string Chunk(const std::string& id, const std::string& body)
{
    std::string chunk = id + LittleEndianBytes(body.size(), 4) + body;
    return body.size() % 2 != 0 ? chunk + '\0' : chunk;
}

inline std::string Riff(const std::string& form, const std::string& chunks)
{
    return "RIFF" + LittleEndianBytes(4 + chunks.size(), 4) + form + chunks;
}

inline std::string InfoList(const std::string& title, const std::string& artist)
{
    return Chunk("LIST", "INFO" + Chunk("INAM", title + '\0') + Chunk("IART", artist + '\0'));
}

#endif
