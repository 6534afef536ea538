// The kept queue's files as text: every entry of the list in order, the
// current entry and the place in it. No platform calls; texts are bytes as
// stored (the caller converts code pages).
//
//   VireoQueue<TAB>2                      header and version
//   current<TAB>3<TAB>12345               entry line 3 (from 0; -1: none), 12.345 s into it
//   entry<TAB>wave<TAB>Brass - Fanfare<TAB>C:\WAVES\FANFARE.WAV<TAB>1500<TAB>26504<TAB>1330...<TAB>Brass
//         title, path, length (-1: not known), the file's size and last
//         write when read (0 0: not yet), the artist the title begins with
//   entry<TAB>cd<TAB>CD track #3<TAB>183000<TAB>245000   start on the disc, length
//   end                                   the file is complete
//
// Lines end in CR LF; version 1's file entries end after the path. The place
// also lives apart, in a record rewritten while an entry plays:
//
//   VireoPlace<TAB>queue check<TAB>current<TAB>positionMs<TAB>check
//
// blank-padded to KEPT_PLACE_SIZE with CR LF last. It counts only for the
// queue whose check it names; its own check finds a record torn by a power cut.
#ifndef VIREO_KEPT_QUEUE_TEXT_H
#define VIREO_KEPT_QUEUE_TEXT_H

#include <cstddef>
#include <cstdint>

#include "playlist_text.h"

// What is written; the one before is read too.
const int KEPT_QUEUE_VERSION = 2;

// An entry as the list holds it: display is the list's text; path (file
// kinds) the stored path; startMs (CD tracks) its place on the disc. The
// rest is what was read from a file: its length, size, last write and the
// artist its title begins with ("" for none).
struct KeptEntry {
    EntryKind kind;
    const char* display;
    const char* path;
    int32_t startMs;
    int32_t lengthMs;
    uint64_t fileSize;
    uint64_t fileTime;
    const char* artist;
};

// FNV-1a over the bytes: names a queue's text for the place records.
uint32_t KeptTextCheck(const char* bytes, size_t count);

// ---- Writing ---------------------------------------------------------------

// current is the entry's number among those appended (-1: none).
void BeginKeptQueueText(GrowingText* out, int32_t current, int32_t positionMs);
// A control character in a text (a tab would split the line) is written as
// '?', which no file name holds: the entry keeps its place.
void AppendKeptEntry(GrowingText* out, const KeptEntry& entry);
// Released when memory ran out on the way.
void EndKeptQueueText(GrowingText* out);

// ---- Reading ---------------------------------------------------------------

// The version its header line names, 0 for a text that is no kept queue.
int KeptQueueVersion(const char* text, size_t size);
// Whether this version reads that version's files.
bool ReadsKeptQueueVersion(int version);
// A complete file ends with the end line.
bool EndsWithKeptQueueEnd(const char* text, size_t size);

struct KeptQueueReading {
    int version;                // from the header line
    int32_t current;            // the entry line the place names, or -1
    int32_t positionMs;
    bool placeGiven;            // the file's own place line no longer counts
    unsigned long entryLines;   // lines that are or were meant to be entries
    unsigned long taken;        // entries handed out
    unsigned long passedOver;   // entry lines that could not be taken
    int32_t currentTaken;       // the current entry among those handed out, or -1
    int32_t currentMs;          // the place in it; 0 without one
    bool ended;
};
void BeginKeptQueueReading(KeptQueueReading* reading);
// A place that takes precedence over the file's own current line.
void SetKeptReadingPlace(KeptQueueReading* reading, int32_t current, int32_t positionMs);

enum KeptLineKind {
    KEPT_LINE_ENTRY,    // *entry filled; its texts point into the line
    KEPT_LINE_OTHER,    // the header, the place, an empty or damaged line
    KEPT_LINE_END       // nothing after this is read
};
// One line after the header, as TakeTextLine cuts it; its tabs become zeros.
KeptLineKind ReadKeptQueueLine(KeptQueueReading* reading, const TextLine& line, KeptEntry* entry);

// ---- The place record ------------------------------------------------------

const size_t KEPT_PLACE_SIZE = 64;
struct KeptPlace {
    uint32_t queueCheck;
    int32_t current;
    int32_t positionMs;
};
// Exactly KEPT_PLACE_SIZE bytes, with no zero after them.
void FormatKeptPlace(char* record, const KeptPlace& place);
// False for bytes that are not one whole record.
bool ParseKeptPlace(const char* record, size_t size, KeptPlace* place);

#endif
