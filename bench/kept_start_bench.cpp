// A whole start of vireo.exe with a kept queue against an empty start,
// alternating: from creating the process to its window shown, holding every
// entry of the queue. The difference is what the restore adds to a start.
// Prints "name milliseconds" lines.
//   bench_kept_start RUNS VIREO QUEUE_FILE
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resource.h"
#include "bench_timing.h"
#include "outside_player.h"

static const DWORD WAIT_MS = 60000;

static int ListCount(HWND window)
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, IDC_PLAYLIST), LB_GETCOUNT, 0, 0, SMTO_NORMAL, WAIT_MS, &count))
        return -1;
    return static_cast<int>(count);
}

// Milliseconds from the process's creation to its window shown with the
// given count of entries; negative when it never came.
static double TimeStart(const std::string& vireo, int entries)
{
    std::string line = "\"" + vireo + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    double started = NowMs();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return -1;
    double shown = -1;
    HWND window = NULL;
    while (NowMs() - started < WAIT_MS && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        HWND found = DialogOf(info.dwProcessId, true);
        if (found != NULL && ListCount(found) == entries) {
            shown = NowMs() - started;
            window = found;
            break;
        }
        Sleep(1);
    }
    // A moment to settle, then Exit (which keeps the queue again).
    Sleep(300);
    if (window != NULL)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 0), 0);
    if (WaitForSingleObject(info.hProcess, WAIT_MS) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return shown;
}

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int runs = std::atoi(argv[1]);
    std::string folder = KeptFolder();
    int entries = EntryLines(argv[3]);
    if (folder.empty() || entries <= 0)
        return 3;
    std::string queue = folder + "\\" + KEPT_NAMES[0];
    // The first pair warms the system's caches and is not counted.
    for (int run = -1; run < runs; ++run) {
        ClearKept(folder);
        double empty = TimeStart(argv[2], 0);
        ClearKept(folder);
        if (!CopyFileA(argv[3], queue.c_str(), FALSE))
            return 4;
        double full = TimeStart(argv[2], entries);
        ClearKept(folder);
        if (empty < 0 || full < 0)
            return 5;
        if (run < 0)
            continue;
        std::printf("kept_start_empty_run %.1f\nkept_start_full_run %.1f\n", empty, full);
        std::fflush(stdout);
    }
    std::printf("kept_start_entries %d\n", entries);
    return 0;
}
