// The kept queue: the list, the current entry and the place in it, kept in
// the user's application-data folder so that a later start finds them again.
// Included by playlist.h.
#ifndef VIREO_KEPT_QUEUE_H
#define VIREO_KEPT_QUEUE_H

#include <windows.h>

#include <cstdint>

#include "kept_place_text.h"
#include "kept_queue_text.h"

struct PlaylistEntry;

// ---- What the rest of the program calls --------------------------------------

// The list has changed (adds, removes, moves, loads, clear): the whole queue
// is written at an idle moment once the changes pause, so that a stream of
// adds writes once. Cheap to call for every change.
void SaveQueueSoon(HWND window);
// The current entry (null: none) and the milliseconds into it: at each
// change of the current entry and every few seconds while it plays. Cheap:
// a small record apart from the entries, unless a change of the list still
// waits to be written, which then carries it.
void SaveQueuePosition(HWND window, const PlaylistEntry* current, int32_t positionMs);
// An entry about to be released is no longer the kept place.
void ForgetKeptEntry(const PlaylistEntry* entry);
// Everything now, waited for (at most SAVE_QUEUE_WAIT_MS): Exit, the end of
// the session. False when the queue could not be kept.
const DWORD SAVE_QUEUE_WAIT_MS = 5000;
bool SaveQueueNow(HWND window);
// Waits until everything handed over is written (at most timeoutMs): after
// a last SaveQueuePosition at Exit. False when it is not yet.
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

// ---- The files ---------------------------------------------------------------

// The queue, the one being written (which replaces it once whole and
// flushed), and the place apart.
struct KeptQueueFiles {
    char queue[MAX_PATH];
    char fresh[MAX_PATH];
    char place[MAX_PATH];
};
// False when a name would not fit MAX_PATH: such a folder is refused.
bool NameKeptQueueFiles(const char* folder, KeptQueueFiles* files);
// The application-data folder's "Vireo" (made if need be), else the folder
// vireo.exe lies in; false when neither can be had.
bool FindKeptQueueFolder(char* folder, size_t capacity);
// The text written whole and flushed to the fresh file, which then takes the
// queue's place. False, with the last good queue left as it was, when it
// could not be kept.
bool KeepQueueText(const KeptQueueFiles* files, const char* text, size_t size);
// Which file to restore: the fresh one when it is complete, else the queue
// when it starts as one (complete or not), else a fresh one that does; null
// when none does. held: the queue is there (a file another program holds,
// a folder) but cannot be read.
const char* PickKeptQueueFile(const KeptQueueFiles* files, bool* held);
// A complete fresh file left by a cut write is put in the queue's place, so
// that the next write cannot cut the newest queue; the name to read.
const char* SettleKeptQueue(const KeptQueueFiles* files, const char* picked);
// A kept file opened for reading, asked again for a while when another
// program holds it.
HANDLE OpenKeptFile(const char* name, DWORD flags);
// The first bytes of a file, and the last; false when it cannot be read.
bool ReadFileEnds(const char* name, char* head, DWORD* headSize, char* tail, DWORD* tailSize, DWORD capacity);
bool WriteKeptPlace(const KeptQueueFiles* files, const KeptPlaceRecord& record);
void ReadKeptPlaces(const KeptQueueFiles* files, KeptPlaceRecord* records);

// The store of this process: its files and the numbers its writes go on from.
struct KeptQueueStore {
    bool opened;        // looked for
    bool usable;        // a folder was found and its names fit
    KeptQueueFiles files;
    uint32_t saved;
    uint32_t placeSequence;
};
extern KeptQueueStore g_keptQueue;
// Opens the store on the folder, going on from the numbers its files hold.
void OpenQueueStore(const char* folder);
// Opened on the folder FindKeptQueueFolder gives, once.
bool QueueStoreUsable();
// The queue's saved number and the newest place record's, as the files hold them.
void ReadKeptNumbers(const KeptQueueFiles* files, uint32_t* saved, uint32_t* placeSequence);

// The writing thread, started once (the window is told of failures); what
// is handed to it, a newer queue in place of one still waiting; a write's
// outcome, news when it fails after one that worked; whether the last queue
// written was kept.
void StartQueueWriter(HWND window);
void HandToWriter(char* text, size_t size, const KeptPlaceRecord* place);
void NoteOutcome(bool kept, bool queue);
bool LastQueueKept();

// The place a restore found, remembered for the writes to come.
void RememberQueuePlace(const PlaylistEntry* current, int32_t positionMs);
// The queue into the list from the files given (RestoreQueue's work).
bool RestoreQueueFrom(HWND window, const KeptQueueFiles* files, RestoredQueue* restored);

#endif
