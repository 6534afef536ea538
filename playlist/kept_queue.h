// The kept queue: the list, the current entry and the place in it, kept in
// the user's application-data folder so that a later start finds them again.
// Included by playlist.h.
#ifndef VIREO_KEPT_QUEUE_H
#define VIREO_KEPT_QUEUE_H

#include <windows.h>

#include <cstdint>

#include "kept_queue_text.h"

// The list has changed (adds, removes, moves, loads, clear): the whole queue
// is written once the changes pause, so that a stream of adds writes once.
void SaveQueueSoon(HWND window);
// The place (the sequencer's) has changed: a small record apart from the
// entries, unless a change of the list still waits, which then carries it.
void SaveQueuePlace(HWND window);
// Everything now, waited for (at most SAVE_QUEUE_WAIT_MS): Exit, the end of
// the session. False when the queue could not be kept.
const DWORD SAVE_QUEUE_WAIT_MS = 5000;
bool SaveQueueNow(HWND window);
// Waits until everything handed over is written; false when it is not yet.
bool FinishQueueWrites(DWORD timeoutMs);

// What a start found: the entries were put at the end of the list.
struct RestoredQueue {
    int current;                    // its list index, or -1
    int32_t positionMs;             // the place in it
    unsigned long added;
    unsigned long passedOver;       // lines that named no entry the list can hold
    bool held;                      // a kept queue is there but cannot be read
};
// The kept queue into the list, before anything else touches the store;
// nothing is looked up on disk. False when there was none to read; one that
// is held is left alone: nothing is kept in its place this run.
bool RestoreQueue(HWND window, RestoredQueue* restored);

// A write that failed after one that worked (or the first of the run) posts
// MSG_QUEUE_NOT_KEPT to the window that asked for it; this says so on the
// status line.
extern const char QUEUE_NOT_KEPT_TEXT[];
void ReportQueueNotKept(HWND window);

// The files: the queue, the one being written (which replaces it once whole
// and flushed), and the place apart.
struct KeptQueueFiles {
    char queue[MAX_PATH];
    char fresh[MAX_PATH];
    char place[MAX_PATH];
};
// The application-data folder's "Vireo" (made if need be), else the folder
// vireo.exe lies in; false when neither can be had.
bool FindKeptQueueFolder(char* folder, size_t capacity);
// The store keeps its files in folder from now on (a benchmark's or a test's
// own); false, and nothing kept, when the names would not fit.
bool UseKeptQueueFolder(const char* folder);
// The files in use, found on first use; null when no folder could be had.
const KeptQueueFiles* KeptQueueFileNames();

#endif
