// The kept queue's writing thread. Neither the window nor a change of entry
// waits for the disk: a flush may take long, the more so where the
// application-data folder lies on a server.
#include <windows.h>

#include <cstdlib>

#include "playlist.h"
#include "resource.h"

// What waits for the writing thread, under s_lock.
static CRITICAL_SECTION s_lock;
static HANDLE s_wake = NULL;
static HANDLE s_idle = NULL;        // set while nothing waits or is written
static bool s_writerStarted = false;
static char* s_waitingText = NULL;
static size_t s_waitingSize = 0;
static bool s_placeWaiting = false;
static KeptPlaceRecord s_waitingPlace;
static HWND s_reportWindow = NULL;
static bool s_failing = false;
static bool s_lastQueueKept = true;

// A write that fails after one that worked is news, once.
void NoteOutcome(bool kept, bool queue)
{
    EnterCriticalSection(&s_lock);
    bool news = !kept && !s_failing;
    s_failing = !kept;
    if (queue)
        s_lastQueueKept = kept;
    HWND window = s_reportWindow;
    LeaveCriticalSection(&s_lock);
    if (news && window != NULL)
        PostMessageA(window, MSG_QUEUE_NOT_KEPT, 0, 0);
}

// Writes whatever waits until nothing does.
static void WriteWaiting()
{
    for (;;) {
        EnterCriticalSection(&s_lock);
        char* text = s_waitingText;
        size_t size = s_waitingSize;
        bool placeWaiting = s_placeWaiting;
        KeptPlaceRecord place = s_waitingPlace;
        s_waitingText = NULL;
        s_placeWaiting = false;
        if (text == NULL && !placeWaiting)
            SetEvent(s_idle);
        LeaveCriticalSection(&s_lock);
        if (text == NULL && !placeWaiting)
            return;
        // The queue first: the place may belong to it.
        if (text != NULL) {
            bool kept = KeepQueueText(&g_keptQueue.files, text, size);
            std::free(text);
            NoteOutcome(kept, true);
        }
        if (placeWaiting)
            NoteOutcome(WriteKeptPlace(&g_keptQueue.files, place), false);
    }
}

static DWORD WINAPI RunQueueWriter(LPVOID)
{
    for (;;) {
        WaitForSingleObject(s_wake, INFINITE);
        WriteWaiting();
    }
}

// Without its thread (no memory for one) the writes are made on the
// caller's, as they come.
void StartQueueWriter(HWND window)
{
    if (s_writerStarted) {
        EnterCriticalSection(&s_lock);
        s_reportWindow = window;
        LeaveCriticalSection(&s_lock);
        return;
    }
    s_writerStarted = true;
    s_reportWindow = window;
    InitializeCriticalSection(&s_lock);
    s_idle = CreateEventA(NULL, TRUE, TRUE, NULL);
    s_wake = CreateEventA(NULL, FALSE, FALSE, NULL);
    DWORD id = 0;
    HANDLE thread = s_wake != NULL && s_idle != NULL ? CreateThread(NULL, 0, RunQueueWriter, NULL, 0, &id) : NULL;
    if (thread != NULL) {
        CloseHandle(thread);
    } else if (s_wake != NULL) {
        CloseHandle(s_wake);
        s_wake = NULL;
    }
}

// A newer queue takes the place of one that still waits: only the last counts.
void HandToWriter(char* text, size_t size, const KeptPlaceRecord* place)
{
    EnterCriticalSection(&s_lock);
    if (text != NULL) {
        std::free(s_waitingText);
        s_waitingText = text;
        s_waitingSize = size;
    }
    if (place != NULL) {
        s_waitingPlace = *place;
        s_placeWaiting = true;
    }
    if (s_idle != NULL)
        ResetEvent(s_idle);
    LeaveCriticalSection(&s_lock);
    if (s_wake != NULL)
        SetEvent(s_wake);
    else
        WriteWaiting();
}

bool FinishQueueWrites(DWORD timeoutMs)
{
    return !s_writerStarted || s_idle == NULL || WaitForSingleObject(s_idle, timeoutMs) == WAIT_OBJECT_0;
}

bool LastQueueKept()
{
    if (!s_writerStarted)
        return s_lastQueueKept;
    EnterCriticalSection(&s_lock);
    bool kept = s_lastQueueKept;
    LeaveCriticalSection(&s_lock);
    return kept;
}
