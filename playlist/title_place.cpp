// Titles and lengths on the window's thread: jobs handed to the reading
// thread (the rows in view first, then the list from the top), what it read
// placed into the list, and the length the media layer tells as an entry plays.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "title_scan.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

// Results taken at a time.
static const int RESULTS_AT_ONCE = 16;
// A played length this far from the one read stands in its place.
static const int32_t LENGTH_TOLERANCE_MS = 1000;

// The next row the sweep from the top looks at; moved back by edits above it.
static int s_sweep = 0;

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
    HandTitleJob(job);
    entry->titleState = TITLE_QUEUED;
    --*room;
    return true;
}

void ReadTitlesSoon(HWND window)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int room = count > 0 ? TitleJobRoom(window) : 0;
    if (room == 0)
        return;
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    int inView = rowHeight > 0 ? client.bottom / rowHeight + 1 : 0;
    for (int i = top; i < count && i < top + inView && room > 0; ++i)
        HandOver(list, i, &room);
    for (; s_sweep < count && room > 0; ++s_sweep)
        HandOver(list, s_sweep, &room);
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
    const char* title = result.title[0] != '\0' ? result.title : result.name;
    char shown[TEXT_CAPACITY];
    GetListItemText(list, index, shown);
    if (std::strcmp(shown, title) != 0)
        RetitleEntry(window, index, title);
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

void PlaceReadTitles(HWND window)
{
    TitleResult* results = static_cast<TitleResult*>(std::malloc(sizeof(TitleResult) * RESULTS_AT_ONCE));
    if (results == NULL)
        return;
    int count = TakeTitleResults(results, RESULTS_AT_ONCE);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    // A shown list draws its scroll bar again at every retitle (two changes
    // of its items), which under Wine cost milliseconds each: the drawing is
    // held for the run, and the rows in view drawn once. A stream of adds
    // holds it already, and draws the whole list when it ends.
    bool hold = count > 0 && !AddStreamUnderWay();
    if (hold)
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    bool listChanged = false;
    int rows[RESULTS_AT_ONCE];
    for (int i = 0; i < count; ++i)
        rows[i] = Place(window, list, results[i], &listChanged);
    if (hold) {
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        DrawRowsInView(list, rows, count);
    }
    std::free(results);
    if (listChanged) {
        SaveQueueSoon(window);
        ShowQueueSummarySoon(window);
    }
    ReadTitlesSoon(window);
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
