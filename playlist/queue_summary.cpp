// The line under the list: how many entries the queue holds, how long they
// play, and while it plays or is paused how much is left (the rest of the
// current entry and the entries after it; in shuffle mode those not yet
// played in this pass). Worked out from the list once changes pause, at most
// twice a second, and set only when its text changes: the list is not drawn.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

static const DWORD SUMMARY_QUIET_MS = 100;
static const DWORD SUMMARY_LONGEST_MS = 500;

static void ShowQueueSummary(HWND window);
static QuietTimer s_summary = {SUMMARY_TIMER_ID, SUMMARY_QUIET_MS, SUMMARY_LONGEST_MS, ShowQueueSummary, 0, 0, false, NULL};

// A length into a sum: an unknown one makes it a lower bound.
static void Add(int64_t* sum, bool* partial, int32_t lengthMs)
{
    if (lengthMs >= 0)
        *sum += lengthMs;
    else
        *partial = true;
}

// Shuffled: what this pass has not handed out yet.
static void AddUnplayed(QueueSummary* summary)
{
    for (int32_t i = g_shuffleOrder.cursor + 1; i < g_shuffleOrder.count; ++i)
        Add(&summary->leftMs, &summary->leftPartial, g_shuffleOrder.entries[i]->lengthMs);
}

static void ShowQueueSummary(HWND window)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int32_t placeMs = 0;
    int current = g_playState != PLAY_STOPPED ? CurrentEntryIndex(window) : -1;
    if (current >= 0)
        QueuePlace(window, &placeMs);
    bool shuffled = g_playOptions.random != 0 && ShuffleBuilt();
    QueueSummary summary = {count > 0 ? static_cast<unsigned long>(count) : 0, 0, false, current >= 0 ? 0 : -1, false};
    for (int i = 0; i < count; ++i) {
        LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        const PlaylistEntry* entry = data != LB_ERR ? reinterpret_cast<const PlaylistEntry*>(data) : NULL;
        int32_t lengthMs = entry != NULL ? entry->lengthMs : -1;
        Add(&summary.totalMs, &summary.totalPartial, lengthMs);
        if (i == current && lengthMs >= 0)
            summary.leftMs += lengthMs > placeMs ? lengthMs - placeMs : 0;
        else if (i == current || (i > current && current >= 0 && !shuffled))
            Add(&summary.leftMs, &summary.leftPartial, lengthMs);
    }
    if (current >= 0 && shuffled)
        AddUnplayed(&summary);
    char text[QUEUE_SUMMARY_CAPACITY];
    char shown[QUEUE_SUMMARY_CAPACITY];
    FormatQueueSummary(text, sizeof text, summary);
    if (GetDlgItemTextA(window, IDC_QUEUE_SUMMARY, shown, sizeof shown) == 0 || std::strcmp(text, shown) != 0)
        SetDlgItemTextA(window, IDC_QUEUE_SUMMARY, text);
}

void ShowQueueSummarySoon(HWND window)
{
    if (!PutOffUntilQuiet(window, &s_summary))
        ShowQueueSummary(window);
}
