// One media session per entry. A thread of its own waits for the session's
// events and turns its end or failure into the media control interface's
// notice, so that the sequencer tells no difference between the two ways.
#include "foundation.h"

#include <mmsystem.h>

#include <climits>
#include <cstdlib>

#include "foundation_calls.h"
#include "playback.h"

static const LONGLONG TICKS_PER_MS = 10000;
// The platform's own example waits 5 s for a close; an open that takes
// longer than that is taken as failed.
static const DWORD OPEN_WAIT_MS = 5000;
static const DWORD CLOSE_WAIT_MS = 5000;
static const DWORD WATCHER_END_WAIT_MS = 2000;
static const int FULL_VOLUME_PERCENT = 100;

// What the session's thread tells the window's thread. A watch whose thread
// does not end is left to it rather than freed under it.
struct SessionWatch {
    IMFMediaSession* session;  // the thread's own reference
    HANDLE ready;              // released when the topology is ready, or cannot be
    HANDLE closed;             // released at MESessionClosed
    HANDLE thread;
    CRITICAL_SECTION guard;    // over the fields below
    HWND notifyWindow;         // set while started and not paused
    bool failed;               // the open or the play failed
    bool finished;             // ended or failed since it opened
    WPARAM finishFlags;        // MCI_NOTIFY_SUCCESSFUL or MCI_NOTIFY_FAILURE
};

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

static void PostFinish(SessionWatch* watch)
{
    PostMessageA(watch->notifyWindow, MM_MCINOTIFY, watch->finishFlags, 0);
}

static void TakeSessionEvent(SessionWatch* watch, MediaEventType type, HRESULT status, UINT32 topologyStatus)
{
    if (type == MESessionClosed) {
        ReleaseSemaphore(watch->closed, 1, NULL);
        return;
    }
    bool failure = FAILED(status) || type == MEError;
    if (!failure && type == MESessionTopologyStatus && topologyStatus == MF_TOPOSTATUS_READY) {
        ReleaseSemaphore(watch->ready, 1, NULL);
        return;
    }
    if (!failure && type != MESessionEnded)
        return;
    EnterCriticalSection(&watch->guard);
    if (failure)
        watch->failed = true;
    if (!watch->finished) {
        watch->finished = true;
        watch->finishFlags = failure ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL;
        if (watch->notifyWindow != NULL)
            PostFinish(watch);
    }
    LeaveCriticalSection(&watch->guard);
    // An open waiting for its topology waits no longer.
    ReleaseSemaphore(watch->ready, 1, NULL);
}

static DWORD WINAPI WatchSession(LPVOID parameter)
{
    SessionWatch* watch = static_cast<SessionWatch*>(parameter);
    HRESULT com = g_foundation.coInitializeEx(NULL, COINIT_MULTITHREADED);
    for (;;) {
        // Blocks until the next event; fails once the session is shut down.
        IMFMediaEvent* event = NULL;
        if (FAILED(watch->session->GetEvent(0, &event)))
            break;
        MediaEventType type = MEUnknown;
        HRESULT status = S_OK;
        UINT32 topologyStatus = 0;
        event->GetType(&type);
        event->GetStatus(&status);
        if (type == MESessionTopologyStatus)
            event->GetUINT32(MF_EVENT_TOPOLOGY_STATUS, &topologyStatus);
        event->Release();
        TakeSessionEvent(watch, type, status, topologyStatus);
    }
    watch->session->Release();
    if (SUCCEEDED(com))
        g_foundation.coUninitialize();
    return 0;
}

static void FreeWatch(SessionWatch* watch)
{
    if (watch->ready != NULL)
        CloseHandle(watch->ready);
    if (watch->closed != NULL)
        CloseHandle(watch->closed);
    DeleteCriticalSection(&watch->guard);
    std::free(watch);
}

