// Tag parts that more than one reader meets: an ID3v2 tag in front of an MP3
// or a FLAC, the tags at the end of an MP3, Vorbis comments in a FLAC and an
// Ogg stream.
#ifndef VIREO_AUDIO_TAG_PARTS_H
#define VIREO_AUDIO_TAG_PARTS_H

#include <cstddef>
#include <cstdint>

#include "media_tags_text.h"

const size_t ID3V2_HEADER_BYTES = 10;

// The bytes of the ID3v2 tag whose header these ten bytes are, header and
// footer included, as the header claims; 0 when they are no such header.
uint64_t Id3v2TagBytes(const unsigned char* header);
// Keeps the title and the artist of the ID3v2 tag at offset, as far as it
// lies within the file.
void ReadId3v2Tag(TagSource* source, uint64_t offset, MediaTags* tags);

// The bytes of an APEv2 tag at offset (some writers put one in front),
// header and footer included, its texts kept; 0 when there is none.
uint64_t ReadLeadingApeTag(TagSource* source, uint64_t offset, MediaTags* tags);

// Keeps the texts of an APEv2 and an ID3v1 tag at the end of the file (in
// that order of trust) and answers where the audio before them ends; the
// tags are looked for only after audioStart.
uint64_t ReadEndTags(TagSource* source, uint64_t audioStart, MediaTags* tags);

// Keeps TITLE and ARTIST of a Vorbis comment block (vendor, count, then
// "NAME=value" texts), as far as count bytes hold it.
void ReadVorbisComments(const unsigned char* bytes, size_t count, MediaTags* tags);

#endif
