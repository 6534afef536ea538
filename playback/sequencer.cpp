// The playback sequencer: walks the playlist one entry at a time.
// Which messages are sent and which are posted decides the order of work.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

#include "playback.h"
#include "../app/app.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

int g_playState = PLAY_STOPPED;
UINT_PTR g_progressTimerId = 0;

static const UINT PROGRESS_PERIOD_MS = 1000;
static const size_t STATUS_CAPACITY = 320;

// Entries this pass has started and that have not failed since: a repeat
// pass that plays none would otherwise loop for ever.
static int s_passStartedEntries = 0;
// Whether a shuffle order has been built since the last Stop.
static bool s_shuffleBuilt = false;

// The entry cue mode holds: opened but not started. A play stopped at once
// is heard on the real platform (its stop lags a third of a second behind),
// so the entry is started only when the user resumes.
struct CuedEntry {
    bool waiting;
    bool cdTrack;
    int32_t startMs;
    int32_t lengthMs;
    char name[TEXT_CAPACITY];
};
static CuedEntry s_cued = {false, false, 0, 0, ""};

// An end notice taken for an earlier play's while the device still says it
// plays. It may be this play's own: Wine's MPEG device (MP3 and the like)
// posts its end a moment before it stops. The next tick looks again.
static bool s_endInDoubt = false;

static void SendCommand(HWND window, int id)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

static void SetPauseLabel(HWND window, const char* label)
{
    SetDlgItemTextA(window, IDM_PAUSE, label);
}