static SessionWatch* StartWatch(IMFMediaSession* session)
{
    SessionWatch* watch = static_cast<SessionWatch*>(std::calloc(1, sizeof(SessionWatch)));
    if (watch == NULL)
        return NULL;
    InitializeCriticalSection(&watch->guard);
    watch->session = session;
    watch->ready = CreateSemaphoreA(NULL, 0, 1, NULL);
    watch->closed = CreateSemaphoreA(NULL, 0, 1, NULL);
    if (watch->ready == NULL || watch->closed == NULL) {
        FreeWatch(watch);
        return NULL;
    }
    session->AddRef();
    // Windows 95 wants somewhere to write the thread's id.
    DWORD threadId = 0;
    watch->thread = CreateThread(NULL, 0, WatchSession, watch, 0, &threadId);
    if (watch->thread == NULL) {
        session->Release();
        FreeWatch(watch);
        return NULL;
    }
    return watch;
}

// Called once the session is shut down, which ends the thread's wait.
static void EndWatch(SessionWatch* watch)
{
    bool ended = WaitForSingleObject(watch->thread, WATCHER_END_WAIT_MS) == WAIT_OBJECT_0;
    CloseHandle(watch->thread);
    if (ended)
        FreeWatch(watch);
}

static bool AwaitTopology(SessionWatch* watch)
{
    if (WaitForSingleObject(watch->ready, OPEN_WAIT_MS) != WAIT_OBJECT_0)
        return false;
    EnterCriticalSection(&watch->guard);
    bool failed = watch->failed;
    LeaveCriticalSection(&watch->guard);
    return !failed;
}

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
    IMFTopology* topology = NULL;
    if (!StartFoundation() || !OpenFoundationSource(path, &s_entry.source, &topology, &s_entry.lengthMs))
        return false;
    bool ready = SUCCEEDED(g_foundation.createMediaSession(NULL, &s_entry.session)) &&
                 (s_entry.watch = StartWatch(s_entry.session)) != NULL &&
                 SUCCEEDED(s_entry.session->SetTopology(0, topology)) && AwaitTopology(s_entry.watch);
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

// Starts or goes on from where the entry stands. One that finished while
// nobody listened (held by cue mode, or paused) says so now.
static bool StartSession(HWND notifyWindow)
{
    SessionWatch* watch = s_entry.watch;
    EnterCriticalSection(&watch->guard);
    watch->notifyWindow = notifyWindow;
    bool finished = watch->finished;
    if (finished)
        PostFinish(watch);
    LeaveCriticalSection(&watch->guard);
    if (finished)
        return true;
    PROPVARIANT fromHere;
    PropVariantInit(&fromHere);
    return SUCCEEDED(s_entry.session->Start(&GUID_NULL, &fromHere));
}

bool PlayFoundationMedia(HWND notifyWindow)
{
    return s_entry.session != NULL && StartSession(notifyWindow);
}

void ResumeFoundationMedia(HWND notifyWindow)
{
    if (s_entry.session != NULL && !StartSession(notifyWindow))
        PostMessageA(notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
}

void PauseFoundationMedia()
{
    if (s_entry.session == NULL)
        return;
    EnterCriticalSection(&s_entry.watch->guard);
    s_entry.watch->notifyWindow = NULL;
    LeaveCriticalSection(&s_entry.watch->guard);
    s_entry.session->Pause();
}

bool FoundationIsPlaying()
{
    if (s_entry.session == NULL)
        return false;
    EnterCriticalSection(&s_entry.watch->guard);
    bool playing = s_entry.watch->notifyWindow != NULL && !s_entry.watch->finished;
    LeaveCriticalSection(&s_entry.watch->guard);
    return playing;
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
    SessionWatch* watch = s_entry.watch;
    if (watch != NULL) {
        EnterCriticalSection(&watch->guard);
        watch->notifyWindow = NULL;
        LeaveCriticalSection(&watch->guard);
        // The closed event is the session's last; then it can be shut down.
        if (SUCCEEDED(s_entry.session->Close()))
            WaitForSingleObject(watch->closed, CLOSE_WAIT_MS);
    }
    if (s_entry.source != NULL)
        s_entry.source->Shutdown();
    if (s_entry.session != NULL)
        s_entry.session->Shutdown();
    if (watch != NULL)
        EndWatch(watch);
    ReleaseEntry();
}
