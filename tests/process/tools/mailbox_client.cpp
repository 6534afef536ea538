// A sender of ours for the process tests: posts texts to the running player's
// add mailbox through the same code the player uses.
//   mailbox_client --exit                     end at once (a process id that is gone)
//   mailbox_client TEXT...                    post each text in turn
//   mailbox_client --lines N PREFIX           post PREFIX0 .. PREFIX(N-1)
//   mailbox_client --take-slot                take the slot and end without sending
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../../../app/app.h"
#include "../../../playlist/playlist.h"

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "--exit") == 0)
        return 0;
    if (argc >= 2 && strcmp(argv[1], "--take-slot") == 0) {
        HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
        return WaitForSingleObject(semaphore, ADD_MAILBOX_WAIT_MS) == WAIT_OBJECT_0 ? 0 : 1;
    }
    HWND window = FindPlayerWindow();
    if (window == NULL)
        return 2;
    if (argc >= 4 && strcmp(argv[1], "--lines") == 0) {
        int count = atoi(argv[2]);
        for (int i = 0; i < count; ++i)
            PostToAddMailbox(window, (std::string(argv[3]) + std::to_string(i)).c_str());
        return 0;
    }
    for (int i = 1; i < argc; ++i)
        PostToAddMailbox(window, argv[i]);
    return 0;
}
