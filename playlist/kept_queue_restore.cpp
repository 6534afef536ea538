// The kept queue back into the list at a start. What was learnt when each
// entry was added (its kind, its list text, its stored path, a CD track's
// place on the disc) is taken as it stands: nothing is looked up on disk,
// and the list draws once, at the end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "kept_queue_parts.h"
#include "resource.h"

static const size_t ASIDE_SUFFIX_CAPACITY = 16;

static bool IsWholeQueue(const char* text, size_t size)
{
    return KeptQueueVersion(text, size) == KEPT_QUEUE_VERSION && EndsWithKeptQueueEnd(text, size);
}

static bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The newest queue: a whole new file that a write left before its rename
// (flushed, so nothing is lost), else the queue, else what a first write
// left. Null when there is none; *held when the queue is there but cannot
// be read.
static char* ReadNewestQueue(const KeptQueueFiles* files, size_t* size, bool* held)
{
    char* text = ReadWholeFile(files->fresh, size);
    *held = false;
    if (text != NULL && IsWholeQueue(text, *size)) {
        // In the queue's place, so that the next write cannot cut it.
        WriteWholeFile(files->queue, files->fresh, text, *size);
        return text;
    }
    size_t queueSize = 0;
    char* queue = ReadWholeFile(files->queue, &queueSize);
    if (queue == NULL && IsMissing(GetLastError()))
        return text;
    std::free(text);
    *held = queue == NULL;
    *size = queueSize;
    return queue;
}

// Only Vireo writes the file: one of another version (a later Vireo's, run
// before this one) is kept under a name of its own, unread and unharmed.
static bool SetAside(const KeptQueueFiles* files, int version)
{
    char aside[MAX_PATH + ASIDE_SUFFIX_CAPACITY];
    std::snprintf(aside, sizeof aside, "%s.v%d", files->queue, version);
    DeleteFileA(aside);
    return MoveFileA(files->queue, aside) != FALSE;
}

// A path or display text of the file in this process's code page; null
// when the list cannot hold it.
static const char* ReadStoredField(const char* field, char* converted, int capacity)
{
    const char* text = ReadStoredText(field, converted, capacity);
    return std::strlen(text) < static_cast<size_t>(TEXT_CAPACITY) ? text : NULL;
}

// False when the list cannot hold the entry: it is passed over.
static bool AddRestoredEntry(HWND list, const KeptEntry& kept, int* index)
{
    char display[STORED_LINE_CAPACITY];
    char path[STORED_LINE_CAPACITY];
    const char* shown = ReadStoredField(kept.display, display, sizeof display);
    const char* stored = kept.kind == ENTRY_CD_TRACK ? "" : ReadStoredField(kept.path, path, sizeof path);
    // No path that came through the mailbox was ever longer.
    if (shown == NULL || stored == NULL || std::strlen(stored) >= static_cast<size_t>(MAILBOX_CAPACITY))
        return false;
    PlaylistEntry* entry =
        kept.kind == ENTRY_CD_TRACK ? NewCdEntry(kept.startMs, kept.lengthMs) : NewFileEntry(kept.kind, stored);
    *index = entry != NULL ? AppendListItem(list, shown, entry) : -1;
    return *index >= 0;
}

static void RestoreLines(HWND list, char* text, size_t size, KeptQueueReading* reading, RestoredQueue* restored)
{
    char* end = text + size;
    char* cursor = SkipByteOrderMark(text, end);
    TextLine line;
    KeptEntry kept;
    while (TakeTextLine(&cursor, end, &line)) {
        KeptLineKind kind = ReadKeptQueueLine(reading, line, &kept);
        if (kind == KEPT_LINE_END)
            return;
        if (kind != KEPT_LINE_ENTRY)
            continue;
        bool current = reading->currentTaken == static_cast<int32_t>(reading->taken - 1);
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

// The place written apart counts when it belongs to this very queue.
static void ReadPlaceRecord(const KeptQueueFiles* files, uint32_t queueCheck, KeptQueueReading* reading)
{
    char record[KEPT_PLACE_SIZE];
    DWORD size = 0;
    HANDLE file = CreateFileA(files->place, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    KeptPlace place;
    if (ReadFile(file, record, sizeof record, &size, NULL) && ParseKeptPlace(record, size, &place) &&
        place.queueCheck == queueCheck)
        SetKeptReadingPlace(reading, place.current, place.positionMs);
    CloseHandle(file);
}

bool RestoreQueue(HWND window, RestoredQueue* restored)
{
    *restored = RestoredQueue{-1, 0, 0, 0, false};
    const KeptQueueFiles* files = KeptQueueFileNames();
    size_t size = 0;
    char* text = files != NULL ? ReadNewestQueue(files, &size, &restored->held) : NULL;
    int version = text != NULL ? KeptQueueVersion(text, size) : 0;
    if (version != 0 && version != KEPT_QUEUE_VERSION && !SetAside(files, version))
        restored->held = true;
    if (restored->held)
        HoldKeptQueue(window);
    if (version != KEPT_QUEUE_VERSION) {
        std::free(text);
        return false;
    }
    uint32_t check = KeptTextCheck(text, size);
    SetKeptQueueCheck(check);
    KeptQueueReading reading;
    BeginKeptQueueReading(&reading);
    ReadPlaceRecord(files, check, &reading);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    RestoreLines(list, text, size, &reading, restored);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    std::free(text);
    restored->passedOver += reading.passedOver;
    // The file is made to match the list, whose indices the places name.
    if (restored->passedOver > 0)
        SaveQueueSoon(window);
    return true;
}
