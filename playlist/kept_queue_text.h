// The kept queue: every entry of the list in order, the current one and the
// place in it, as a text file read back at the next start. No platform
// calls; texts are bytes as stored (the caller converts code pages).
//
//   VireoQueue<TAB>1                      header and version
//   saved<TAB>17                          which write this is
//   current<TAB>3<TAB>12345               entry line 3 (from 0; -1: none), 12.345 s into it
//   entry<TAB>wave<TAB>Fanfare.wav<TAB>C:\WAVES\FANFARE.WAV
//   entry<TAB>cd<TAB>CD track #3<TAB>183000<TAB>245000   start on the disc, length
//   end                                   the file is complete
//
// Lines end in CR LF (LF alone is read too). A later version keeps what
// every tag means and adds tags or fields after the known ones: a line whose
// tag is unknown is passed by, and so are fields past the known ones.
#ifndef VIREO_KEPT_QUEUE_TEXT_H
#define VIREO_KEPT_QUEUE_TEXT_H

#include <cstddef>
#include <cstdint>

#include "playlist_text.h"

extern const char KEPT_QUEUE_HEADER[];      // "VireoQueue"
extern const char KEPT_QUEUE_END[];         // "end"
const int KEPT_QUEUE_VERSION = 1;
// A stored text (UTF-8 of a path or list text) is shorter than this.
const size_t KEPT_FIELD_CAPACITY = 3 * TEXT_CAPACITY;

// An entry as the list holds it: display is the list's text; path (file
// kinds) the stored path; startMs and lengthMs (CD tracks) its place on the disc.
struct KeptEntry {
    EntryKind kind;
    const char* display;
    const char* path;
    int32_t startMs;
    int32_t lengthMs;
};

// "wave", "midi", "video", "other", "cd"; false for a word of a later version.
const char* KeptKindWord(EntryKind kind);
bool ReadKeptKindWord(const char* word, EntryKind* kind);
// Where a text starts, past the byte-order mark an editor may have put first.
const char* SkipKeptMark(const char* text, size_t* length);

// ---- Writing ---------------------------------------------------------------

// A whole file, grown with malloc; failed once memory ran out.
struct KeptQueueText {
    char* text;
    size_t length;
    size_t capacity;
    bool failed;
};

// current is the entry's number among those appended (-1: none).
void BeginKeptQueueText(KeptQueueText* out, uint32_t saved, int32_t current, int32_t positionMs);
// A control character in a text (a tab would split the line) is written as
// '?', which no file name holds: the entry keeps its place.
void AppendKeptEntry(KeptQueueText* out, const KeptEntry& entry);
void EndKeptQueueText(KeptQueueText* out);
void FreeKeptQueueText(KeptQueueText* out);

// ---- Reading ---------------------------------------------------------------

// "Passed over 2 lines of the kept playlist that could not be read."
const size_t KEPT_PASSED_OVER_CAPACITY = 96;
void FormatKeptPassedOverText(char* out, size_t capacity, unsigned long count);

// Whether the file's first bytes are the header line's, and whether its
// last line is the end marker: a complete file has both.
bool HasKeptQueueHeader(const char* head, size_t length);
bool EndsWithKeptQueueEnd(const char* tail, size_t length);

// The place as last written apart from the file (kept_place_text.h), or a
// record of nothing (saved never matches when valid is false).
struct KeptPlaceRecord {
    bool valid;
    uint32_t saved;
    uint32_t sequence;
    int32_t current;
    int32_t positionMs;
};

struct KeptQueueReading {
    int version;                // 0 until the header line is read
    uint32_t saved;
    // The place: an entry line's number and the milliseconds into it, from
    // the newest place record of this write, else from the file's own line.
    int32_t current;
    int32_t positionMs;
    bool placeFromRecord;
    const KeptPlaceRecord* records;
    int recordCount;
    unsigned long entryLines;   // lines that are or may have been entries
    unsigned long kept;         // entries handed out
    unsigned long passedOver;   // entry lines that could not be kept
    unsigned long unknown;      // lines of a later version, passed by
    int32_t currentKept;        // the current entry among those handed out, or -1
    int32_t currentMs;          // the place in it; 0 without one
    bool ended;
};

// The place records (none: null, 0) are looked at once the saved line is read.
void BeginKeptQueueReading(KeptQueueReading* reading, const KeptPlaceRecord* records, int recordCount);

enum KeptLineKind {
    KEPT_LINE_ENTRY,    // *entry filled; its texts point into the line
    KEPT_LINE_OTHER,    // read, or passed by
    KEPT_LINE_END       // nothing after this is read
};
// One line, without its line end and with a zero after it. whole is false
// for the start of a line that was cut short: such a line is never trusted.
// The line's tabs become zeros.
KeptLineKind ReadKeptQueueLine(KeptQueueReading* reading, char* line, size_t length, bool whole, KeptEntry* entry);

// ---- Lines out of blocks ---------------------------------------------------

// The file read a block at a time into one buffer of capacity bytes and one
// more: memory stays bounded whatever the file holds.
struct KeptLineBuffer {
    char* data;
    size_t capacity;
    size_t begin;       // the first byte not yet taken
    size_t end;         // the bytes held
    bool skipping;      // the rest of a line longer than the buffer is passed by
    bool finished;      // no more bytes come
};
void InitKeptLines(KeptLineBuffer* lines, char* data, size_t capacity);
// Where the next block goes and how many bytes fit, after what is left.
char* KeptLinesRoom(KeptLineBuffer* lines, size_t* room);
// count bytes were put in the room; 0: the file has ended.
void KeptLinesFilled(KeptLineBuffer* lines, size_t count);

struct KeptTextLine {
    char* text;
    size_t length;
    bool whole;
};
enum KeptLineTake {
    KEPT_TOOK_LINE,
    KEPT_NEEDS_MORE,
    KEPT_NO_MORE
};
// The next line, its LF and a CR before it cut off and a zero after it. A
// line longer than the buffer comes once, as much as fit, not whole.
KeptLineTake TakeKeptLine(KeptLineBuffer* lines, KeptTextLine* line);

#endif
