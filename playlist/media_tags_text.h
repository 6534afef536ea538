// Titles, artists and lengths out of media files' own headers and tags, one
// reader per kind. No platform calls: the caller hands a way to read the
// file's bytes, and a reader reads a few blocks at the head and the tail,
// never the whole file. Texts come out in UTF-8, control characters dropped.
#ifndef VIREO_MEDIA_TAGS_TEXT_H
#define VIREO_MEDIA_TAGS_TEXT_H

#include <cstddef>
#include <cstdint>

// A file's bytes, read at any offset through the caller's function.
struct TagSource {
    uint64_t size;
    // Up to count bytes from offset; the count read, 0 on failure.
    size_t (*read)(void* context, uint64_t offset, unsigned char* bytes, size_t count);
    void* context;
    // Bytes a reader may still ask for: what it reads of one file is bounded
    // whatever the file claims.
    uint64_t budget;
};
const uint64_t TAG_READ_BUDGET = 1024 * 1024;
// The usual block a reader asks for at the head or the tail.
const size_t TAG_BLOCK_BYTES = 64 * 1024;

// A text of a tag in UTF-8; what the list shows is cut again to its own limit.
const size_t TAG_TEXT_CAPACITY = 768;

struct MediaTags {
    char title[TAG_TEXT_CAPACITY];      // empty when the file has none
    char artist[TAG_TEXT_CAPACITY];
    int64_t lengthMs;                   // -1 while not known
};

void ClearMediaTags(MediaTags* tags);
// Begins a source over a file of size bytes with the whole budget.
void BeginTagSource(TagSource* source, uint64_t size,
                    size_t (*read)(void* context, uint64_t offset, unsigned char* bytes, size_t count),
                    void* context);

// Whichever reader knows the bytes, tried in turn by the marks they start
// with, MP3 last since only its frames mark it. False when none does: the
// length is then the one the media layer reports once the entry plays.
bool ReadMediaTags(TagSource* source, MediaTags* tags);

// The readers. Each answers false when the bytes are not of its kind; a
// file of its kind that is cut short or lies gives what could be trusted
// (a length that cannot be is left -1, never absurd).
bool ReadWaveTags(TagSource* source, MediaTags* tags);
bool ReadAviTags(TagSource* source, MediaTags* tags);
bool ReadMidiTags(TagSource* source, MediaTags* tags);     // .mid, and RIFF RMID
bool ReadMp3Tags(TagSource* source, MediaTags* tags);
bool ReadFlacTags(TagSource* source, MediaTags* tags);
bool ReadOggTags(TagSource* source, MediaTags* tags);      // Opus, Vorbis
bool ReadMp4Tags(TagSource* source, MediaTags* tags);
bool ReadAsfTags(TagSource* source, MediaTags* tags);

// ---- Shared by the readers -------------------------------------------------

// Exactly count bytes at offset, within the file and the budget.
bool ReadTagBytes(TagSource* source, uint64_t offset, unsigned char* bytes, size_t count);
// Up to count bytes at offset, within the file and the budget; the count read.
size_t ReadTagBlock(TagSource* source, uint64_t offset, unsigned char* bytes, size_t count);

uint16_t BigEndian16(const unsigned char* bytes);
uint32_t BigEndian24(const unsigned char* bytes);
uint32_t BigEndian32(const unsigned char* bytes);
uint64_t BigEndian64(const unsigned char* bytes);
uint16_t LittleEndian16(const unsigned char* bytes);
uint32_t LittleEndian32(const unsigned char* bytes);
uint64_t LittleEndian64(const unsigned char* bytes);

// A tag's text into a field of TAG_TEXT_CAPACITY as UTF-8: control
// characters dropped, a malformed sequence as U+FFFD, cut at a whole
// character, blanks at either end trimmed. The text ends at its first zero
// character or after count bytes.
void TagTextFromLatin1(char* field, const unsigned char* bytes, size_t count);
void TagTextFromUtf8(char* field, const unsigned char* bytes, size_t count);
// Without a byte-order mark in front, in the order given.
void TagTextFromUtf16(char* field, const unsigned char* bytes, size_t count, bool bigEndian);
// Sets the field only while it is empty: the first tag found stands.
void KeepFirstTagText(char* field, const char* text);

// Milliseconds of count units at rate units a second; -1 for a rate of 0 or
// past TAG_LONGEST_MS, which no file a player queues lasts.
const int64_t TAG_LONGEST_MS = 100LL * 3600 * 1000;
int64_t TagLengthMs(uint64_t count, uint64_t rate);

#endif
