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

// Whether this pass has started an entry: a repeat pass that starts none
// would otherwise loop for ever.
static bool s_passStartedEntry = false;
// Whether a shuffle order has been built since the last Stop.
static bool s_shuffleBuilt = false;

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
    SelectIndex(window, -1);
    g_playState = PLAY_PLAYING;
    if (g_playOptions.random != 0)
        BuildShuffleOrder(window);
    s_passStartedEntry = false;
    // The first entry opens after this command has returned.
    PostMessageA(window, MSG_ADVANCE, 0, 0);
    g_progressTimerId = SetTimer(window, PROGRESS_TIMER_ID, PROGRESS_PERIOD_MS, OnProgressTick);
}

void StopPlayback(HWND window)
{
    StopAndCloseMedia();
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

void TogglePause(HWND window)
{
    if (g_playState == PLAY_PAUSED) {
        g_playState = PLAY_PLAYING;
        SendMediaCommand("play VireoMedia notify", NULL, 0, window);
        NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
        SetStatusText(window, "Playback resumed.");
        GrayCommand(window, IDM_START);
        CheckTrayPause(false);
        SetPauseLabel(window, "&Pause");
    } else {
        SendMediaCommand("stop VireoMedia wait", NULL, 0, NULL);
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
    char command[COMMAND_CAPACITY];
    ComposePlayCommand(command, sizeof command, cdTrack, cdTrack ? entry->startMs : 0, entry->lengthMs);
    return SendMediaCommand(command, NULL, 0, window) == 0;
}

void AdvancePlayback(HWND window, UINT message, WPARAM flags)
{
    if (IsHaltedPlayNotice(message, flags))
        return;
    if (g_playState != PLAY_PAUSED)
        StopAndCloseMedia();
    if (g_playState != PLAY_PLAYING)
        return;

    int current = GetSelectedIndex(window);
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
    const char* name = entry->kind == ENTRY_CD_TRACK ? CD_DEVICE_NAME : entry->path;
    if (!PlayEntry(window, entry, name)) {
        char status[STATUS_CAPACITY];
        std::snprintf(status, sizeof status, "%s is not a valid media file.", name);
        SetStatusText(window, status);
        PostMessageA(window, MSG_ADVANCE, 0, 0);
        // Nothing plays, so cue mode has nothing to hold: the posted advance skips on.
        return;
    }
    s_passStartedEntry = true;
    if (g_playOptions.cueMode != 0 && message == MM_MCINOTIFY) {
        SendCommand(window, IDM_PAUSE);
        SetPauseLabel(window, "&Play next");
    }
}

void FinishPlaylist(HWND window)
{
    if (g_playOptions.repeat != 0 && s_passStartedEntry) {
        if (g_playOptions.random != 0)
            BuildShuffleOrder(window);
        SelectIndex(window, -1);
        s_passStartedEntry = false;
        PostMessageA(window, MSG_ADVANCE, 0, 0);
        return;
    }
    SendCommand(window, IDM_STOP);
    SetStatusText(window, "Done with playlist.");
    if (IsDlgButtonChecked(window, IDC_AUTO_EXIT) == BST_CHECKED)
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
