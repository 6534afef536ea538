// The floor for reading titles and lengths: each file of a .VireoList opened,
// its first 64 KiB read in one piece (as the player's reader reads a head),
// the last 160 bytes of one longer than that (where an ID3v1 tag and an APE
// footer before it lie), and closed; one file after another on one thread.
// Prints the milliseconds from the first open to the last close.
//   bench_scan_floor LIST [--lookup] [--low]
//     --lookup  also looks each file up first (FindFirstFileA), as the
//               player does to see whether the file changed
//     --low     at the lowest thread priority, as the player's reader runs
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_timing.h"

static const DWORD HEAD_BYTES = 64 * 1024;
static const DWORD TAIL_BYTES = 128 + 32;

static std::vector<std::string> ListedPaths(const char* list)
{
    std::vector<std::string> paths;
    std::FILE* file = std::fopen(list, "rb");
    if (file == NULL)
        return paths;
    char line[MAX_PATH * 3];
    bool header = true;
    while (std::fgets(line, sizeof line, file) != NULL) {
        size_t length = std::strcspn(line, "\r\n");
        line[length] = '\0';
        if (!header && length > 0)
            paths.push_back(line);
        header = false;
    }
    std::fclose(file);
    return paths;
}

// The bytes read of one file; -1 when it could not be opened.
static long long ReadHeadAndTail(const std::string& path, bool lookup, unsigned char* buffer)
{
    if (lookup) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return -1;
        FindClose(search);
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    DWORD got = 0;
    long long read = ReadFile(file, buffer, HEAD_BYTES, &got, NULL) ? got : 0;
    if (high == 0 && size > HEAD_BYTES) {
        SetFilePointer(file, static_cast<LONG>(size - TAIL_BYTES), NULL, FILE_BEGIN);
        if (ReadFile(file, buffer, TAIL_BYTES, &got, NULL))
            read += got;
    }
    CloseHandle(file);
    return read;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    bool lookup = false;
    bool low = false;
    for (int i = 2; i < argc; ++i) {
        lookup = lookup || std::strcmp(argv[i], "--lookup") == 0;
        low = low || std::strcmp(argv[i], "--low") == 0;
    }
    std::vector<std::string> paths = ListedPaths(argv[1]);
    if (paths.empty())
        return 3;
    if (low)
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    static unsigned char buffer[HEAD_BYTES];
    long long bytes = 0;
    double start = NowMs();
    for (const std::string& path : paths) {
        long long read = ReadHeadAndTail(path, lookup, buffer);
        if (read < 0) {
            std::fprintf(stderr, "bench_scan_floor: cannot open %s\n", path.c_str());
            return 4;
        }
        bytes += read;
    }
    double ms = NowMs() - start;
    const char* name = lookup ? (low ? "lookup_low" : "lookup") : (low ? "low" : "plain");
    std::printf("scan_floor_%s_run %.1f\nscan_floor_files %zu\nscan_floor_bytes %lld\n", name, ms, paths.size(), bytes);
    return 0;
}
