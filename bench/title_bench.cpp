// Reading titles and lengths in a running player: vireo.exe started with a
// kept queue whose entries are unread, timed from its window showing every
// entry until the line under the list no longer says "at least" (every
// length known); and how the window answers while that runs and once it has
// ended (title_busy.cpp). Prints "name value" lines for the script.
//   bench_titles scan VIREO QUEUE_FILE        one timed run
//   bench_titles busy VIREO QUEUE_FILE        round trips and edits, during and idle
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "resource.h"
#include "bench_timing.h"
#include "outside_player.h"
#include "title_bench.h"

static const DWORD SHOW_WAIT_MS = 60000;
static const DWORD EXIT_WAIT_MS = 60000;
// What no scan of 10,000 small files takes, however loaded the machine.
static const double SCAN_WAIT_MS = 600000;
static const DWORD POLL_MS = 2;

LRESULT Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, lParam, SMTO_NORMAL, 10000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string SummaryText(HWND window)
{
    char text[200] = "";
    Ask(GetDlgItem(window, IDC_QUEUE_SUMMARY), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool EveryLengthKnown(const std::string& summary, int entries)
{
    std::string count = std::to_string(entries) + " entries, ";
    return summary.compare(0, count.size(), count) == 0 && summary.find("at least") == std::string::npos;
}

bool StartWithQueue(Player* player, const std::string& vireo, const char* queue)
{
    *player = Player();
    std::string folder = KeptFolder();
    player->entries = EntryLines(queue);
    if (folder.empty() || player->entries <= 0)
        return false;
    ClearKept(folder);
    if (!CopyFileA(queue, (folder + "\\" + KEPT_NAMES[0]).c_str(), FALSE))
        return false;
    std::string line = "\"" + vireo + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    player->started = NowMs();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &player->info))
        return false;
    while (NowMs() - player->started < SHOW_WAIT_MS && WaitForSingleObject(player->info.hProcess, 0) == WAIT_TIMEOUT) {
        HWND found = DialogOf(player->info.dwProcessId, true);
        if (found != NULL &&
            Ask(GetDlgItem(found, IDC_PLAYLIST), LB_GETCOUNT, 0, 0) == player->entries) {
            player->shown = NowMs();
            player->window = found;
            return true;
        }
        Sleep(1);
    }
    std::fprintf(stderr, "bench_titles: the player showed no window with %d entries\n", player->entries);
    EndPlayer(player);
    return false;
}

// Exit, which keeps the queue once more; only the player started here is
// ever forced.
void EndPlayer(Player* player)
{
    if (player->window != NULL)
        PostMessageA(player->window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 0), 0);
    if (WaitForSingleObject(player->info.hProcess, EXIT_WAIT_MS) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench_titles: pid %lu did not exit; ending it\n", player->info.dwProcessId);
        TerminateProcess(player->info.hProcess, 1);
        WaitForSingleObject(player->info.hProcess, EXIT_WAIT_MS);
    }
    CloseHandle(player->info.hThread);
    CloseHandle(player->info.hProcess);
    ClearKept(KeptFolder());
}

bool ScanUnderWay(Player* player, std::string* summary)
{
    if (player->known > 0)
        return false;
    *summary = SummaryText(player->window);
    if (EveryLengthKnown(*summary, player->entries)) {
        player->known = NowMs();
        return false;
    }
    if (NowMs() - player->shown > SCAN_WAIT_MS || WaitForSingleObject(player->info.hProcess, 0) != WAIT_TIMEOUT) {
        std::fprintf(stderr, "bench_titles: lengths still unknown (\"%s\")\n", summary->c_str());
        player->known = -1;
        return false;
    }
    return true;
}

static int Scan(const std::string& vireo, const char* queue)
{
    Player player;
    if (!StartWithQueue(&player, vireo, queue))
        return 1;
    std::string summary;
    std::string seen;
    // How often the line changed while the files were read: it counts what is known so far.
    int changes = -1;
    while (ScanUnderWay(&player, &summary)) {
        changes += summary != seen;
        seen = summary;
        Sleep(POLL_MS);
    }
    EndPlayer(&player);
    if (player.known < 0)
        return 1;
    std::printf("titles_scan_vireo_run %.1f\ntitles_start_shown_run %.1f\ntitles_entries %d\ntitles_summary %s\n"
                "titles_summary_changes_run %d\n",
                player.known - player.shown, player.shown - player.started, player.entries, summary.c_str(), changes);
    return 0;
}

int main(int argc, char** argv)
{
    std::string what = argc == 4 ? argv[1] : "";
    if (what == "scan")
        return Scan(argv[2], argv[3]);
    if (what == "busy")
        return Busy(argv[2], argv[3]);
    std::fprintf(stderr, "usage: see the top of bench/title_bench.cpp\n");
    return 2;
}
