// The kept queue of this process: its files and numbers, and the list
// composed at an idle moment once its changes pause, the place apart from
// it; the disk is left to the writing thread (kept_queue_writer.cpp).
#include <windows.h>


#include "playlist.h"
#include "../shell/shell.h"
#include "resource.h"

const char QUEUE_NOT_KEPT_TEXT[] = "The playlist cannot be kept for the next start.";

// Beside the progress timer (1000) and the add stream's (1001).
static const UINT_PTR QUEUE_SAVE_TIMER_ID = 1002;
static const UINT QUEUE_SAVE_TICK_MS = 100;
// Changes that come closer together than this are one change.
static const DWORD QUEUE_QUIET_MS = 250;
// The header and the saved line lie well within this.
static const DWORD SAVED_LINE_BYTES = 64;

KeptQueueStore g_keptQueue;

// The main thread's own record of the place, and of a change to come.
static const PlaylistEntry* s_current = NULL;
static int s_currentHint = -1;
static int32_t s_positionMs = 0;
static bool s_saveTimerSet = false;
static DWORD s_lastChangeTick = 0;

static uint32_t SavedNumberOf(const char* name)
{
    char head[SAVED_LINE_BYTES + 1];
    char tail[SAVED_LINE_BYTES];
    DWORD headSize = 0;
    DWORD tailSize = 0;
    if (!ReadFileEnds(name, head, &headSize, tail, &tailSize, SAVED_LINE_BYTES))
        return 0;
    KeptLineBuffer lines;
    InitKeptLines(&lines, head, headSize);
    KeptLinesFilled(&lines, headSize);
    KeptQueueReading reading;
    BeginKeptQueueReading(&reading, NULL, 0);
    KeptTextLine line;
    KeptEntry entry;
    while (TakeKeptLine(&lines, &line) == KEPT_TOOK_LINE && reading.saved == 0 &&
           ReadKeptQueueLine(&reading, line.text, line.length, line.whole, &entry) == KEPT_LINE_OTHER) {
    }
    return reading.saved;
}

static uint32_t Later(uint32_t a, uint32_t b)
{
    return static_cast<int32_t>(a - b) > 0 ? a : b;
}

void ReadKeptNumbers(const KeptQueueFiles* files, uint32_t* saved, uint32_t* placeSequence)
{
    KeptPlaceRecord records[KEPT_PLACE_SLOTS];
    ReadKeptPlaces(files, records);
    *saved = Later(SavedNumberOf(files->queue), SavedNumberOf(files->fresh));
    *placeSequence = 0;
    for (const KeptPlaceRecord& record : records)
        if (record.valid) {
            *saved = Later(*saved, record.saved);
            *placeSequence = Later(*placeSequence, record.sequence);
        }
}

// Every later write is numbered past what the files hold, so that no place
// record of an earlier queue can be taken for one of the next.
void OpenQueueStore(const char* folder)
{
    g_keptQueue.opened = true;
    g_keptQueue.usable = NameKeptQueueFiles(folder, &g_keptQueue.files);
    if (g_keptQueue.usable)
        ReadKeptNumbers(&g_keptQueue.files, &g_keptQueue.saved, &g_keptQueue.placeSequence);
}

bool QueueStoreUsable()
{
    if (!g_keptQueue.opened) {
        char folder[MAX_PATH];
        if (FindKeptQueueFolder(folder, sizeof folder))
            OpenQueueStore(folder);
        g_keptQueue.opened = true;
    }
    return g_keptQueue.usable;
}

// The list control is found once for a whole pass over it: under Wine
// finding a dialog's control asks the server each time.
static const PlaylistEntry* EntryOf(HWND list, int index)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data != LB_ERR ? reinterpret_cast<const PlaylistEntry*>(data) : NULL;
}

// The current entry's index, looked for only when it has moved.
static int IndexOfCurrent(HWND list)
{
    if (s_current == NULL)
        return -1;
    if (s_currentHint >= 0 && EntryOf(list, s_currentHint) == s_current)
        return s_currentHint;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    s_currentHint = -1;
    for (int i = 0; i < count; ++i)
        if (EntryOf(list, i) == s_current) {
            s_currentHint = i;
            break;
        }
    return s_currentHint;
}

