// The kept queue's writing thread. Neither the window nor a change of entry
// waits for the disk: a flush may take long, the more so where the
// application-data folder lies on a server.
#include <windows.h>

#include <cstdlib>

#include "kept_queue_parts.h"
#include "playlist.h"
#include "resource.h"

// What waits for the writing thread, under s_lock.
static CRITICAL_SECTION s_lock;
static HANDLE s_wake = NULL;
static HANDLE s_idle = NULL;        // set while nothing waits or is written
static bool s_started = false;
static const KeptQueueFiles* s_files = NULL;
static char* s_waitingText = NULL;
static size_t s_waitingSize = 0;
static bool s_placeWaiting = false;
static KeptPlace s_waitingPlace;
static HWND s_reportWindow = NULL;
static bool s_failing = false;
static bool s_lastQueueWritten = true;

// Over itself, unflushed: its check finds a record a power cut tore, and
// the queue's own place line stands in for it.
static bool WritePlace(const char* name, const KeptPlace& place)
{
    HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char record[KEPT_PLACE_SIZE];
    FormatKeptPlace(record, place);
    DWORD written = 0;
    bool whole = WriteFile(file, record, sizeof record, &written, NULL) && written == sizeof record;
    return CloseHandle(file) && whole;
}

// A failure after a write that worked is news, once.
static void NoteOutcome(bool written, bool queue)
{
    EnterCriticalSection(&s_lock);
    bool news = !written && !s_failing;
    s_failing = !written;
    if (queue)
        s_lastQueueWritten = written;
    HWND window = s_reportWindow;
    LeaveCriticalSection(&s_lock);
    if (news && window != NULL)
        PostMessageA(window, MSG_QUEUE_NOT_KEPT, 0, 0);
}

void NoteQueueOutcome(bool written)
{
    NoteOutcome(written, true);
}

// Writes whatever waits until nothing does; the queue first, since the
// place may belong to it.
static void WriteWaiting()
{
    for (;;) {
        EnterCriticalSection(&s_lock);
        const KeptQueueFiles* files = s_files;
        char* text = s_waitingText;
        size_t size = s_waitingSize;
        bool placeWaiting = s_placeWaiting;
        KeptPlace place = s_waitingPlace;
        s_waitingText = NULL;
        s_placeWaiting = false;
        if (text == NULL && !placeWaiting)
            SetEvent(s_idle);
        LeaveCriticalSection(&s_lock);
        if (text == NULL && !placeWaiting)
            return;
        if (text != NULL) {
            bool written = WriteWholeFile(files->queue, files->fresh, text, size);
            std::free(text);
            NoteOutcome(written, true);
        }
        if (placeWaiting)
            NoteOutcome(WritePlace(files->place, place), false);
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
    if (!s_started) {
        s_started = true;
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
    EnterCriticalSection(&s_lock);
    s_reportWindow = window;
    LeaveCriticalSection(&s_lock);
}

void HandToWriter(const KeptQueueFiles* files, char* text, size_t size, const KeptPlace* place)
{
    EnterCriticalSection(&s_lock);
    s_files = files;
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
    return !s_started || s_idle == NULL || WaitForSingleObject(s_idle, timeoutMs) == WAIT_OBJECT_0;
}

bool LastQueueWritten()
{
    if (!s_started)
        return s_lastQueueWritten;
    EnterCriticalSection(&s_lock);
    bool written = s_lastQueueWritten;
    LeaveCriticalSection(&s_lock);
    return written;
}
