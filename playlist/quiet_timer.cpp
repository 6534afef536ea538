// Work put off until a stream of calls pauses: one timer per kind of work,
// which looks at each tick whether the calls have stopped coming.
#include <windows.h>

#include "playlist.h"

static const UINT QUIET_TICK_MS = 100;
// The kinds of work that wait so: the add stream's drawing, the kept queue,
// the find box's index.
static const int MOST_QUIET_TIMERS = 4;
static QuietTimer* s_timers[MOST_QUIET_TIMERS];

static void CALLBACK OnQuietTick(HWND window, UINT, UINT_PTR id, DWORD)
{
    DWORD now = GetTickCount();
    for (QuietTimer* timer : s_timers) {
        if (timer == NULL || timer->id != id)
            continue;
        bool overdue = timer->longestMs != 0 && now - timer->firstCall >= timer->longestMs;
        if (now - timer->lastCall < timer->quietMs && !overdue)
            return;
        StopQuietTimer(window, timer);
        timer->whenQuiet(window);
        return;
    }
}

static void Register(QuietTimer* timer)
{
    for (QuietTimer*& slot : s_timers) {
        if (slot == timer)
            return;
        if (slot == NULL) {
            slot = timer;
            return;
        }
    }
}

bool PutOffUntilQuiet(HWND window, QuietTimer* timer)
{
    timer->lastCall = GetTickCount();
    // A window that has gone took its timer with it.
    if (timer->waiting && timer->window == window)
        return true;
    timer->firstCall = timer->lastCall;
    Register(timer);
    timer->window = window;
    timer->waiting = SetTimer(window, timer->id, QUIET_TICK_MS, OnQuietTick) != 0;
    return timer->waiting;
}

void StopQuietTimer(HWND window, QuietTimer* timer)
{
    if (timer->waiting)
        KillTimer(window, timer->id);
    timer->waiting = false;
}
