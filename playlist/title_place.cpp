// Titles and lengths on the window's thread: jobs handed to the reading
// thread (the rows in view first, then the list from the top) and what it
// read placed into the list, a tick of the title timer at a time, so that the
// window is busy a moment now and then rather than at every file; and the
// length the media layer tells as an entry plays.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "title_scan.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

// Results taken at a tick: as many as the thread holds.
static const int RESULTS_AT_ONCE = 512;
static const UINT TITLES_TICK_MS = 100;
// While the thread reads more than a few files a tick, the ticks come sooner:
// at 100 ms they would cap the reading at about 5,000 files a second, below
// what a warm cache gives.
static const UINT TITLES_CATCH_UP_MS = 40;
static const int CATCH_UP_RESULTS = 64;
// A played length this far from the one read stands in its place.
static const int32_t LENGTH_TOLERANCE_MS = 1000;

// The next row the sweep from the top looks at; moved back by edits above it.
static int s_sweep = 0;
// The window whose timer ticks while jobs are out or results wait, and how often.
static HWND s_ticking = NULL;
static UINT s_tickMs = 0;

static void CALLBACK OnTitlesTick(HWND window, UINT, UINT_PTR, DWORD);

static bool NeedsReading(const PlaylistEntry* entry)
{
    return entry != NULL && entry->kind != ENTRY_CD_TRACK &&
           (entry->titleState == TITLE_UNREAD || entry->titleState == TITLE_CHECK);
}

static bool HandOver(HWND list, int index, int* room)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    PlaylistEntry* entry = data != LB_ERR ? reinterpret_cast<PlaylistEntry*>(data) : NULL;
    if (!NeedsReading(entry))
        return false;
    TitleJob job;
    job.entry = entry;
    job.serial = entry->serial;
    job.indexHint = index;
    CopyBounded(job.path, sizeof job.path, entry->path);
    job.fileSize = entry->fileSize;
    job.fileTime = entry->fileTime;
    // Added in an earlier run, its title may have been its tags'.
    job.wantsName = entry->titleState == TITLE_CHECK;
    HandTitleJob(job);
    entry->titleState = TITLE_QUEUED;
    --*room;
    return true;
}

static void KeepTicking(HWND window, bool busy, UINT everyMs)
{
    if (busy && (s_ticking != window || s_tickMs != everyMs) &&
        SetTimer(window, TITLES_TIMER_ID, everyMs, OnTitlesTick) != 0) {
        s_ticking = window;
        s_tickMs = everyMs;
    } else if (!busy && s_ticking == window) {
        KillTimer(window, TITLES_TIMER_ID);
        s_ticking = NULL;
    }
}

// True when any job was handed out.
static bool HandOutJobs(HWND window, HWND list)
{
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int room = count > 0 ? TitleJobRoom() : 0;
    int given = room;
    if (room == 0)
        return false;
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    int inView = rowHeight > 0 ? client.bottom / rowHeight + 1 : 0;
    for (int i = top; i < count && i < top + inView && room > 0; ++i)
        HandOver(list, i, &room);
    for (; s_sweep < count && room > 0; ++s_sweep)
        HandOver(list, s_sweep, &room);
    return room < given;
}

// Every append calls it: the jobs are handed out at the timer's next tick,
// which a stream of adds puts off until it pauses, so that the adds go at
// their own pace.
void ReadTitlesSoon(HWND window)
{
    KeepTicking(window, true, s_ticking == window ? s_tickMs : TITLES_TICK_MS);
}

void TitlesSeeQueueChange(QueueChange change, int index, int toIndex)
{
    if (change == QUEUE_CLEARED)
        s_sweep = 0;
    else if (change == QUEUE_REMOVED || change == QUEUE_MOVED)
        s_sweep = index < s_sweep ? index : toIndex < s_sweep ? toIndex : s_sweep;
}

static PlaylistEntry* ItemEntry(HWND list, int index)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data != LB_ERR ? reinterpret_cast<PlaylistEntry*>(data) : NULL;
}

// The entry a result names, if it is still in the list.
static int FindResultEntry(HWND window, HWND list, const TitleResult& result)
{
    int index = result.indexHint;
    if (ItemEntry(list, index) != result.entry)
        index = FindEntryIndex(window, result.entry);
    const PlaylistEntry* entry = index >= 0 ? ItemEntry(list, index) : NULL;
    return entry != NULL && entry->serial == result.serial ? index : -1;
}

