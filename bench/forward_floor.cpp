// The floor for forwarding a playlist: reads the list as a later start of the
// player does and makes the mailbox's two cross-process round trips per line
// (the text into the slot control, then one private message) to the same
// window, whose default handling of that message does nothing. Plain sends,
// the cheapest the platform has (SetDlgItemTextA and SendMessageTimeoutA
// cost about three times as much across processes under Wine).
//   bench_forward_floor WINDOW LIST [--slot|--slot-each] [--lookup]
// WINDOW is the main window's handle in decimal. For finding where the time
// goes: --slot adds the slot semaphore's wait and release with one handle
// held by each side, --slot-each opens and closes the semaphore around each
// wait and each release instead, and --lookup adds the receiver's file
// look-up, each done here in the sender.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../playlist/playlist_text.h"
#include "resource.h"

// Above the player's own messages; its dialog leaves it to the default handling.
static const UINT MSG_FLOOR_PING = WM_APP + 0x100;

static const char BENCH_SEMAPHORE_NAME[] = "VireoBenchSemaphore";

static void TakeAndReleaseHeldSlot(HANDLE semaphore)
{
    WaitForSingleObject(semaphore, 3000);
    ReleaseSemaphore(semaphore, 1, NULL);
}

static void TakeAndReleaseSlotEachTime()
{
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, BENCH_SEMAPHORE_NAME);
    if (semaphore == NULL)
        return;
    WaitForSingleObject(semaphore, 3000);
    CloseHandle(semaphore);
    semaphore = CreateSemaphoreA(NULL, 1, 1, BENCH_SEMAPHORE_NAME);
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
    bool slotEach = false;
    bool lookup = false;
    for (int i = 3; i < argc; ++i) {
        slot = slot || std::strcmp(argv[i], "--slot") == 0;
        slotEach = slotEach || std::strcmp(argv[i], "--slot-each") == 0;
        lookup = lookup || std::strcmp(argv[i], "--lookup") == 0;
    }
    HWND slotControl = GetDlgItem(window, IDC_MAILBOX);
    HANDLE semaphore = slot ? CreateSemaphoreA(NULL, 1, 1, BENCH_SEMAPHORE_NAME) : NULL;

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
        if (semaphore != NULL)
            TakeAndReleaseHeldSlot(semaphore);
        if (slotEach)
            TakeAndReleaseSlotEachTime();
        if (lookup)
            LookUp(line);
        if (!SendMessageA(slotControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line)))
            ++failures;
        SendMessageA(window, MSG_FLOOR_PING, 0, 0);
    }
    if (semaphore != NULL)
        CloseHandle(semaphore);
    std::free(text);
    return failures == 0 ? 0 : 1;
}