static void AppendListEntry(KeptQueueText* text, HWND list, int index)
{
    char display[TEXT_CAPACITY] = "";
    char storedDisplay[STORED_LINE_CAPACITY];
    char storedPath[STORED_LINE_CAPACITY];
    // LB_GETTEXT has no bound: an item longer than the buffer is left empty.
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length != LB_ERR && length < TEXT_CAPACITY)
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(display));
    const PlaylistEntry* entry = EntryOf(list, index);
    KeptEntry kept = {ENTRY_OTHER, MakeStoredText(display, storedDisplay, sizeof storedDisplay), "", 0, 0};
    if (entry != NULL && entry->kind == ENTRY_CD_TRACK) {
        kept.kind = ENTRY_CD_TRACK;
        kept.startMs = entry->startMs;
        kept.lengthMs = entry->lengthMs;
    } else if (entry != NULL) {
        kept.kind = static_cast<EntryKind>(entry->kind);
        kept.path = MakeStoredText(entry->path, storedPath, sizeof storedPath);
    }
    AppendKeptEntry(text, kept);
}

// The whole list as the file holds it; false when memory ran out.
static bool ComposeQueue(HWND window, KeptQueueText* text)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int current = IndexOfCurrent(list);
    g_keptQueue.saved += 1;
    BeginKeptQueueText(text, g_keptQueue.saved, current, current >= 0 ? s_positionMs : 0);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && !text->failed; ++i)
        AppendListEntry(text, list, i);
    EndKeptQueueText(text);
    if (text->failed)
        FreeKeptQueueText(text);
    return !text->failed;
}

// The writer is ready, and knows whom to tell; false when no store can be had.
static bool ReadyToWrite(HWND window)
{
    StartQueueWriter(window);
    return QueueStoreUsable();
}

// False when nothing could be handed over.
static bool HandQueueToWriter(HWND window)
{
    KeptQueueText text;
    if (!ReadyToWrite(window) || !ComposeQueue(window, &text)) {
        NoteOutcome(false, true);
        return false;
    }
    HandToWriter(text.text, text.length, NULL);
    return true;
}

static void CALLBACK OnQueueSaveTimer(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    if (GetTickCount() - s_lastChangeTick < QUEUE_QUIET_MS)
        return;
    KillTimer(window, QUEUE_SAVE_TIMER_ID);
    s_saveTimerSet = false;
    HandQueueToWriter(window);
}

void SaveQueueSoon(HWND window)
{
    s_lastChangeTick = GetTickCount();
    if (s_saveTimerSet)
        return;
    // Without a timer nothing would come back for it: written now.
    s_saveTimerSet = SetTimer(window, QUEUE_SAVE_TIMER_ID, QUEUE_SAVE_TICK_MS, OnQueueSaveTimer) != 0;
    if (!s_saveTimerSet)
        HandQueueToWriter(window);
}

void RememberQueuePlace(const PlaylistEntry* current, int32_t positionMs)
{
    s_current = current;
    s_currentHint = -1;
    s_positionMs = positionMs > 0 ? positionMs : 0;
}

void ForgetKeptEntry(const PlaylistEntry* entry)
{
    // The change of the list that follows writes the queue without it.
    if (entry == s_current)
        RememberQueuePlace(NULL, 0);
}

void SaveQueuePosition(HWND window, const PlaylistEntry* current, int32_t positionMs)
{
    if (current != s_current)
        RememberQueuePlace(current, positionMs);
    s_positionMs = positionMs > 0 ? positionMs : 0;
    // A change of the list still to be written brings the place with it;
    // an index of the list as it is now would not fit the queue on disk.
    if (s_saveTimerSet)
        return;
    if (!ReadyToWrite(window)) {
        NoteOutcome(false, false);
        return;
    }
    int index = IndexOfCurrent(GetDlgItem(window, IDC_PLAYLIST));
    g_keptQueue.placeSequence += 1;
    KeptPlaceRecord place = {true, g_keptQueue.saved, g_keptQueue.placeSequence, index, index >= 0 ? s_positionMs : 0};
    HandToWriter(NULL, 0, &place);
}

bool SaveQueueNow(HWND window)
{
    if (s_saveTimerSet) {
        KillTimer(window, QUEUE_SAVE_TIMER_ID);
        s_saveTimerSet = false;
    }
    return HandQueueToWriter(window) && FinishQueueWrites(SAVE_QUEUE_WAIT_MS) && LastQueueKept();
}

void ReportQueueNotKept(HWND window)
{
    SetStatusText(window, QUEUE_NOT_KEPT_TEXT);
}
