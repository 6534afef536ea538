// Starts vireo.exe and its floor programs, waits for their windows and reads
// their costs. Each measurement prints "name value" lines for the script.
//   bench_driver startup RUNS VIREO FLOOR
//   bench_driver forward RUNS VIREO FORWARD_FLOOR [--probes] LIST...
//   bench_driver load RUNS VIREO VIREOLIST M3U
//   bench_driver memory VIREO FLOOR LIST
//   bench_driver cpu SECONDS VIREO FLOOR PLAYLIST WAVE
//   bench_driver playing SECONDS VIREO PLAYLIST NAME   (Vireo alone, figures named NAME)
//   bench_driver probe VIREO FLOOR LIST
//   bench_driver queue RUNS VIREO LIST
//   bench_driver look
#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "bench_timing.h"
#include "outside_player.h"

static const UINT MSG_FLOOR_FILL = WM_APP + 1;
static const DWORD WINDOW_WAIT_MS = 30000;
static const DWORD EXIT_WAIT_MS = 30000;
// A forwarded list may take minutes on a loaded machine.
static const DWORD RUN_WAIT_MS = 600000;

// Seconds: most of what this program times is a whole run.
static double Now()
{
    return NowMs() / 1000.0;
}

struct Child {
    PROCESS_INFORMATION info = {};
    double started = 0;
};

static std::string CommandLine(const std::string& program, const std::string& tail)
{
    std::string line = "\"" + program + "\"";
    if (!tail.empty())
        line += " " + tail;
    return line;
}

static bool Start(Child& child, const std::string& program, const std::string& tail)
{
    // Every program starts without the queue an earlier one kept: each
    // measurement is of a first start on a fresh profile.
    ClearKept(KeptFolder());
    std::string line = CommandLine(program, tail);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    child.started = Now();
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child.info)) {
        std::fprintf(stderr, "bench_driver: cannot start %s (%lu)\n", line.c_str(), GetLastError());
        return false;
    }
    return true;
}

// The process's dialog window, polled every millisecond or so.
static HWND WaitForWindow(const Child& child, bool visible)
{
    double deadline = Now() + WINDOW_WAIT_MS / 1000.0;
    while (Now() < deadline) {
        HWND found = DialogOf(child.info.dwProcessId, visible);
        if (found != NULL)
            return found;
        if (WaitForSingleObject(child.info.hProcess, 1) == WAIT_OBJECT_0)
            return NULL;
    }
    return NULL;
}

// Seconds from the start to the exit, or a negative number if it did not end.
static double WaitForEnd(Child& child, DWORD* exitCode = NULL)
{
    if (WaitForSingleObject(child.info.hProcess, RUN_WAIT_MS) != WAIT_OBJECT_0)
        return -1;
    double elapsed = Now() - child.started;
    DWORD code = 0;
    GetExitCodeProcess(child.info.hProcess, &code);
    if (exitCode != NULL)
        *exitCode = code;
    return elapsed;
}

static void Close(Child& child)
{
    CloseHandle(child.info.hThread);
    CloseHandle(child.info.hProcess);
    child.info = {};
}

// Ends a started program through its Exit command; only the one we started
// is ever forced.
static void End(Child& child, HWND window)
{
    if (window != NULL)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 0), 0);
    if (WaitForSingleObject(child.info.hProcess, EXIT_WAIT_MS) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench_driver: pid %lu did not exit; ending it\n", child.info.dwProcessId);
        TerminateProcess(child.info.hProcess, 1);
        WaitForSingleObject(child.info.hProcess, EXIT_WAIT_MS);
    }
    Close(child);
}

// Starts a program and waits for its window to show: the window, or NULL
// with the program ended.
static HWND StartShown(Child& child, const std::string& program, const std::string& tail)
{
    if (!Start(child, program, tail))
        return NULL;
    HWND window = WaitForWindow(child, true);
    if (window == NULL)
        End(child, NULL);
    return window;
}