static void CheckTrayPause(bool checked)
{
    CheckMenuItem(g_trayMenu, IDM_PAUSE, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void BuildShuffleOrder(HWND window)
{
    int count = GetEntryCount(window);
    if (count == LB_ERR)
        return;
    BuildShuffleOrderOfCount(count);
    s_shuffleBuilt = true;
}

void StartPlayback(HWND window)
{
    HoldMediaKeys(window);
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
    GrayCommand(window, IDM_START);
    EnableCommand(window, IDM_STOP);
    EnableCommand(window, IDM_PAUSE);
    LockListEditing(window);
    if (g_playState == PLAY_PAUSED) {
        SendCommand(window, IDM_PAUSE);
        return;
    }
    SetStatusText(window, "Starting playback...");
    s_cued.waiting = false;
    SelectIndex(window, -1);
    g_playState = PLAY_PLAYING;
    if (g_playOptions.random != 0)
        BuildShuffleOrder(window);
    s_passStartedEntries = 0;
    // The first entry opens after this command has returned.
    PostMessageA(window, MSG_ADVANCE, 0, 0);
    g_progressTimerId = SetTimer(window, PROGRESS_TIMER_ID, PROGRESS_PERIOD_MS, OnProgressTick);
}

void StopPlayback(HWND window)
{
    ReleaseMediaKeys(window);
    StopAndCloseMedia();
    s_cued.waiting = false;
    s_endInDoubt = false;
    NotifyTrayIcon(NIM_MODIFY, window, g_idleIcon, NULL);
    GrayCommand(window, IDM_PAUSE);
    GrayCommand(window, IDM_STOP);
    EnableCommand(window, IDM_START);
    SelectIndex(window, -1);
    UnlockListEditing(window);
    g_playState = PLAY_STOPPED;
    if (g_progressTimerId != 0)
        KillTimer(window, g_progressTimerId);
    SetStatusText(window, "Playback stopped.");
    ClearShuffleOrder();
    s_shuffleBuilt = false;
    UpdateStepCommands(window);
}

static void ReportInvalid(HWND window, const char* name)
{
    char status[STATUS_CAPACITY];
    std::snprintf(status, sizeof status, "%s is not a valid media file.", name);
    SetStatusText(window, status);
    // The entry stays selected, so the posted advance moves on from it.
    PostMessageA(window, MSG_ADVANCE, 0, 0);
}

// Starts the entry cue mode opened, with its own range for a CD track.
static void StartCuedEntry(HWND window)
{
    s_cued.waiting = false;
    if (!PlayOpenMedia(window, s_cued.cdTrack, s_cued.startMs, s_cued.lengthMs))
        ReportInvalid(window, s_cued.name);
    else
        ++s_passStartedEntries;
}

void TogglePause(HWND window)
{
    if (g_playState == PLAY_PAUSED) {
        g_playState = PLAY_PLAYING;
        bool cued = s_cued.waiting;
        if (!cued)
            ResumeOpenMedia(window);
        NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
        SetStatusText(window, "Playback resumed.");
        GrayCommand(window, IDM_START);
        CheckTrayPause(false);
        SetPauseLabel(window, "&Pause");
        if (cued)
            StartCuedEntry(window);
    } else {
        // A cued entry has not been started: there is nothing to stop.
        if (!s_cued.waiting)
            PauseOpenMedia();
        g_playState = PLAY_PAUSED;
        NotifyTrayIcon(NIM_MODIFY, window, g_pausedIcon, NULL);
        SetStatusText(window, "Playback paused.");
        EnableCommand(window, IDM_START);
        CheckTrayPause(true);
        SetPauseLabel(window, "&Resume");
    }
}

void StepSelection(HWND window, int delta)
{
    int target = GetSelectedIndex(window) + delta;
    if (target < 0 || target >= GetEntryCount(window))
        return;
    SelectIndex(window, target);
    // Sent: the new entry is playing when the command returns.
    SendMessageA(window, MSG_ADVANCE, 0, 0);
}

// A play halted by stop or close, or replaced by a later play, still posts
// its notice, after the next entry has started: it is no end of an entry.
static bool IsHaltedPlayNotice(UINT message, WPARAM flags)
{
    return message == MM_MCINOTIFY && (flags == MCI_NOTIFY_ABORTED || flags == MCI_NOTIFY_SUPERSEDED);
}

// An end notice posted by an earlier play that arrives once the next entry
// plays (its device id may have been handed out again): the entry that plays
// now has not ended while its device still says so.
static bool IsEarlierPlayNotice(UINT message, WPARAM flags)
{
    if (message != MM_MCINOTIFY || !MediaIsPlaying())
        return false;
    s_endInDoubt = flags == MCI_NOTIFY_SUCCESSFUL;
    return true;
}

void SettleDoubtfulEnd(HWND window)
{
    if (!s_endInDoubt)
        return;
    s_endInDoubt = false;
    // Stopped by itself since, while it should play: the notice was its own.
    if (g_playState == PLAY_PLAYING && !s_cued.waiting && !MediaIsPlaying())
        AdvancePlayback(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL);
}

// What the status line names an entry by: its stored path, or the CD device.
static const char* EntryElement(const PlaylistEntry* entry)
{
    return entry->kind == ENTRY_CD_TRACK ? CD_DEVICE_NAME : entry->path;
}

// A play that the media layer accepted and then could not carry out (no
// output device, or one in use): reported like a play refused at once, and
// not counted as played, so that repeat over such entries ends.
static void HandleFailedPlay(HWND window, int current)
{
    if (s_passStartedEntries > 0)
        --s_passStartedEntries;
    const PlaylistEntry* entry = current >= 0 ? GetEntry(window, current) : NULL;
    ReportInvalid(window, entry != NULL ? EntryElement(entry) : "");
}

static void ShowFinished(HWND window, int current)
{
    // With the list emptied during playback there is no name to show.
    if (current < 0)
        return;
    char item[TEXT_CAPACITY];
    char status[STATUS_CAPACITY];
    GetEntryText(window, current, item);
    std::snprintf(status, sizeof status, "Finished playing %s", item);
    SetStatusText(window, status);
}

// The next index of the shuffle order that still names an entry; indices
// past the end of a list shortened since the build are passed over.
static int NextShuffledEntry(int count)
{
    int next = NextShuffleIndex();
    while (!ShuffleOrderExhausted() && next >= count)
        next = NextShuffleIndex();
    return next;
}

// Opens and plays one entry; false when its play command fails.
static bool PlayEntry(HWND window, const PlaylistEntry* entry, const char* name)
{
    bool cdTrack = entry->kind == ENTRY_CD_TRACK;
    OpenMediaElement(name);
    return PlayOpenMedia(window, cdTrack, cdTrack ? entry->startMs : 0, entry->lengthMs);
}

void AdvancePlayback(HWND window, UINT message, WPARAM flags)
{
    if (IsHaltedPlayNotice(message, flags) || IsEarlierPlayNotice(message, flags))
        return;
    s_endInDoubt = false;
    if (g_playState != PLAY_PAUSED) {
        StopAndCloseMedia();
        s_cued.waiting = false;
    }
    if (g_playState != PLAY_PLAYING)
        return;

    int current = GetSelectedIndex(window);
    if (message == MM_MCINOTIFY && flags == MCI_NOTIFY_FAILURE) {
        HandleFailedPlay(window, current);
        return;
    }
    if (message == MM_MCINOTIFY)
        ShowFinished(window, current);

    int count = GetEntryCount(window);
    bool random = g_playOptions.random != 0;
    // Random switched on while the list played in order: shuffle from here on.
    if (random && !s_shuffleBuilt)
        BuildShuffleOrder(window);
    int next = random ? NextShuffledEntry(count) : current + 1;
    UpdateStepCommands(window);
    if ((random && ShuffleOrderExhausted()) || next >= count) {
        SendMessageA(window, MSG_LIST_DONE, 0, 0);
        return;
    }

    SelectIndex(window, next);
    const PlaylistEntry* entry = GetEntry(window, next);
    if (entry == NULL)
        return;
    const char* name = EntryElement(entry);
    if (g_playOptions.cueMode != 0 && message == MM_MCINOTIFY) {
        // An entry that does not even open is not held: the posted advance skips it.
        if (!OpenMediaElement(name)) {
            ReportInvalid(window, name);
            return;
        }
        s_cued.waiting = true;
        s_cued.cdTrack = entry->kind == ENTRY_CD_TRACK;
        s_cued.startMs = s_cued.cdTrack ? entry->startMs : 0;
        s_cued.lengthMs = entry->lengthMs;
        CopyBounded(s_cued.name, sizeof s_cued.name, name);
        SendCommand(window, IDM_PAUSE);
        SetPauseLabel(window, "&Play next");
        return;
    }
    if (!PlayEntry(window, entry, name)) {
        ReportInvalid(window, name);
        return;
    }
    ++s_passStartedEntries;
}

void FinishPlaylist(HWND window)
{
    bool repeat = g_playOptions.repeat != 0;
    if (repeat && s_passStartedEntries > 0) {
        if (g_playOptions.random != 0)
            BuildShuffleOrder(window);
        SelectIndex(window, -1);
        s_passStartedEntries = 0;
        PostMessageA(window, MSG_ADVANCE, 0, 0);
        return;
    }
    SendCommand(window, IDM_STOP);
    SetStatusText(window, "Done with playlist.");
    // Auto exit is not offered while repeat is on, even when a pass that
    // played nothing ends the playback.
    if (!repeat && IsDlgButtonChecked(window, IDC_AUTO_EXIT) == BST_CHECKED)
        SendCommand(window, IDC_EXIT);
}

void UpdateStepCommands(HWND window)
{
    GrayCommand(window, IDM_PREVIOUS);
    GrayCommand(window, IDM_NEXT);
    if (g_playState == PLAY_STOPPED)
        return;
    int current = GetSelectedIndex(window);
    int count = GetEntryCount(window);
    if (current > 0)
        EnableCommand(window, IDM_PREVIOUS);
    if (current < count - 1)
        EnableCommand(window, IDM_NEXT);
}
