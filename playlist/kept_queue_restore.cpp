// The kept queue back into the list at a start. What was learnt when each
// entry was added (its kind, its list text, its stored path, a CD track's
// place on the disc) is taken as it stands: nothing is looked up on disk,
// and the list draws once, at the end.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "resource.h"

// Lines are far shorter; a longer one is passed over as cut short.
static const DWORD READ_BUFFER_BYTES = 65536;

static PlaylistEntry* MakeEntry(const KeptEntry& kept)
{
    if (kept.kind == ENTRY_CD_TRACK)
        return NewCdEntry(kept.startMs, kept.lengthMs);
    char converted[STORED_LINE_CAPACITY];
    const char* path = ReadStoredText(kept.path, converted, sizeof converted);
    // No path that came through the mailbox was ever longer.
    if (std::strlen(path) >= static_cast<size_t>(MAILBOX_CAPACITY))
        return NULL;
    return NewFileEntry(kept.kind, path);
}

// False when the list cannot hold the entry: it is passed over.
static bool AddRestoredEntry(HWND list, const KeptEntry& kept, int* index)
{
    char converted[STORED_LINE_CAPACITY];
    const char* display = ReadStoredText(kept.display, converted, sizeof converted);
    if (std::strlen(display) >= static_cast<size_t>(TEXT_CAPACITY))
        return false;
    PlaylistEntry* entry = MakeEntry(kept);
    if (entry == NULL)
        return false;
    LRESULT added = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display));
    if (added < 0) {
        FreeEntry(entry);
        return false;
    }
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(added), reinterpret_cast<LPARAM>(entry));
    *index = static_cast<int>(added);
    return true;
}

// Each line of the file as it comes, a block at a time.
static void RestoreLines(HANDLE file, char* buffer, HWND list, KeptQueueReading* reading, RestoredQueue* restored)
{
    KeptLineBuffer lines;
    InitKeptLines(&lines, buffer, READ_BUFFER_BYTES);
    for (;;) {
        KeptTextLine line;
        KeptLineTake take = TakeKeptLine(&lines, &line);
        if (take == KEPT_NO_MORE)
            return;
        if (take == KEPT_NEEDS_MORE) {
            size_t room = 0;
            char* to = KeptLinesRoom(&lines, &room);
            DWORD got = 0;
            if (!ReadFile(file, to, static_cast<DWORD>(room), &got, NULL))
                got = 0;
            KeptLinesFilled(&lines, got);
            continue;
        }
        KeptEntry kept;
        KeptLineKind kind = ReadKeptQueueLine(reading, line.text, line.length, line.whole, &kept);
        if (kind == KEPT_LINE_END)
            return;
        if (kind != KEPT_LINE_ENTRY)
            continue;
        bool current = reading->currentKept == static_cast<int32_t>(reading->kept - 1);
        int index = -1;
        if (!AddRestoredEntry(list, kept, &index)) {
            ++restored->passedOver;
        } else {
            ++restored->added;
            if (current) {
                restored->current = index;
                restored->positionMs = reading->currentMs;
            }
        }
    }
}

static void RestoreNothing(RestoredQueue* restored)
{
    restored->current = -1;
    restored->positionMs = 0;
    restored->added = 0;
    restored->passedOver = 0;
    restored->held = false;
}

bool RestoreQueueFrom(HWND window, const KeptQueueFiles* files, RestoredQueue* restored)
{
    RestoreNothing(restored);
    const char* picked = PickKeptQueueFile(files, &restored->held);
    if (picked == NULL)
        return false;
    const char* name = SettleKeptQueue(files, picked);
    HANDLE file = OpenKeptFile(name, FILE_FLAG_SEQUENTIAL_SCAN);
    char* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, READ_BUFFER_BYTES + 1));
    if (file == INVALID_HANDLE_VALUE || buffer == NULL) {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (buffer != NULL)
            HeapFree(GetProcessHeap(), 0, buffer);
        return false;
    }
    KeptPlaceRecord records[KEPT_PLACE_SLOTS];
    ReadKeptPlaces(files, records);
    KeptQueueReading reading;
    BeginKeptQueueReading(&reading, records, KEPT_PLACE_SLOTS);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    RestoreLines(file, buffer, list, &reading, restored);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    CloseHandle(file);
    HeapFree(GetProcessHeap(), 0, buffer);
    restored->passedOver += reading.passedOver;
    RememberQueuePlace(restored->current >= 0 ? GetEntry(window, restored->current) : NULL, restored->positionMs);
    return true;
}

bool RestoreQueue(HWND window, RestoredQueue* restored)
{
    RestoreNothing(restored);
    if (!QueueStoreUsable())
        return false;
    bool found = RestoreQueueFrom(window, &g_keptQueue.files, restored);
    // Writing over a queue no one has read would lose it; the user is told
    // once, as when a write fails.
    if (restored->held) {
        g_keptQueue.usable = false;
        StartQueueWriter(window);
        NoteOutcome(false, true);
    }
    return found;
}