static int ListCount(HWND window)
{
    DWORD_PTR count = 0;
    SendMessageTimeoutA(GetDlgItem(window, IDC_PLAYLIST), LB_GETCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
    return static_cast<int>(count);
}

// Start to window shown, alternating the two programs so that both see the
// same machine. One start of each comes first and is not timed: the first
// start in a fresh world loads what later starts find ready, and would count
// against whichever program went first.
static int Startup(int runs, const std::string& vireo, const std::string& floor)
{
    std::vector<double> times[2];
    const std::string programs[2] = {floor, vireo};
    const char* names[2] = {"floor", "vireo"};
    for (int run = -1; run < runs; ++run) {
        for (int p = 0; p < 2; ++p) {
            Child child;
            HWND window = StartShown(child, programs[p], "");
            double shown = Now() - child.started;
            if (window == NULL) {
                std::fprintf(stderr, "bench_driver: %s showed no window\n", names[p]);
                return 1;
            }
            // Let it finish starting before it is told to end.
            Sleep(300);
            End(child, window);
            if (run < 0)
                continue;
            times[p].push_back(shown * 1000);
            std::printf("startup_%s_run %.1f\n", names[p], shown * 1000);
            std::fflush(stdout);
        }
    }
    std::printf("startup_floor_ms %.1f\nstartup_vireo_ms %.1f\n", Median(times[0]), Median(times[1]));
    return 0;
}

static int CountLines(const std::string& list)
{
    std::FILE* file = std::fopen(list.c_str(), "rb");
    if (file == NULL)
        return -1;
    int lines = 0;
    int c;
    while ((c = std::fgetc(file)) != EOF)
        lines += c == '\n';
    std::fclose(file);
    return lines - 1;
}

static std::string Decimal(HWND window)
{
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
}

// Times one program from its start to its end; negative when it failed.
static double TimeRun(const std::string& program, const std::string& tail)
{
    Child child;
    if (!Start(child, program, tail))
        return -1;
    DWORD code = 0;
    double elapsed = WaitForEnd(child, &code);
    if (elapsed < 0) {
        TerminateProcess(child.info.hProcess, 1);
        WaitForSingleObject(child.info.hProcess, EXIT_WAIT_MS);
    }
    Close(child);
    if (code != 0) {
        std::fprintf(stderr, "bench_driver: %s %s ended with %lu\n", program.c_str(), tail.c_str(), code);
        return -1;
    }
    return elapsed;
}

// A later start with "/load LIST" into a running player against the floor
// client doing the same round trips to the same window, each from process
// start to exit. Probes (slot, look-up) show where the difference goes.
static int Forward(int runs, const std::string& vireo, const std::string& floor, bool probes,
                   const std::vector<std::string>& lists)
{
    const int variantCount = probes ? 5 : 1;
    for (size_t l = 0; l < lists.size(); ++l) {
        const std::string& list = lists[l];
        int lines = CountLines(list);
        const char* variants[5] = {"", "--slot", "--slot-each", "--lookup", "--slot --lookup"};
        const char* variantNames[5] = {"floor", "floor_slot", "floor_slot_each", "floor_lookup",
                                       "floor_slot_lookup"};
        std::vector<double> times[6];
        for (int run = 0; run < runs; ++run) {
            Child running;
            HWND window = StartShown(running, vireo, "");
            if (window == NULL)
                return 1;
            Sleep(300);
            for (int v = 0; v < variantCount; ++v) {
                double t = TimeRun(floor, Decimal(window) + " \"" + list + "\" " + variants[v]);
                if (t < 0) {
                    End(running, window);
                    return 1;
                }
                times[v].push_back(t);
                std::printf("forward%zu_%s_run %.3f\n", l, variantNames[v], t);
            }
            double t = TimeRun(vireo, "/load " + list);
            int count = ListCount(window);
            End(running, window);
            if (t < 0 || count != lines) {
                std::fprintf(stderr, "bench_driver: /load gave %d entries of %d\n", count, lines);
                return 1;
            }
            times[5].push_back(t);
            std::printf("forward%zu_vireo_run %.3f\n", l, t);
            std::fflush(stdout);
        }
        std::printf("forward%zu_lines %d\n", l, lines);
        for (int v = 0; v < variantCount; ++v)
            std::printf("forward%zu_%s_s %.3f\n", l, variantNames[v], Median(times[v]));
        std::printf("forward%zu_vireo_s %.3f\n", l, Median(times[5]));
        std::fflush(stdout);
    }
    return 0;
}

// A later start with "/load LIST" into a fresh running player, the same
// paths as Vireo's own list and as another player's, alternating.
static int Load(int runs, const std::string& vireo, const std::string& vireoList, const std::string& m3u)
{
    const std::string lists[2] = {vireoList, m3u};
    const char* names[2] = {"vireolist", "m3u"};
    int lines = CountLines(vireoList);
    std::vector<double> times[2];
    for (int run = 0; run < runs; ++run) {
        for (int l = 0; l < 2; ++l) {
            Child running;
            HWND window = StartShown(running, vireo, "");
            if (window == NULL)
                return 1;
            Sleep(300);
            double t = TimeRun(vireo, "/load " + lists[l]);
            int count = ListCount(window);
            End(running, window);
            if (t < 0 || count != lines) {
                std::fprintf(stderr, "bench_driver: /load %s gave %d entries of %d\n", names[l], count, lines);
                return 1;
            }
            times[l].push_back(t);
            std::printf("load_%s_run %.3f\n", names[l], t);
            std::fflush(stdout);
        }
    }
    std::printf("load_lines %d\nload_vireolist_s %.3f\nload_m3u_s %.3f\n", lines, Median(times[0]), Median(times[1]));
    return 0;
}

// The working set in bytes, or -1 if it cannot be read.
static double WorkingSet(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return -1;
    return static_cast<double>(counters.WorkingSetSize);
}

// Every title and length of the entries read: the line under the list counts
// them all and no longer says "at least". Files that cannot be read leave it
// saying so: false after the wait.
static bool WaitForEveryLength(HWND window, int entries)
{
    const double WAIT_S = 180;
    std::string counted = std::to_string(entries) + " entries, ";
    double deadline = Now() + WAIT_S;
    char text[200] = "";
    while (Now() < deadline) {
        text[0] = '\0';
        SendMessageTimeoutA(GetDlgItem(window, IDC_QUEUE_SUMMARY), WM_GETTEXT, sizeof text,
                            reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, NULL);
        if (std::strncmp(text, counted.c_str(), counted.size()) == 0 && std::strstr(text, "at least") == NULL)
            return true;
        Sleep(50);
    }
    return false;
}

// Working set with the list's entries minus the working set with none, in
// the player (added by a later /load, with every title read where its files
// can be) and in the floor (names put straight into its list control), each
// read after a moment of rest.
static int MemoryUse(const std::string& vireo, const std::string& floor, const std::string& list)
{
    int lines = CountLines(list);
    const DWORD REST_MS = 1000;

    Child player;
    HWND window = StartShown(player, vireo, "");
    if (window == NULL)
        return 1;
    Sleep(REST_MS);
    double empty = WorkingSet(player.info.hProcess);
    double t = TimeRun(vireo, "/load " + list);
    int count = ListCount(window);
    bool titlesRead = WaitForEveryLength(window, lines);
    Sleep(REST_MS);
    double full = WorkingSet(player.info.hProcess);
    End(player, window);
    if (t < 0 || count != lines || empty < 0) {
        std::fprintf(stderr, "bench_driver: memory run gave %d entries of %d\n", count, lines);
        return 1;
    }

    Child base;
    HWND floorWindow = StartShown(base, floor, "--fill \"" + list + "\"");
    if (floorWindow == NULL)
        return 1;
    Sleep(REST_MS);
    double floorEmpty = WorkingSet(base.info.hProcess);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(floorWindow, MSG_FLOOR_FILL, 0, 0, SMTO_NORMAL, 60000, &ignored);
    int floorCount = ListCount(floorWindow);
    Sleep(REST_MS);
    double floorFull = WorkingSet(base.info.hProcess);
    End(base, floorWindow);

    std::printf("memory_entries %d\nmemory_titles_read %d\n", lines, titlesRead ? 1 : 0);
    std::printf("memory_vireo_empty_ws %.0f\nmemory_vireo_full_ws %.0f\n", empty, full);
    std::printf("memory_floor_entries %d\n", floorCount);
    std::printf("memory_floor_empty_ws %.0f\nmemory_floor_full_ws %.0f\n", floorEmpty,
                floorFull);
    return 0;
}

static std::string ReadHostFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Quotes dropped, arguments joined by blanks: how a command line reads
// whichever way it was split.
static std::string Flatten(std::string text)
{
    std::string out;
    for (char c : text) {
        if (c == '"')
            continue;
        out += c == '\0' ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The host process of this world (its environment holds WINEPREFIX=prefix)
// whose command line is the given one, or whose command name starts with the
// given one; 0 when there is none. Wine shows a program's command line as its
// host command line.
static int FindHostProcess(const std::string& prefix, const std::string& commandLine, const char* command)
{
    std::string entry = "WINEPREFIX=" + prefix;
    std::string wanted = Flatten(commandLine);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    std::string needle = std::string(1, '\0') + entry + std::string(1, '\0');
    int pid = 0;
    do {
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9')
            continue;
        std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        if (command != NULL ? ReadHostFile(folder + "\\comm").rfind(command, 0) != 0
                            : Flatten(ReadHostFile(folder + "\\cmdline")) != wanted)
            continue;
        std::string environment = std::string(1, '\0') + ReadHostFile(folder + "\\environ");
        if (environment.find(needle) != std::string::npos) {
            pid = std::atoi(found.cFileName);
            break;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pid;
}

// User and system time of a host process from its stat line, in seconds
// (the host counts in hundredths).
static double HostCpuSeconds(int pid)
{
    std::string stat = ReadHostFile("Z:\\proc\\" + std::to_string(pid) + "\\stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    // Fields after the name: state is the 3rd field of the line, utime the 14th.
    const char* p = stat.c_str() + close + 1;
    double values[13] = {};
    for (int field = 3; field <= 15; ++field) {
        while (*p == ' ')
            ++p;
        values[field - 3] = std::atof(p);
        while (*p != ' ' && *p != '\0')
            ++p;
    }
    return (values[14 - 3] + values[15 - 3]) / 100.0;
}

// CPU time over a stretch of playback, once the play has settled in.
static bool MeasurePlaying(const std::string& program, const std::string& tail, double seconds, const char* name)
{
    char prefix[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (length == 0 || length >= sizeof prefix) {
        std::fprintf(stderr, "bench_driver: WINEPREFIX is not set\n");
        return false;
    }
    Child child;
    if (!Start(child, program, tail))
        return false;
    HWND window = WaitForWindow(child, false);
    int pid = FindHostProcess(prefix, CommandLine(program, tail), NULL);
    // This world's server serves the program and nothing else while it plays.
    int server = FindHostProcess(prefix, "", "wineserver");
    if (window == NULL || pid == 0) {
        std::fprintf(stderr, "bench_driver: %s: no window or no host process\n", name);
        End(child, window);
        return false;
    }
    Sleep(2000);
    double cpu0 = HostCpuSeconds(pid);
    double server0 = server != 0 ? HostCpuSeconds(server) : 0;
    double wall0 = Now();
    bool alive = WaitForSingleObject(child.info.hProcess, static_cast<DWORD>(seconds * 1000)) == WAIT_TIMEOUT;
    double cpu1 = HostCpuSeconds(pid);
    double server1 = server != 0 ? HostCpuSeconds(server) : 0;
    double wall1 = Now();
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(child.info.hProcess, &memory, sizeof memory);
    End(child, window);
    if (!alive) {
        std::fprintf(stderr, "bench_driver: %s ended before %.0f s of play\n", name, seconds);
        return false;
    }
    std::printf("cpu_%s_s %.3f\ncpu_%s_wall_s %.3f\n", name, cpu1 - cpu0, name, wall1 - wall0);
    std::printf("cpu_%s_ws_kib %.0f\n", name, memory.WorkingSetSize / 1024.0);
    if (server != 0)
        std::printf("cpu_%s_server_s %.3f\n", name, server1 - server0);
    return true;
}

static int Cpu(double seconds, const std::string& vireo, const std::string& floor, const std::string& playlist,
               const std::string& wave)
{
    if (!MeasurePlaying(floor, "--play " + wave, seconds, "floor"))
        return 1;
    if (!MeasurePlaying(vireo, "/play " + playlist, seconds, "vireo"))
        return 1;
    return 0;
}

// Where forwarding time goes: the same /load into a shown and into a hidden
// player, and the list control alone filled shown and hidden in the floor.
static int Probe(const std::string& vireo, const std::string& floor, const std::string& list)
{
    int lines = CountLines(list);
    for (int hidden = 0; hidden < 2; ++hidden) {
        Child player;
        HWND window = StartShown(player, vireo, "");
        if (window == NULL)
            return 1;
        if (hidden)
            ShowWindow(window, SW_HIDE);
        Sleep(300);
        double t = TimeRun(vireo, "/load " + list);
        int count = ListCount(window);
        End(player, window);
        std::printf("probe_vireo_%s_s %.3f\n", hidden ? "hidden" : "shown", t);
        if (count != lines)
            return 1;
        std::fflush(stdout);
    }
    for (int hidden = 0; hidden < 2; ++hidden) {
        Child base;
        HWND window = StartShown(base, floor, "--fill \"" + list + "\"");
        if (window == NULL)
            return 1;
        if (hidden)
            ShowWindow(window, SW_HIDE);
        Sleep(300);
        DWORD_PTR ms = 0;
        SendMessageTimeoutA(window, MSG_FLOOR_FILL, 0, 0, SMTO_NORMAL, 120000, &ms);
        End(base, window);
        std::printf("probe_list_%s_s %.3f\n", hidden ? "hidden" : "shown", ms / 1000.0);
        std::fflush(stdout);
    }
    return 0;
}

// ---- The queue in the user's hands, with many entries ---------------------

static LRESULT Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

static std::string StatusText(HWND window)
{
    char text[300] = "";
    Ask(GetDlgItem(window, IDC_STATUS), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Milliseconds from posting a double click on the entry to the player saying
// it plays it: the clicks wait in its queue behind nothing else.
static double DoubleClickMs(HWND window, int index)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    Ask(GetDlgItem(window, IDC_STATUS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"));
    double start = Now();
    PostDoubleClick(list, index);
    while (StatusText(window) == "-") {
        if (Now() - start > 10)
            return -1;
    }
    double ms = (Now() - start) * 1000;
    return Ask(list, LB_GETCURSEL, 0, 0) == index ? ms : -1;
}

// Milliseconds of one command on a selected entry, sent and so handled whole
// when the send returns.
static double CommandMs(HWND window, int selected, int command)
{
    Ask(GetDlgItem(window, IDC_PLAYLIST), LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    double start = Now();
    Ask(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return (Now() - start) * 1000;
}

// The media layer's own part of playing another entry: what the player asks
// of it for each (pause, halt and close the entry that plays, open the next,
// set its time format, play it), done here on a file of the same list.
static double MediaFloorMs(const std::string& path)
{
    std::string open = "open \"" + path + "\" alias BenchFloor wait";
    if (mciSendStringA(open.c_str(), NULL, 0, NULL) != 0)
        return -1;
    mciSendStringA("play BenchFloor", NULL, 0, NULL);
    Sleep(1000);
    double start = Now();
    mciSendStringA("pause BenchFloor wait", NULL, 0, NULL);
    mciSendStringA("stop BenchFloor", NULL, 0, NULL);
    mciSendStringA("close BenchFloor", NULL, 0, NULL);
    mciSendStringA(open.c_str(), NULL, 0, NULL);
    mciSendStringA("set BenchFloor time format ms wait", NULL, 0, NULL);
    mciSendStringA("play BenchFloor", NULL, 0, NULL);
    double ms = (Now() - start) * 1000;
    mciSendStringA("close BenchFloor", NULL, 0, NULL);
    return ms;
}

// The first path of a .VireoList: the line after its header.
static std::string FirstListedPath(const std::string& list)
{
    std::FILE* file = std::fopen(list.c_str(), "rb");
    if (file == NULL)
        return "";
    char line[MAX_PATH * 3] = "";
    std::fgets(line, sizeof line, file);
    if (std::fgets(line, sizeof line, file) == NULL)
        line[0] = '\0';
    std::fclose(file);
    std::string path = line;
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
        path.pop_back();
    return path;
}

static void Report(const char* name, const std::vector<double>& times)
{
    std::printf("queue_%s_ms %.2f\nqueue_%s_max_ms %.2f\n", name, Median(times), name,
                times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
}

// A player holding the list's entries, all playable, plays one entry after
// another by a double click, and removes and moves entries while one plays;
// a round trip that does nothing is the floor.
static int Queue(int runs, const std::string& vireo, const std::string& list)
{
    int lines = CountLines(list);
    Child running;
    HWND window = StartShown(running, vireo, "");
    if (window == NULL)
        return 1;
    Sleep(300);
    double loaded = TimeRun(vireo, "/load " + list);
    if (loaded < 0 || ListCount(window) != lines) {
        std::fprintf(stderr, "bench_driver: /load gave %d entries of %d\n", ListCount(window), lines);
        End(running, window);
        return 1;
    }
    std::printf("queue_entries %d\nqueue_load_s %.1f\n", lines, loaded);
    std::vector<double> play, remove, removePlaying, up, down, roundTrip, mediaFloor;
    std::string firstPath = FirstListedPath(list);
    for (int run = 0; run < runs; ++run) {
        // Spread over the list, the last runs near its end.
        int index = (run + 1) * (lines - 100) / runs;
        double ms = DoubleClickMs(window, index);
        if (ms < 0) {
            std::fprintf(stderr, "bench_driver: the double click on entry %d played nothing\n", index);
            End(running, window);
            return 1;
        }
        play.push_back(ms);
        // As a listener would: the entry has played a while before the edits.
        Sleep(1000);
        up.push_back(CommandMs(window, index + 20, IDC_UP));
        down.push_back(CommandMs(window, index + 30, IDC_DOWN));
        remove.push_back(CommandMs(window, index + 40, IDC_REMOVE));
        // The entry that plays: the one after it opens and plays.
        removePlaying.push_back(CommandMs(window, index, IDC_REMOVE));
        double start = Now();
        Ask(window, WM_NULL, 0, 0);
        roundTrip.push_back((Now() - start) * 1000);
        mediaFloor.push_back(MediaFloorMs(firstPath));
        std::printf("queue_play_run %.2f\nqueue_remove_run %.2f\nqueue_remove_playing_run %.2f\n"
                    "queue_up_run %.2f\nqueue_down_run %.2f\n",
                    play.back(), remove.back(), removePlaying.back(), up.back(), down.back());
        std::fflush(stdout);
    }
    bool removed = ListCount(window) == lines - 2 * runs;
    End(running, window);
    if (!removed) {
        std::fprintf(stderr, "bench_driver: the removes did not all take\n");
        return 1;
    }
    Report("play", play);
    Report("remove", remove);
    Report("remove_playing", removePlaying);
    Report("up", up);
    Report("down", down);
    Report("round_trip", roundTrip);
    Report("media_floor", mediaFloor);
    return 0;
}

// What the running player shows: for finding out why a run went wrong.
static int Look()
{
    HWND window = FindWindowA("#32770", "Vireo");
    if (window == NULL) {
        std::printf("look_window none\n");
        return 1;
    }
    char text[300];
    GetDlgItemTextA(window, IDC_STATUS, text, sizeof text);
    std::printf("look_status %s\n", text);
    GetDlgItemTextA(window, IDC_TIME, text, sizeof text);
    std::printf("look_time %s\nlook_entries %d\nlook_selected %d\n", text, ListCount(window),
                static_cast<int>(SendDlgItemMessageA(window, IDC_PLAYLIST, LB_GETCURSEL, 0, 0)));
    return 0;
}

int main(int argc, char** argv)
{
    std::string what = argc >= 2 ? argv[1] : "";
    if (what == "startup" && argc == 5)
        return Startup(std::atoi(argv[2]), argv[3], argv[4]);
    if (what == "forward" && argc >= 6) {
        bool probes = std::strcmp(argv[5], "--probes") == 0;
        return Forward(std::atoi(argv[2]), argv[3], argv[4], probes,
                       std::vector<std::string>(argv + 5 + probes, argv + argc));
    }
    if (what == "load" && argc == 6)
        return Load(std::atoi(argv[2]), argv[3], argv[4], argv[5]);
    if (what == "memory" && argc == 5)
        return MemoryUse(argv[2], argv[3], argv[4]);
    if (what == "cpu" && argc == 7)
        return Cpu(std::atof(argv[2]), argv[3], argv[4], argv[5], argv[6]);
    if (what == "playing" && argc == 6)
        return MeasurePlaying(argv[3], std::string("/play ") + argv[4], std::atof(argv[2]), argv[5]) ? 0 : 1;
    if (what == "look")
        return Look();
    if (what == "queue" && argc == 5)
        return Queue(std::atoi(argv[2]), argv[3], argv[4]);
    if (what == "probe" && argc == 5)
        return Probe(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: see the top of bench/driver.cpp\n");
    return 2;
}
