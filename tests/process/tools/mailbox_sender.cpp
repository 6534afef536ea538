// Senders for the add mailbox tests that the plain client cannot play.
//   mailbox_sender --hold EVENT DELAY_MS TEXT
//       takes the slot at once and sets the named event; once the player's
//       window exists waits DELAY_MS, then writes TEXT and announces it, as a
//       sender in another process does. Exit code 0 when delivered.
//   mailbox_sender --post-to HWND TEXT
//       posts TEXT through the player's own sender to the window with that
//       handle (decimal), which may be gone.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "../../../playlist/playlist.h"
#include "resource.h"

static int HoldThenSend(const char* eventName, DWORD delayMs, const char* text)
{
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
    if (semaphore == NULL || WaitForSingleObject(semaphore, ADD_MAILBOX_WAIT_MS) != WAIT_OBJECT_0)
        return 1;
    HANDLE taken = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (taken == NULL)
        return 2;
    SetEvent(taken);
    HWND window = NULL;
    for (int i = 0; i < 1000 && window == NULL; ++i) {
        window = FindWindowA("#32770", "Vireo");
        if (window == NULL)
            Sleep(20);
    }
    if (window == NULL)
        return 3;
    Sleep(delayMs);
    DWORD_PTR result = 0;
    if (!SetDlgItemTextA(window, IDC_MAILBOX, text) ||
        !SendMessageTimeoutA(window, MSG_ADD_PENDING, 0, 0, SMTO_NORMAL, 30000, &result))
        return 4;
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[1], "--hold") == 0)
        return HoldThenSend(argv[2], static_cast<DWORD>(atoi(argv[3])), argv[4]);
    if (argc == 4 && strcmp(argv[1], "--post-to") == 0) {
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoul(argv[2], NULL, 10)));
        PostToAddMailbox(window, argv[3]);
        return 0;
    }
    return -1;
}
