// Files for the tag readers' tests, built in memory: a head and a tail of
// real bytes around a gap of zeros, so a file of gigabytes costs nothing, and
// the reads counted; and the byte builders the tests make their files with.
#ifndef VIREO_TAG_SOURCE_H
#define VIREO_TAG_SOURCE_H

#include <cstdint>
#include <initializer_list>
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

inline std::string SyncSafeBytes(uint32_t value)
{
    std::string bytes;
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes += static_cast<char>((value >> shift) & 0x7F);
    return bytes;
}

// An ID3v2 tag of the given version and flags around frames (and padding).
inline std::string Id3v2Tag(int version, unsigned char flags, const std::string& frames)
{
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           SyncSafeBytes(static_cast<uint32_t>(frames.size())) + frames;
}

// A v2.3 or v2.4 frame; a v2.4 frame's size is sync-safe.
inline std::string Id3v2Frame(int version, const char* id, const std::string& body, unsigned char flags = 0)
{
    std::string size = version == 4 ? SyncSafeBytes(static_cast<uint32_t>(body.size()))
                                    : BigEndianBytes(body.size(), 4);
    return std::string(id, 4) + size + '\0' + static_cast<char>(flags) + body;
}

// Vorbis comments: a vendor, then each "NAME=value".
inline std::string VorbisComments(std::initializer_list<std::string> comments)
{
    std::string vendor = "test encoder";
    std::string bytes = LittleEndianBytes(vendor.size(), 4) + vendor + LittleEndianBytes(comments.size(), 4);
    for (const std::string& comment : comments)
        bytes += LittleEndianBytes(comment.size(), 4) + comment;
    return bytes;
}

#endif