// A new title takes the item's place. The row to draw again (for its title
// or its length), or -1.
static int Place(HWND window, HWND list, const TitleResult& result, bool* listChanged)
{
    int index = FindResultEntry(window, list, result);
    if (index < 0)
        return -1;
    PlaylistEntry* entry = ItemEntry(list, index);
    entry->titleState = TITLE_READ;
    if (!result.read)
        return -1;
    entry->fileSize = result.fileSize;
    entry->fileTime = result.fileTime;
    entry->lengthMs = result.lengthMs;
    entry->artistLength = result.title[0] != '\0' ? result.artistLength : 0;
    *listChanged = true;
    // Without a title of its tags an entry keeps the name it was added under.
    const char* title = result.title[0] != '\0' ? result.title : result.name;
    char shown[TEXT_CAPACITY];
    GetListItemText(list, index, shown);
    if (title[0] != '\0' && std::strcmp(shown, title) != 0)
        RetitleEntry(window, list, index, title);
    if (entry == CurrentEntry())
        ShowMediaControlsTitleAgain(window);
    return index;
}

// Windows does not draw again what changed while drawing was held.
static void DrawRowsInView(HWND list, const int* rows, int count)
{
    RECT client;
    GetClientRect(list, &client);
    for (int i = 0; i < count; ++i) {
        RECT row;
        if (rows[i] >= 0 &&
            SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(rows[i]), reinterpret_cast<LPARAM>(&row)) != LB_ERR &&
            row.top < client.bottom && row.bottom > client.top)
            InvalidateRect(list, &row, FALSE);
    }
}

static void CALLBACK OnTitlesTick(HWND window, UINT, UINT_PTR, DWORD)
{
    // A stream of adds (a forwarded playlist) goes first: the reading, whose
    // files' calls share Wine's server with the adds', waits for it to pause.
    if (AddStreamUnderWay())
        return;
    TitleResult* results = static_cast<TitleResult*>(std::malloc(sizeof(TitleResult) * RESULTS_AT_ONCE));
    if (results == NULL)
        return;
    bool busy = false;
    int count = TakeTitleResults(results, RESULTS_AT_ONCE, &busy);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    // A shown list draws its scroll bar again at every retitle (two changes
    // of its items), which under Wine cost milliseconds each: the drawing is
    // held for the tick, and the rows in view drawn once. A stream of adds
    // holds it already, and draws the whole list when it ends.
    bool hold = count > 0 && !AddStreamUnderWay();
    if (hold)
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    bool listChanged = false;
    int* rows = static_cast<int*>(std::malloc(sizeof(int) * RESULTS_AT_ONCE));
    for (int i = 0; i < count; ++i) {
        int row = Place(window, list, results[i], &listChanged);
        if (rows != NULL)
            rows[i] = row;
    }
    if (hold) {
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        if (rows != NULL)
            DrawRowsInView(list, rows, count);
        else
            InvalidateRect(list, NULL, FALSE);
    }
    std::free(rows);
    std::free(results);
    if (listChanged) {
        SaveQueueSoon(window);
        ShowQueueSummarySoon(window);
    }
    bool handed = HandOutJobs(window, list);
    KeepTicking(window, busy || handed, count >= CATCH_UP_RESULTS ? TITLES_CATCH_UP_MS : TITLES_TICK_MS);
}

// The media layer's word once an entry plays: for the kinds no reader
// knows, and where a reader was wrong (a VBR MP3 without its frame count).
// Under Wine the MIDI sequencer converts at one tempo: a length read
// through the file's tempo map stands.
void KeepPlayedLength(HWND window, int32_t playedMs)
{
    int index = CurrentEntryIndex(window);
    PlaylistEntry* entry = index >= 0 ? GetEntry(window, index) : NULL;
    if (entry == NULL || entry->kind == ENTRY_CD_TRACK || playedMs <= 0)
        return;
    int32_t difference = entry->lengthMs - playedMs;
    bool known = entry->lengthMs >= 0;
    if (known && (entry->kind == ENTRY_MIDI || (difference <= LENGTH_TOLERANCE_MS && difference >= -LENGTH_TOLERANCE_MS)))
        return;
    entry->lengthMs = playedMs;
    RedrawListItem(window, index);
    SaveQueueSoon(window);
    ShowQueueSummarySoon(window);
}
