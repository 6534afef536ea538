// The floor for forwarding a playlist: reads the list as a later start of the
// player does and makes the mailbox's two cross-process round trips per line
// (the text into the slot, then one private message) to the same window, whose
// default handling of that message does nothing.
//   bench_forward_floor WINDOW LIST [--slot] [--lookup]
// WINDOW is the main window's handle in decimal. For finding where the time
// goes, --slot adds the slot semaphore's calls of both sides and --lookup the
// receiver's file look-up, each done here in the sender.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../playlist/playlist_text.h"
#include "resource.h"

// Above the player's own messages; its dialog leaves it to the default handling.
static const UINT MSG_FLOOR_PING = WM_APP + 0x100;

static void TakeAndReleaseSlot()
{
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, "VireoBenchSemaphore");
    if (semaphore == NULL)
        return;
    WaitForSingleObject(semaphore, 3000);
    CloseHandle(semaphore);
    semaphore = CreateSemaphoreA(NULL, 1, 1, "VireoBenchSemaphore");
    if (semaphore == NULL)
        return;
    ReleaseSemaphore(semaphore, 1, NULL);
    CloseHandle(semaphore);
}

static void LookUp(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    char shortPath[MAILBOX_CAPACITY];
    GetShortPathNameA(path, shortPath, MAILBOX_CAPACITY);
    FindClose(search);
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[1], NULL, 10)));
    bool slot = false;
    bool lookup = false;
    for (int i = 3; i < argc; ++i) {
        slot = slot || std::strcmp(argv[i], "--slot") == 0;
        lookup = lookup || std::strcmp(argv[i], "--lookup") == 0;
    }

    std::FILE* file = std::fopen(argv[2], "rb");
    if (file == NULL)
        return 3;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size < 0)
        return 3;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (text == NULL || std::fread(text, 1, static_cast<size_t>(size), file) != static_cast<size_t>(size))
        return 3;
    text[size] = '\0';
    std::fclose(file);
    if (!HasPlaylistHeader(text))
        return 4;

    int failures = 0;
    char* cursor = FirstPlaylistLine(text, static_cast<size_t>(size));
    while (char* line = TakePlaylistLine(&cursor, text + size)) {
        if (slot)
            TakeAndReleaseSlot();
        if (lookup)
            LookUp(line);
        DWORD_PTR result = 0;
        if (!SetDlgItemTextA(window, IDC_MAILBOX, line) ||
            !SendMessageTimeoutA(window, MSG_FLOOR_PING, 0, 0, SMTO_NORMAL, 0x7FFFFFFF, &result))
            ++failures;
    }
    std::free(text);
    return failures == 0 ? 0 : 1;
}
