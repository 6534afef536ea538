// A file's bytes in memory as a tag reader's source, and the byte builders
// the MP3, FLAC and Ogg tests make their files with.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "playlist/media_tags_text.h"

struct MemoryFile {
    std::string bytes;
    uint64_t handedOut;
};

inline size_t ReadMemoryFile(void* context, uint64_t offset, unsigned char* out, size_t count)
{
    MemoryFile* file = static_cast<MemoryFile*>(context);
    if (offset >= file->bytes.size())
        return 0;
    size_t got = file->bytes.size() - offset < count ? file->bytes.size() - offset : count;
    std::memcpy(out, file->bytes.data() + offset, got);
    file->handedOut += got;
    return got;
}

struct TagReading {
    bool recognised;
    MediaTags tags;
    uint64_t handedOut;
};

inline TagReading ReadTagsOf(bool (*reader)(TagSource*, MediaTags*), const std::string& bytes)
{
    MemoryFile file = {bytes, 0};
    TagSource source;
    BeginTagSource(&source, bytes.size(), ReadMemoryFile, &file);
    TagReading reading;
    reading.recognised = reader(&source, &reading.tags);
    reading.handedOut = file.handedOut;
    return reading;
}

inline std::string BigEndianBytes(uint64_t value, int count)
{
    std::string bytes;
    for (int i = count - 1; i >= 0; --i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

inline std::string LittleEndianBytes(uint64_t value, int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
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
