// The advance: from the entry that ended, failed or was left to the next one,
// in list order or in the shuffle order, held unstarted in cue mode.
// Which messages are sent and which are posted decides the order of work.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

#include "playback.h"
#include "../app/app.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

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

void BeginPass()
{
    s_passStartedEntries = 0;
}

bool PassStartedAny()
{
    return s_passStartedEntries > 0;
}

bool ShuffleBuilt()
{
    return s_shuffleBuilt;
}

void ForgetShuffleOrder()
{
    ClearShuffleOrder();
    s_shuffleBuilt = false;
}

void ForgetDoubtfulEnd()
{
    s_endInDoubt = false;
}

bool CueHeld()
{
    return s_cued.waiting;
}

void DropCue()
{
    s_cued.waiting = false;
}

void BuildShuffleOrder(HWND window)
{
    int count = GetEntryCount(window);
    if (count == LB_ERR)
        return;
    const PlaylistEntry** listed = static_cast<const PlaylistEntry**>(std::malloc(sizeof(*listed) * (count + 1)));
    if (listed == NULL)
        count = 0;
    for (int i = 0; i < count; ++i)
        listed[i] = GetEntry(window, i);
    BuildShuffleOrderOf(listed, count);
    std::free(listed);
    s_shuffleBuilt = true;
}

static void ReportInvalid(HWND window, const char* name)
{
    char status[STATUS_CAPACITY];
    std::snprintf(status, sizeof status, "%s is not a valid media file.", name);
    SetStatusText(window, status);
    // The entry stays current, so the posted advance moves on from it.
    PostAdvance(window);
}

void StartCuedEntry(HWND window)
{
    s_cued.waiting = false;
    if (!PlayOpenMedia(window, s_cued.cdTrack, s_cued.startMs, s_cued.lengthMs))
        ReportInvalid(window, s_cued.name);
    else
        ++s_passStartedEntries;
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

// A skip posted for an entry that is no longer current: another entry has
// been chosen since, and the skip would leave it.
static bool IsOutdatedAdvance(UINT message, WPARAM generation)
{
    return message == MSG_ADVANCE && generation != 0 && generation != CurrentGeneration();
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
static void HandleFailedPlay(HWND window)
{
    if (s_passStartedEntries > 0)
        --s_passStartedEntries;
    const PlaylistEntry* entry = CurrentEntry();
    ReportInvalid(window, entry != NULL ? EntryElement(entry) : "");
}

static void ShowFinished(HWND window, int current)
{
    // Removed since: there is no name to show.
    if (current < 0)
        return;
    char item[TEXT_CAPACITY];
    char status[STATUS_CAPACITY];
    GetEntryText(window, current, item);
    std::snprintf(status, sizeof status, "Finished playing %s", item);
    SetStatusText(window, status);
}

int NextShuffledIndex(HWND window)
{
    while (const PlaylistEntry* entry = NextShuffledEntry()) {
        int index = FindEntryIndex(window, entry);
        if (index >= 0)
            return index;
    }
    return -1;
}

// Opens the entry and holds it for the user to let go.
static void HoldCued(HWND window, const PlaylistEntry* entry, const char* name)
{
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
    SetDlgItemTextA(window, IDM_PAUSE, "&Play next");
}

// Opens the current entry and plays it from offsetMs in; from its start
// where that lies past its end (the file may have changed since the place
// was kept).
static void OpenAndPlay(HWND window, const PlaylistEntry* entry, int32_t offsetMs)
{
    const char* name = EntryElement(entry);
    bool cdTrack = entry->kind == ENTRY_CD_TRACK;
    OpenMediaElement(name);
    if (offsetMs < 0 || (offsetMs > 0 && offsetMs >= (cdTrack ? entry->lengthMs : OpenMediaLengthMs())))
        offsetMs = 0;
    if (!PlayOpenMediaFrom(window, cdTrack, cdTrack ? entry->startMs : 0, entry->lengthMs, offsetMs)) {
        ReportInvalid(window, name);
        return;
    }
    ++s_passStartedEntries;
}

void StartEntry(HWND window, int index, bool cue)
{
    const PlaylistEntry* entry = GetEntry(window, index);
    if (entry == NULL)
        return;
    MakeCurrent(window, index);
    if (cue)
        HoldCued(window, entry, EntryElement(entry));
    else
        OpenAndPlay(window, entry, 0);
}

void StartEntryFrom(HWND window, int index, int32_t offsetMs)
{
    const PlaylistEntry* entry = GetEntry(window, index);
    if (entry == NULL)
        return;
    MakeCurrent(window, index);
    OpenAndPlay(window, entry, offsetMs);
}

void AdvancePlayback(HWND window, UINT message, WPARAM flags)
{
    if (IsHaltedPlayNotice(message, flags) || IsEarlierPlayNotice(message, flags) ||
        IsOutdatedAdvance(message, flags))
        return;
    s_endInDoubt = false;
    if (g_playState != PLAY_PAUSED) {
        StopAndCloseMedia();
        s_cued.waiting = false;
    }
    if (g_playState != PLAY_PLAYING)
        return;

    if (message == MM_MCINOTIFY && flags == MCI_NOTIFY_FAILURE) {
        HandleFailedPlay(window);
        return;
    }
    if (message == MM_MCINOTIFY)
        ShowFinished(window, CurrentEntryIndex(window));

    bool random = g_playOptions.random != 0;
    // Random switched on while the list played in order: shuffle from here on.
    if (random && !s_shuffleBuilt) {
        BuildShuffleOrder(window);
        HandOutOfTurn(CurrentEntry());
    }
    int next = random ? NextShuffledIndex(window) : AdvanceBaseIndex(window) + 1;
    if (next < 0 || next >= GetEntryCount(window)) {
        SendMessageA(window, MSG_LIST_DONE, 0, 0);
        return;
    }
    StartEntry(window, next, g_playOptions.cueMode != 0 && message == MM_MCINOTIFY);
}
