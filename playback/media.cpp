// Every media command goes through mciSendStringA under the alias VireoMedia.
// A file entry it cannot open goes to Media Foundation, and every call on
// the open entry to whichever way opened it.
#include <windows.h>
#include <mmsystem.h>

#include "foundation.h"
#include "playback.h"

// Whether the device open under the alias is the CD: a CD track added during
// its playback is read from it instead of opening the drive a second time.
static bool s_cdOpen = false;

int SendMediaCommand(const char* command, char* reply, UINT replyCapacity, HWND notifyWindow)
{
    if (reply != NULL && replyCapacity > 0)
        reply[0] = '\0';
    MCIERROR result = mciSendStringA(command, reply, replyCapacity, notifyWindow);
    if (reply != NULL && replyCapacity > 0) {
        if (result != 0)
            reply[0] = '\0';
        reply[replyCapacity - 1] = '\0';
    }
    return static_cast<int>(result);
}

// A driver answers a play from a thread of its own, which may still be
// leaving the driver's code when the close that follows the end notice
// unloads the driver (a crash under Wine): once used, a driver stays loaded.
// A load of our own that is never freed keeps it there on every system (the
// pinning flag of GetModuleHandleExA needs XP).
static void PinMediaDrivers()
{
    static const char* const DRIVERS[] = {"mciwave.dll", "mciseq.dll", "mciavi32.dll", "mcicda.dll", "mciqtz32.dll"};
    static const size_t DRIVER_COUNT = sizeof DRIVERS / sizeof DRIVERS[0];
    static bool s_pinned[DRIVER_COUNT];
    for (size_t i = 0; i < DRIVER_COUNT; ++i) {
        if (s_pinned[i] || GetModuleHandleA(DRIVERS[i]) == NULL)
            continue;
        s_pinned[i] = LoadLibraryA(DRIVERS[i]) != NULL;
    }
}

// Notices still queued belong to the device just closed. Left there, an end
// notice would be taken for the end of the entry opened next.
static void DropQueuedNotices()
{
    MSG notice;
    while (PeekMessageA(&notice, NULL, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
    }
}

// Wine's wave device takes most of a second to stop a wave that plays, and
// a hundredth of that to stop one paused first; a device that does not play
// refuses the pause, which costs nothing.
static void HoldStill()
{
    SendMediaCommand("pause VireoMedia wait", NULL, 0, NULL);
}

void StopAndCloseMedia()
{
    HoldStill();
    SendMediaCommand("stop VireoMedia", NULL, 0, NULL);
    SendMediaCommand("close VireoMedia", NULL, 0, NULL);
    CloseFoundationMedia();
    s_cdOpen = false;
    DropQueuedNotices();
}

bool MediaIsPlaying()
{
    if (FoundationHoldsMedia())
        return FoundationIsPlaying();
    char mode[MODE_REPLY_CAPACITY];
    SendMediaCommand("status VireoMedia mode wait", mode, MODE_REPLY_CAPACITY, NULL);
    return lstrcmpiA(mode, "playing") == 0;
}

bool OpenMediaElement(const char* element)
{
    char command[COMMAND_CAPACITY];
    ComposeOpenCommand(command, sizeof command, element);
    int result = SendMediaCommand(command, NULL, 0, NULL);
    bool cd = lstrcmpiA(element, CD_DEVICE_NAME) == 0;
    s_cdOpen = (result == 0 && cd);
    if (result == 0)
        PinMediaDrivers();
    SendMediaCommand("set VireoMedia time format ms wait", NULL, 0, NULL);
    if (result == 0) {
        ApplyMediaVolume();
        return true;
    }
    // A missing file is missing for Media Foundation too: not worth loading it.
    if (cd || result == MCIERR_FILE_NOT_FOUND || !OpenFoundationMedia(element))
        return false;
    ApplyMediaVolume();
    return true;
}

bool MediaHoldsCd()
{
    return s_cdOpen;
}

bool PlayOpenMedia(HWND notifyWindow, bool cdTrack, int32_t startMs, int32_t lengthMs)
{
    return PlayOpenMediaFrom(notifyWindow, cdTrack, startMs, lengthMs, 0);
}

bool PlayOpenMediaFrom(HWND notifyWindow, bool cdTrack, int32_t startMs, int32_t lengthMs, int32_t offsetMs)
{
    if (FoundationHoldsMedia())
        return PlayFoundationMediaFrom(notifyWindow, offsetMs);
    char command[COMMAND_CAPACITY];
    ComposePlayFromCommand(command, sizeof command, cdTrack, startMs, lengthMs, offsetMs);
    return SendMediaCommand(command, NULL, 0, notifyWindow) == 0;
}

void PauseOpenMedia()
{
    if (FoundationHoldsMedia()) {
        PauseFoundationMedia();
        return;
    }
    // A stopped device keeps its position.
    HoldStill();
    SendMediaCommand("stop VireoMedia wait", NULL, 0, NULL);
}

void ResumeOpenMedia(HWND notifyWindow)
{
    if (FoundationHoldsMedia()) {
        ResumeFoundationMedia(notifyWindow);
        return;
    }
    SendMediaCommand("play VireoMedia notify", NULL, 0, notifyWindow);
}

static int32_t QueryMediaMs(const char* command)
{
    char reply[PROGRESS_REPLY_CAPACITY];
    SendMediaCommand(command, reply, PROGRESS_REPLY_CAPACITY, NULL);
    return ParseReplyInteger(reply);
}

int32_t OpenMediaPositionMs()
{
    if (FoundationHoldsMedia())
        return FoundationPositionMs();
    return QueryMediaMs("status VireoMedia position wait");
}

int32_t OpenMediaLengthMs()
{
    if (FoundationHoldsMedia())
        return FoundationLengthMs();
    return QueryMediaMs("status VireoMedia length wait");
}
