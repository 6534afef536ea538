// One media session per entry. A thread of its own waits for the session's
// events (foundation_watch.cpp) and turns its end or failure into the media
// control interface's notice, so that the sequencer tells no difference
// between the two ways.
#include "foundation.h"

#include <mmsystem.h>

#include <climits>

#include "foundation_calls.h"
#include "playback.h"

static const LONGLONG TICKS_PER_MS = 10000;
static const int FULL_VOLUME_PERCENT = 100;

struct FoundationEntry {
    IMFMediaSession* session;
    IMFMediaSource* source;
    IMFPresentationClock* clock;
    IMFAudioStreamVolume* volume;
    SessionWatch* watch;
    int32_t lengthMs;
};
static FoundationEntry s_entry = {NULL, NULL, NULL, NULL, NULL, 0};
static int s_volumePercent = FULL_VOLUME_PERCENT;

// This entry's own stream only: the session's master volume would also
// turn down whatever else the program plays.
static void ApplyVolume()
{
    UINT32 channels = 0;
    if (s_entry.volume == NULL || FAILED(s_entry.volume->GetChannelCount(&channels)))
        return;
    float level = static_cast<float>(s_volumePercent) / FULL_VOLUME_PERCENT;
    for (UINT32 channel = 0; channel < channels; ++channel)
        s_entry.volume->SetChannelVolume(channel, level);
}

void SetFoundationVolume(int percent)
{
    s_volumePercent = percent < 0 ? 0 : (percent > FULL_VOLUME_PERCENT ? FULL_VOLUME_PERCENT : percent);
    ApplyVolume();
}

// The clock and the volume, which exist once the topology is ready.
static void TakeSessionServices()
{
    IMFClock* clock = NULL;
    if (SUCCEEDED(s_entry.session->GetClock(&clock))) {
        clock->QueryInterface(IID_IMFPresentationClock, reinterpret_cast<void**>(&s_entry.clock));
        clock->Release();
    }
    g_foundation.getService(s_entry.session, MR_STREAM_VOLUME_SERVICE, IID_IMFAudioStreamVolume,
                            reinterpret_cast<void**>(&s_entry.volume));
    ApplyVolume();
}

bool OpenFoundationMedia(const char* path)
{
    CloseFoundationMedia();
    PendingOpen* resolution = StartFoundation() ? BeginResolve(path) : NULL;
    if (resolution == NULL)
        return false;
    // The session and its thread are made while the source resolves.
    bool made = SUCCEEDED(g_foundation.createMediaSession(NULL, &s_entry.session)) &&
                (s_entry.watch = StartWatch(s_entry.session)) != NULL;
    s_entry.source = EndResolve(resolution);
    IMFTopology* topology = NULL;
    bool ready = made && s_entry.source != NULL &&
                 OpenFoundationTopology(s_entry.source, &topology, &s_entry.lengthMs) &&
                 SUCCEEDED(s_entry.session->SetTopology(0, topology)) && AwaitTopology(s_entry.watch);
    if (topology != NULL)
        topology->Release();
    if (!ready) {
        CloseFoundationMedia();
        return false;
    }
    TakeSessionServices();
    return true;
}

bool FoundationHoldsMedia()
{
    return s_entry.source != NULL;
}

// Starts or goes on from where the entry stands, or from offsetMs into it
// (a position in the session's 100 ns units). One that finished while
// nobody listened (held by cue mode, or paused) says so now.
static bool StartSession(HWND notifyWindow, int32_t offsetMs)
{
    if (ListenToWatch(s_entry.watch, notifyWindow))
        return true;
    PROPVARIANT from;
    PropVariantInit(&from);
    if (offsetMs > 0) {
        from.vt = VT_I8;
        from.hVal.QuadPart = offsetMs * TICKS_PER_MS;
    }
    return SUCCEEDED(s_entry.session->Start(&GUID_NULL, &from));
}

bool PlayFoundationMediaFrom(HWND notifyWindow, int32_t offsetMs)
{
    return s_entry.session != NULL && StartSession(notifyWindow, offsetMs);
}

void ResumeFoundationMedia(HWND notifyWindow)
{
    if (s_entry.session != NULL && !StartSession(notifyWindow, 0))
        PostMessageA(notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
}

void PauseFoundationMedia()
{
    if (s_entry.session == NULL)
        return;
    ListenToWatch(s_entry.watch, NULL);
    s_entry.session->Pause();
}

bool FoundationIsPlaying()
{
    return s_entry.session != NULL && WatchSaysPlaying(s_entry.watch);
}

int32_t FoundationPositionMs()
{
    MFTIME time = 0;
    if (s_entry.clock == NULL || FAILED(s_entry.clock->GetTime(&time)) || time < 0)
        return 0;
    LONGLONG ms = time / TICKS_PER_MS;
    return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

int32_t FoundationLengthMs()
{
    return s_entry.lengthMs;
}

static void ReleaseEntry()
{
    if (s_entry.volume != NULL)
        s_entry.volume->Release();
    if (s_entry.clock != NULL)
        s_entry.clock->Release();
    if (s_entry.source != NULL)
        s_entry.source->Release();
    if (s_entry.session != NULL)
        s_entry.session->Release();
    s_entry = FoundationEntry{NULL, NULL, NULL, NULL, NULL, 0};
}

void CloseFoundationMedia()
{
    if (s_entry.watch != NULL) {
        RetireWatch(s_entry.watch, s_entry.source);
    } else {
        // Nothing was started on a session without its thread.
        if (s_entry.session != NULL)
            s_entry.session->Shutdown();
        if (s_entry.source != NULL)
            s_entry.source->Shutdown();
    }
    ReleaseEntry();
}
