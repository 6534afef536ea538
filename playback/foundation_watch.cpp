// The thread that waits for a media session's events, one per session. It
// turns the session's end or failure into the media control interface's
// notice to the window that listens, and wakes an open waiting for its
// topology and a close waiting for the session's last event.
#include "foundation_calls.h"

#include <mmsystem.h>

#include <cstdlib>

static const DWORD OPEN_WAIT_MS = 5000;
// The platform's own example waits 5 s for a close.
static const DWORD CLOSE_WAIT_MS = 5000;
static const DWORD WATCHER_END_WAIT_MS = 2000;

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

SessionWatch* StartWatch(IMFMediaSession* session)
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
void EndWatch(SessionWatch* watch)
{
    bool ended = WaitForSingleObject(watch->thread, WATCHER_END_WAIT_MS) == WAIT_OBJECT_0;
    CloseHandle(watch->thread);
    if (ended)
        FreeWatch(watch);
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

void AwaitClosed(SessionWatch* watch)
{
    WaitForSingleObject(watch->closed, CLOSE_WAIT_MS);
}
