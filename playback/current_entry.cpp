// The current entry, the sequencer's own record of the entry that plays or is
// paused, and the one place every change of the queue passes.
#include <windows.h>

#include "playback.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

static const PlaylistEntry* s_current = NULL;
// Where the current entry was last seen in the list: looked at first, and
// the list searched only when it no longer holds the entry there.
static int s_currentIndex = -1;
// With no current entry, the advance goes on after this index.
static int s_afterIndex = -1;
// Changes with every change of the current entry; never 0, which marks an
// advance that is sent rather than posted.
static WPARAM s_generation = 1;

const PlaylistEntry* CurrentEntry()
{
    return s_current;
}

int CurrentEntryIndex(HWND window)
{
    if (s_current == NULL)
        return -1;
    if (s_currentIndex < 0 || GetEntry(window, s_currentIndex) != s_current)
        s_currentIndex = FindEntryIndex(window, s_current);
    return s_currentIndex;
}

WPARAM CurrentGeneration()
{
    return s_generation;
}

void PostAdvance(HWND window)
{
    PostMessageA(window, MSG_ADVANCE, s_generation, 0);
}

static void ChangeCurrent(HWND window, const PlaylistEntry* entry, int index)
{
    int before = CurrentEntryIndex(window);
    s_current = entry;
    s_currentIndex = index;
    if (++s_generation == 0)
        s_generation = 1;
    RedrawListItem(window, before);
    RedrawListItem(window, index);
    UpdateStepCommands(window);
    QueueChanged(window, QUEUE_CURRENT, index, index);
}

void MakeCurrent(HWND window, int index)
{
    ChangeCurrent(window, GetEntry(window, index), index);
    // The selection follows each entry as it starts, so that it is in view.
    SelectIndex(window, index);
}

void ForgetCurrent(HWND window, int afterIndex)
{
    s_afterIndex = afterIndex;
    ChangeCurrent(window, NULL, -1);
}

int AdvanceBaseIndex(HWND window)
{
    if (s_current == NULL)
        return s_afterIndex;
    return CurrentEntryIndex(window);
}

// Keeps the remembered places, and what Next and Previous offer, in step
// with the list; every change of the queue passes here.
void QueueChanged(HWND window, QueueChange change, int index, int toIndex)
{
    switch (change) {
    case QUEUE_REMOVED:
        if (s_currentIndex > index)
            --s_currentIndex;
        if (s_current == NULL && s_afterIndex >= index)
            --s_afterIndex;
        break;
    case QUEUE_MOVED:
        if (s_currentIndex == index)
            s_currentIndex = toIndex;
        else if (s_currentIndex > index && s_currentIndex <= toIndex)
            --s_currentIndex;
        else if (s_currentIndex < index && s_currentIndex >= toIndex)
            ++s_currentIndex;
        break;
    case QUEUE_CLEARED:
        s_currentIndex = -1;
        s_afterIndex = -1;
        break;
    case QUEUE_APPENDED:
        // During a shuffled pass a new entry joins what is still to come.
        JoinShuffleOrder(GetEntry(window, index));
        break;
    case QUEUE_CURRENT:
        break;
    }
    // An append only ever makes a step possible: one look while none is
    // offered, not one per entry of a long load.
    if (g_playState != PLAY_STOPPED && change != QUEUE_CURRENT && (change != QUEUE_APPENDED || !NextOffered()))
        UpdateStepCommands(window);
    // Kept for the next start: the list once its changes pause, the place at once.
    if (change == QUEUE_CURRENT)
        KeepNewCurrent(window, index);
    else
        SaveQueueSoon(window);
    UpdateMediaControls(window);
}

bool ReleaseFromPlayback(HWND window, const PlaylistEntry* entry, int index)
{
    LeaveShuffleOrder(entry);
    if (entry == NULL || entry != s_current)
        return false;
    StopAndCloseMedia();
    DropCue();
    ForgetDoubtfulEnd();
    ForgetCurrent(window, index - 1);
    return true;
}

void PlayOnAfterRemoval(HWND window)
{
    // A paused entry removed: playback stops, as Stop does.
    if (g_playState == PLAY_PAUSED)
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_STOP, 0), 0);
    else if (g_playState == PLAY_PLAYING)
        SendMessageA(window, MSG_ADVANCE, 0, 0);
}
