// The place in the queue that a later start comes back to: kept as the
// current entry changes, while it plays, at Pause and at Stop; and the place
// a start restored, where its first Start goes on.
#include <windows.h>

#include "playback.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

// The place a start restored, until a Start goes on there or another entry
// plays first.
static const PlaylistEntry* s_resumeEntry = NULL;
static int32_t s_resumeMs = 0;

// A CD track's device counts from the start of the disc.
void KeepPlaceAt(HWND window, int32_t devicePositionMs)
{
    const PlaylistEntry* entry = CurrentEntry();
    if (entry == NULL)
        return;
    int32_t offset = devicePositionMs;
    if (entry->kind == ENTRY_CD_TRACK)
        offset -= entry->startMs;
    SaveQueuePosition(window, entry, offset > 0 ? offset : 0);
}

// An entry cue mode holds has not started.
void KeepPlayingPlace(HWND window)
{
    if (CurrentEntry() != NULL)
        KeepPlaceAt(window, CueHeld() ? 0 : OpenMediaPositionMs());
}

void KeepNoPlace(HWND window)
{
    SaveQueuePosition(window, NULL, 0);
}

// No current entry (a Stop, an entry removed) changes nothing here: Stop has
// kept the place it stopped at, and a released entry is let go of by the
// store itself.
void KeepNewCurrent(HWND window, int index)
{
    if (index < 0)
        return;
    s_resumeEntry = NULL;
    SaveQueuePosition(window, GetEntry(window, index), 0);
}

// The time read-out shows the place; a file's length is known only once it
// is opened.
static void ShowPlace(HWND window, const PlaylistEntry* entry, int32_t offsetMs)
{
    char text[PROGRESS_TEXT_CAPACITY];
    if (entry->kind == ENTRY_CD_TRACK)
        FormatProgressText(text, sizeof text, offsetMs / 1000, entry->lengthMs / 1000);
    else
        FormatPlaceText(text, sizeof text, offsetMs / 1000);
    SetDlgItemTextA(window, IDC_TIME, text);
}

void SetResumePlace(HWND window, int index, int32_t offsetMs)
{
    const PlaylistEntry* entry = GetEntry(window, index);
    if (entry == NULL)
        return;
    // Past a CD track's end (a file gone wrong): from its start.
    if (offsetMs < 0 || (entry->kind == ENTRY_CD_TRACK && offsetMs >= entry->lengthMs))
        offsetMs = 0;
    s_resumeEntry = entry;
    s_resumeMs = offsetMs;
    SelectIndex(window, index);
    ShowPlace(window, entry, offsetMs);
}

void ForgetResumePlace(const PlaylistEntry* entry)
{
    if (entry == s_resumeEntry)
        s_resumeEntry = NULL;
}

bool ResumeRestoredPlace(HWND window)
{
    int index = FindEntryIndex(window, s_resumeEntry);
    const PlaylistEntry* entry = s_resumeEntry;
    s_resumeEntry = NULL;
    if (index < 0)
        return false;
    // In a shuffled pass it counts as played, as an entry played now does.
    if (g_playOptions.random != 0)
        HandOutOfTurn(entry);
    StartEntryFrom(window, index, s_resumeMs);
    KeepPlayingPlace(window);
    return true;
}
