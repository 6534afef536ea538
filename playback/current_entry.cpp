// The current entry, the sequencer's own record of the entry that plays or is
// paused, and the place the queue is kept at: that entry, or the one playback
// stopped in or a start restored, and how far into it. One record for both,
// and the one place every change of the queue passes.
#include <windows.h>

#include "playback.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

// The entry the place is in; while s_current, the current entry.
static const PlaylistEntry* s_entry = NULL;
static bool s_current = false;
// Where the entry was last seen in the list: looked at first, and the list
// searched only when it no longer holds the entry there.
static int s_entryIndex = -1;
static int32_t s_placeMs = 0;
// A start restored the place: the first Start goes on there, unless
// another entry has played first.
static bool s_resumable = false;
// With no current entry, the advance goes on after this index.
static int s_afterIndex = -1;
// Changes with every change of the current entry; never 0, which marks an
// advance that is sent rather than posted.
static WPARAM s_generation = 1;

static int PlaceEntryIndex(HWND window)
{
    if (s_entry == NULL)
        return -1;
    if (s_entryIndex < 0 || GetEntry(window, s_entryIndex) != s_entry)
        s_entryIndex = FindEntryIndex(window, s_entry);
    return s_entryIndex;
}

const PlaylistEntry* CurrentEntry()
{
    return s_current ? s_entry : NULL;
}

int CurrentEntryIndex(HWND window)
{
    return s_current ? PlaceEntryIndex(window) : -1;
}

int QueuePlace(HWND window, int32_t* positionMs)
{
    int index = PlaceEntryIndex(window);
    *positionMs = index >= 0 ? s_placeMs : 0;
    return index;
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
    if (entry != NULL) {
        s_entry = entry;
        s_entryIndex = index;
        s_placeMs = 0;
        s_resumable = false;
    }
    s_current = entry != NULL;
    if (++s_generation == 0)
        s_generation = 1;
    RedrawListItem(window, before);
    RedrawListItem(window, index);
    UpdateStepCommands(window);
    ShowQueueSummarySoon(window);
    // A new current entry is kept as the place at once.
    if (entry != NULL)
        SaveQueuePlace(window);
}

void MakeCurrent(HWND window, int index)
{
    ChangeCurrent(window, GetEntry(window, index), index);
    // The selection follows each entry as it starts, so that it is in view.
    SelectIndex(window, index);
}

// The entry stays the place: Stop keeps the place it stopped at.
void ForgetCurrent(HWND window, int afterIndex)
{
    s_afterIndex = afterIndex;
    ChangeCurrent(window, NULL, -1);
}

int AdvanceBaseIndex(HWND window)
{
    return s_current ? CurrentEntryIndex(window) : s_afterIndex;
}

// A CD track's device counts from the start of the disc.
void KeepPositionAt(HWND window, int32_t devicePositionMs)
{
    if (!s_current)
        return;
    int32_t offset = devicePositionMs;
    if (s_entry->kind == ENTRY_CD_TRACK)
        offset -= s_entry->startMs;
    s_placeMs = offset > 0 ? offset : 0;
    SaveQueuePlace(window);
}

// An entry cue mode holds has not started.
void KeepPlayingPlace(HWND window)
{
    if (s_current)
        KeepPositionAt(window, CueHeld() ? 0 : OpenMediaPositionMs());
}

void KeepNoPlace(HWND window)
{
    s_entry = NULL;
    s_resumable = false;
    SaveQueuePlace(window);
}

void SetResumePlace(HWND window, int index, int32_t offsetMs)
{
    const PlaylistEntry* entry = GetEntry(window, index);
    if (entry == NULL)
        return;
    // Past a CD track's end (a file gone wrong): from its start.
    if (offsetMs < 0 || (entry->kind == ENTRY_CD_TRACK && offsetMs >= entry->lengthMs))
        offsetMs = 0;
    s_entry = entry;
    s_entryIndex = index;
    s_placeMs = offsetMs;
    s_resumable = true;
    SelectIndex(window, index);
    ShowPlace(window, entry, offsetMs);
}

bool ResumeRestoredPlace(HWND window)
{
    int index = s_resumable ? PlaceEntryIndex(window) : -1;
    s_resumable = false;
    if (index < 0)
        return false;
    // In a shuffled pass it counts as played, as an entry played now does.
    if (g_playOptions.random != 0)
        HandOutOfTurn(s_entry);
    int32_t offsetMs = s_placeMs;
    StartEntryFrom(window, index, offsetMs);
    KeepPlayingPlace(window);
    return true;
}

void ForgetEntry(const PlaylistEntry* entry)
{
    if (entry == s_entry && entry != NULL) {
        s_entry = NULL;
        s_current = false;
        s_resumable = false;
    }
}

// Keeps the remembered indices, what Next and Previous offer and the find
// box in step with the list; every change of the queue passes here.
void QueueChanged(HWND window, QueueChange change, int index, int toIndex)
{
    switch (change) {
    case QUEUE_REMOVED:
        if (s_entryIndex > index)
            --s_entryIndex;
        if (!s_current && s_afterIndex >= index)
            --s_afterIndex;
        break;
    case QUEUE_MOVED:
        if (s_entryIndex == index)
            s_entryIndex = toIndex;
        else if (s_entryIndex > index && s_entryIndex <= toIndex)
            --s_entryIndex;
        else if (s_entryIndex < index && s_entryIndex >= toIndex)
            ++s_entryIndex;
        break;
    case QUEUE_CLEARED:
        s_entryIndex = -1;
        s_afterIndex = -1;
        break;
    case QUEUE_APPENDED:
        // During a shuffled pass a new entry joins what is still to come.
        JoinShuffleOrder(GetEntry(window, index));
        break;
    }
    // An append only ever makes a step possible: one look while none is
    // offered, not one per entry of a long load.
    if (g_playState != PLAY_STOPPED && (change != QUEUE_APPENDED || !NextOffered()))
        UpdateStepCommands(window);
    TitlesSeeQueueChange(change, index, toIndex);
    if (change == QUEUE_APPENDED)
        ReadTitlesSoon(window);
    ShowQueueSummarySoon(window);
    NoteQueueChangeForFind(change, index, toIndex);
    // Kept for the next start once the changes pause.
    SaveQueueSoon(window);
    UpdateMediaControls(window);
}

bool ReleaseFromPlayback(HWND window, const PlaylistEntry* entry, int index)
{
    LeaveShuffleOrder(entry);
    if (entry == NULL || entry != CurrentEntry())
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
        SendCommand(window, IDM_STOP);
    else if (g_playState == PLAY_PLAYING)
        SendMessageA(window, MSG_ADVANCE, 0, 0);
}
