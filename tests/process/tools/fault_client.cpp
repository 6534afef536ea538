// A sender that goes wrong on purpose, for the reliability tests.
//   fault_client --hold-slot EVENT    take the add mailbox's slot as the player's
//                                     sender does, set the named event, then wait
//                                     to be killed
//   fault_client --hold-open EVENT    open the slot's semaphore without taking it,
//                                     set the event, then wait to be killed
#include <windows.h>

#include <cstring>

#include "../../../playlist/playlist.h"

static int SignalAndWait(const char* eventName)
{
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (event == NULL)
        return 3;
    SetEvent(event);
    CloseHandle(event);
    Sleep(INFINITE);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    if (strcmp(argv[1], "--hold-slot") == 0) {
        AddMailbox mailbox;
        if (!OpenAddMailbox(NULL, &mailbox) || !TakeAddSlot(&mailbox))
            return 1;
        return SignalAndWait(argv[2]);
    }
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
    if (semaphore == NULL)
        return 1;
    if (strcmp(argv[1], "--hold-open") == 0)
        return SignalAndWait(argv[2]);
    return 2;
}
