// The kept queue as the player keeps it, timed inside one process: the
// restore into the real list control of the main window's template, and the
// whole write of what it holds. Prints "name milliseconds" lines.
//   bench_kept_queue restore FOLDER          RestoreQueue from FOLDER's queue
//   bench_kept_queue write FOLDER RUNS       SaveQueueNow of the restored list, RUNS times;
//                                            and the disk's part alone (write, flush, replace)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../playlist/playlist.h"
#include "resource.h"
#include "bench_timing.h"

static INT_PTR CALLBACK BareDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowWindow(window, SW_SHOW);
        return TRUE;
    }
    return FALSE;
}

static std::string ReadAll(const char* name)
{
    std::string bytes;
    std::FILE* file = std::fopen(name, "rb");
    if (file == NULL)
        return bytes;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

static int Write(HWND window, int runs)
{
    std::vector<double> whole;
    std::vector<double> disk;
    for (int run = 0; run < runs; ++run) {
        double start = NowMs();
        if (!SaveQueueNow(window))
            return 6;
        whole.push_back(NowMs() - start);
    }
    const KeptQueueFiles* files = KeptQueueFileNames();
    std::string bytes = ReadAll(files->queue);
    for (int run = 0; run < runs; ++run) {
        double start = NowMs();
        if (!WriteWholeFile(files->queue, files->fresh, bytes.data(), bytes.size()))
            return 7;
        disk.push_back(NowMs() - start);
    }
    std::printf("kept_write_ms %.2f\nkept_write_disk_ms %.2f\nkept_write_bytes %zu\n", Median(whole), Median(disk),
                bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    HWND window = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL, BareDialogProc, 0);
    if (window == NULL)
        return 3;
    if (!UseKeptQueueFolder(argv[2]))
        return 3;
    RestoredQueue restored;
    double start = NowMs();
    bool found = RestoreQueue(window, &restored);
    double restoreMs = NowMs() - start;
    if (!found)
        return 4;
    int code = 0;
    if (std::strcmp(argv[1], "restore") == 0)
        std::printf("kept_restore_vireo_run %.2f\nkept_restore_vireo_entries %lu\n", restoreMs, restored.added);
    else if (std::strcmp(argv[1], "write") == 0 && argc == 4)
        code = Write(window, std::atoi(argv[3]));
    else
        code = 2;
    std::fflush(stdout);
    DestroyWindow(window);
    return code;
}
