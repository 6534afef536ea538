// The thread that waits for a media session's events, one per session. It
// turns the session's end or failure into the media control interface's
// notice to the window that listens, wakes an open waiting for its
// topology, and shuts the session down once it has closed: the window's
// thread goes on to the next entry meanwhile.
#include "foundation_calls.h"

#include <mmsystem.h>

#include <cstdlib>

static const DWORD OPEN_WAIT_MS = 5000;
// The platform's own example waits 5 s for a close.
static const DWORD CLOSE_WAIT_MS = 5000;
static const DWORD WATCHER_END_WAIT_MS = 2000;
// Sessions closing on their own threads; one that never closes holds a place.
static const int RETIRED_CAPACITY = 16;

// What the session's thread and the window's thread share. Only the
// window's thread frees it, once the session's thread has ended; one whose
// thread does not end is left to it.
struct SessionWatch {
    IMFMediaSession* session;  // the watch's own references
    IMFMediaSource* source;    // (the source's once retired)
    HANDLE ready;              // released when the topology is ready, or cannot be
    HANDLE thread;
    DWORD retiredAt;
    CRITICAL_SECTION guard;    // over the fields below
    HWND notifyWindow;         // set while started and not paused
    bool failed;               // the open or the play failed
    bool finished;             // ended or failed since it opened
    WPARAM finishFlags;        // MCI_NOTIFY_SUCCESSFUL or MCI_NOTIFY_FAILURE
    bool retired;              // closing: shut down at MESessionClosed
    bool shutDown;
};

static SessionWatch* s_retired[RETIRED_CAPACITY];
static int s_retiredCount = 0;

static void PostFinish(SessionWatch* watch)
{
    PostMessageA(watch->notifyWindow, MM_MCINOTIFY, watch->finishFlags, 0);
}

// The session, then its source, as the platform's example does; once, by
// whichever thread comes first. Under the guard.
static void ShutDownRetired(SessionWatch* watch)
{
    if (!watch->retired || watch->shutDown)
        return;
    watch->shutDown = true;
    watch->session->Shutdown();
    if (watch->source != NULL)
        watch->source->Shutdown();
}

static void TakeSessionEvent(SessionWatch* watch, MediaEventType type, HRESULT status, UINT32 topologyStatus)
{
    // The session's last event: the shut-down ends this thread's wait.
    if (type == MESessionClosed) {
        EnterCriticalSection(&watch->guard);
        ShutDownRetired(watch);
        LeaveCriticalSection(&watch->guard);
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
    if (SUCCEEDED(com))
        g_foundation.coUninitialize();
    return 0;
}

static void FreeWatch(SessionWatch* watch)
{
    if (watch->ready != NULL)
        CloseHandle(watch->ready);
    DeleteCriticalSection(&watch->guard);
    std::free(watch);
}

SessionWatch* StartWatch(IMFMediaSession* session)
{
    SessionWatch* watch = static_cast<SessionWatch*>(std::calloc(1, sizeof(SessionWatch)));
    if (watch == NULL)
        return NULL;
    InitializeCriticalSection(&watch->guard);
    watch->session = session;
    watch->ready = CreateSemaphoreA(NULL, 0, 1, NULL);
    if (watch->ready == NULL) {
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


bool AwaitTopology(SessionWatch* watch)
{
    if (WaitForSingleObject(watch->ready, OPEN_WAIT_MS) != WAIT_OBJECT_0)
        return false;
    EnterCriticalSection(&watch->guard);
    bool failed = watch->failed;
    LeaveCriticalSection(&watch->guard);
    return !failed;
}

bool ListenToWatch(SessionWatch* watch, HWND notifyWindow)
{
    EnterCriticalSection(&watch->guard);
    watch->notifyWindow = notifyWindow;
    bool finished = watch->finished;
    if (finished && notifyWindow != NULL)
        PostFinish(watch);
    LeaveCriticalSection(&watch->guard);
    return finished;
}

bool WatchSaysPlaying(SessionWatch* watch)
{
    EnterCriticalSection(&watch->guard);
    bool playing = watch->notifyWindow != NULL && !watch->finished;
    LeaveCriticalSection(&watch->guard);
    return playing;
}

// Frees a retired watch whose thread has ended within the wait; false when
// it still runs.
static bool ReleaseRetired(SessionWatch* watch, DWORD waitMs)
{
    if (WaitForSingleObject(watch->thread, waitMs) != WAIT_OBJECT_0)
        return false;
    CloseHandle(watch->thread);
    watch->session->Release();
    if (watch->source != NULL)
        watch->source->Release();
    FreeWatch(watch);
    return true;
}

// One that has not closed in the platform's time is shut down all the same.
static void ForceLateShutDown(SessionWatch* watch, bool now)
{
    if (!now && GetTickCount() - watch->retiredAt < CLOSE_WAIT_MS)
        return;
    EnterCriticalSection(&watch->guard);
    ShutDownRetired(watch);
    LeaveCriticalSection(&watch->guard);
}

// Frees what has finished closing. With a wait, for the program's end:
// each is given the close's time, then shut down; false when one of them
// still runs after that.
static bool SweepRetired(bool wait)
{
    bool all = true;
    int kept = 0;
    for (int i = 0; i < s_retiredCount; ++i) {
        SessionWatch* watch = s_retired[i];
        bool released = ReleaseRetired(watch, wait ? CLOSE_WAIT_MS : 0);
        if (!released) {
            ForceLateShutDown(watch, wait);
            released = ReleaseRetired(watch, wait ? WATCHER_END_WAIT_MS : 0);
        }
        if (!released)
            s_retired[kept++] = watch;
        all = all && released;
    }
    s_retiredCount = kept;
    return all;
}

void RetireWatch(SessionWatch* watch, IMFMediaSource* source)
{
    SweepRetired(false);
    // A full list: the first is waited for, or left to its thread.
    if (s_retiredCount == RETIRED_CAPACITY) {
        ForceLateShutDown(s_retired[0], true);
        ReleaseRetired(s_retired[0], WATCHER_END_WAIT_MS);
        s_retired[0] = s_retired[--s_retiredCount];
    }
    if (source != NULL)
        source->AddRef();
    watch->retiredAt = GetTickCount();
    EnterCriticalSection(&watch->guard);
    watch->notifyWindow = NULL;
    watch->source = source;
    watch->retired = true;
    LeaveCriticalSection(&watch->guard);
    s_retired[s_retiredCount++] = watch;
    // Closes on the session's own queue; its thread takes it from there.
    if (FAILED(watch->session->Close()))
        ForceLateShutDown(watch, true);
}

bool FinishRetiredWatches()
{
    return SweepRetired(true);
}
