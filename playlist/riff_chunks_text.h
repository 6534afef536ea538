// Walking the chunks of a RIFF file (wave, AVI, RMID) by their headers, and
// the titles of their INFO lists. No platform calls.
#ifndef VIREO_RIFF_CHUNKS_TEXT_H
#define VIREO_RIFF_CHUNKS_TEXT_H

#include <cstdint>

#include "media_tags_text.h"

struct RiffChunk {
    unsigned char id[4];
    uint64_t start;     // of its data, past the header
    uint64_t size;      // as its header declares it
    bool whole;         // its data lies within the walked range
};

// A "RIFF" header of the given form at the file's head; end is where its
// chunks end: the declared size, or the file's end where that lies.
bool ReadRiffForm(TagSource* source, const char* form, uint64_t* end);
// The chunk whose header is at *at, before end; *at then moves past its data
// and pad byte. False when no whole header is left or it cannot be read.
bool NextRiffChunk(TagSource* source, uint64_t* at, uint64_t end, RiffChunk* chunk);
bool RiffIdIs(const unsigned char* id, const char* name);
// Whether the chunk is a LIST of the given form.
bool IsRiffList(TagSource* source, const RiffChunk& chunk, const char* form);
// INAM and IART of a whole LIST INFO chunk, kept where not set yet.
void ReadRiffInfo(TagSource* source, const RiffChunk& list, MediaTags* tags);

// Old formats' texts carry no code page: UTF-8 when they are valid UTF-8
// with a character past ASCII (which Latin-1 text almost never is), else
// Latin-1. Kept in the field only while it is empty.
void KeepByteText(char* field, const unsigned char* bytes, size_t count);

#endif
