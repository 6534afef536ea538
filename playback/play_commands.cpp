// The play commands: Start, Stop, Pause and Resume, Next and Previous, play
// an entry now, and what the window and the tray show for each.
#include <windows.h>

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

static void SetPauseLabel(HWND window, const char* label)
{
    SetDlgItemTextA(window, IDM_PAUSE, label);
}

static void CheckTrayPause(bool checked)
{
    CheckMenuItem(g_trayMenu, IDM_PAUSE, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// The pause or play mark of the current entry follows the state.
static void RedrawCurrentEntry(HWND window)
{
    RedrawListItem(window, CurrentEntryIndex(window));
    UpdateMediaControls(window);
}

// Playing from a stop: the media keys, the commands, the timer, a new pass.
static void BeginPlaying(HWND window)
{
    HoldMediaKeys(window);
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
    GrayCommand(window, IDM_START);
    EnableCommand(window, IDM_STOP);
    EnableCommand(window, IDM_PAUSE);
    g_playState = PLAY_PLAYING;
    if (g_playOptions.random != 0)
        BuildShuffleOrder(window);
    BeginPass();
    g_progressTimerId = SetTimer(window, PROGRESS_TIMER_ID, PROGRESS_PERIOD_MS, OnProgressTick);
}

// Playing again after a pause.
static void ShowResumed(HWND window)
{
    g_playState = PLAY_PLAYING;
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
    GrayCommand(window, IDM_START);
    CheckTrayPause(false);
    SetPauseLabel(window, "&Pause");
    RedrawCurrentEntry(window);
}

void StartPlayback(HWND window)
{
    if (g_playState == PLAY_PAUSED) {
        NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
        SendCommand(window, IDM_PAUSE);
        return;
    }
    BeginPlaying(window);
    SetStatusText(window, "Starting playback...");
    DropCue();
    ForgetCurrent(window, -1);
    SelectIndex(window, -1);
    // The first Start after a start goes on where the kept queue was left.
    if (ResumeRestoredPlace(window))
        return;
    // The first entry opens after this command has returned.
    PostAdvance(window);
}

void StopPlayback(HWND window)
{
    // Sent while stopped (from another program, a stale menu): nothing to stop.
    if (g_playState == PLAY_STOPPED)
        return;
    KeepPlayingPlace(window);
    ReleaseMediaKeys(window);
    StopAndCloseMedia();
    DropCue();
    ForgetDoubtfulEnd();
    NotifyTrayIcon(NIM_MODIFY, window, g_idleIcon, NULL);
    GrayCommand(window, IDM_PAUSE);
    GrayCommand(window, IDM_STOP);
    EnableCommand(window, IDM_START);
    ForgetCurrent(window, -1);
    SelectIndex(window, -1);
    g_playState = PLAY_STOPPED;
    if (g_progressTimerId != 0)
        KillTimer(window, g_progressTimerId);
    SetStatusText(window, "Playback stopped.");
    ForgetShuffleOrder();
    UpdateStepCommands(window);
}

void TogglePause(HWND window)
{
    if (g_playState == PLAY_STOPPED)
        return;
    if (g_playState == PLAY_PAUSED) {
        bool cued = CueHeld();
        if (!cued)
            ResumeOpenMedia(window);
        ShowResumed(window);
        SetStatusText(window, "Playback resumed.");
        if (cued)
            StartCuedEntry(window);
        return;
    }
    KeepPlayingPlace(window);
    // A cued entry has not been started: there is nothing to stop.
    if (!CueHeld())
        PauseOpenMedia();
    g_playState = PLAY_PAUSED;
    NotifyTrayIcon(NIM_MODIFY, window, g_pausedIcon, NULL);
    SetStatusText(window, "Playback paused.");
    EnableCommand(window, IDM_START);
    CheckTrayPause(true);
    SetPauseLabel(window, "&Resume");
    RedrawCurrentEntry(window);
}

static bool Shuffling()
{
    return g_playOptions.random != 0 && ShuffleBuilt();
}

// In list order: the entry beside the current one, or beside the gap a
// removed current entry left.
static int OrderedStepTarget(HWND window, int delta)
{
    int base = AdvanceBaseIndex(window);
    if (CurrentEntry() == NULL && delta < 0)
        return base;
    return base + delta;
}

// The entry handed out beside the current one in the shuffle order; -1 when
// there is none that way.
static int ShuffledStepTarget(HWND window, int delta)
{
    const PlaylistEntry* current = CurrentEntry();
    const PlaylistEntry* beside = current != NULL ? ShuffledBeside(current, delta) : NULL;
    return beside != NULL ? FindEntryIndex(window, beside) : -1;
}

static bool CanStep(HWND window, int delta)
{
    if (Shuffling())
        return ShuffledStepTarget(window, delta) >= 0 || (delta > 0 && ShuffleOrderHasMore());
    int target = OrderedStepTarget(window, delta);
    return target >= 0 && target < GetEntryCount(window);
}

void PlayNextOrPrevious(HWND window, int delta)
{
    if (g_playState == PLAY_STOPPED)
        return;
    // Shuffle switched on while the list played in order: the order starts here.
    if (g_playOptions.random != 0 && !ShuffleBuilt()) {
        BuildShuffleOrder(window);
        HandOutOfTurn(CurrentEntry());
    }
    int target = Shuffling() ? ShuffledStepTarget(window, delta) : OrderedStepTarget(window, delta);
    if (Shuffling() && target < 0 && delta > 0)
        target = NextShuffledIndex(window);
    if (target < 0 || target >= GetEntryCount(window))
        return;
    PlayEntryNow(window, target);
}

static void ShowPlayingNow(HWND window, int index)
{
    char item[TEXT_CAPACITY];
    char status[STATUS_CAPACITY];
    GetEntryText(window, index, item);
    std::snprintf(status, sizeof status, "Playing %s", item);
    SetStatusText(window, status);
}

void PlayEntryNow(HWND window, int index)
{
    if (index < 0 || index >= GetEntryCount(window))
        return;
    if (g_playState == PLAY_STOPPED)
        BeginPlaying(window);
    else if (g_playState == PLAY_PAUSED)
        ShowResumed(window);
    StopAndCloseMedia();
    DropCue();
    ForgetDoubtfulEnd();
    if (g_playOptions.random != 0) {
        if (!ShuffleBuilt())
            BuildShuffleOrder(window);
        HandOutOfTurn(GetEntry(window, index));
    }
    ShowPlayingNow(window, index);
    StartEntry(window, index, false);
}

void FinishPlaylist(HWND window)
{
    bool repeat = g_playOptions.repeat != 0;
    if (repeat && PassStartedAny()) {
        if (g_playOptions.random != 0)
            BuildShuffleOrder(window);
        ForgetCurrent(window, -1);
        SelectIndex(window, -1);
        BeginPass();
        PostAdvance(window);
        return;
    }
    SendCommand(window, IDM_STOP);
    KeepNoPlace(window);
    SetStatusText(window, "Done with playlist.");
    // Auto exit is not offered while repeat is on, even when a pass that
    // played nothing ends the playback.
    if (!repeat && IsDlgButtonChecked(window, IDC_AUTO_EXIT) == BST_CHECKED)
        SendCommand(window, IDC_EXIT);
}

static bool s_nextOffered = false;

bool NextOffered()
{
    return s_nextOffered;
}

void UpdateStepCommands(HWND window)
{
    bool playing = g_playState != PLAY_STOPPED;
    bool previous = playing && CanStep(window, -1);
    s_nextOffered = playing && CanStep(window, +1);
    if (previous)
        EnableCommand(window, IDM_PREVIOUS);
    else
        GrayCommand(window, IDM_PREVIOUS);
    if (s_nextOffered)
        EnableCommand(window, IDM_NEXT);
    else
        GrayCommand(window, IDM_NEXT);
    UpdateMediaControls(window);
}
