// What the window's thread and the title-reading thread hand each other.
#ifndef VIREO_TITLE_SCAN_H
#define VIREO_TITLE_SCAN_H

#include <windows.h>

#include <cstdint>

#include "playlist.h"

struct TitleJob {
    const PlaylistEntry* entry;     // never touched by the thread: it names the result
    uint32_t serial;
    int indexHint;                  // where the entry was when handed over
    char path[MAILBOX_CAPACITY];
    // The file as its title was last read: one that is still so is not read again.
    uint64_t fileSize;
    uint64_t fileTime;
    // Its tags may have given the title shown: without them now, the file's
    // long name takes its place.
    bool wantsName;
};

struct TitleResult {
    const PlaylistEntry* entry;
    uint32_t serial;
    int indexHint;
    bool found;                     // the file is there
    bool read;                      // and was read: what follows is new
    char name[TEXT_CAPACITY];       // its long name, where wanted and its tags give no title
    char title[TEXT_CAPACITY];      // "" when its tags give none
    uint16_t artistLength;
    int32_t lengthMs;               // -1: not known
    uint64_t fileSize;
    uint64_t fileTime;
};

// How many more jobs the thread takes now (0 also where it cannot run).
int TitleJobRoom();
void HandTitleJob(const TitleJob& job);
// Up to capacity results, oldest first; busy while jobs or results remain.
int TakeTitleResults(TitleResult* results, int capacity, bool* busy);

// "Artist - Title" (or the one there is) from a tag's UTF-8 texts into the
// program's own text, cut to a list text's limit at a whole character;
// artistLength is the artist's part of it. "" when the tags name neither.
void ComposeTitle(const char* artist, const char* title, char* out, uint16_t* artistLength);

#endif
