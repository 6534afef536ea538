// How the window answers while the titles of a long queue are read, and once
// every one is: a round trip (WM_NULL sent, timed to its answer) every few
// milliseconds, and every EDIT_EVERY_MS an edit, Down then Up on an entry in
// view, posted as a button click's command arrives and timed until the list
// holds the entry at its new place; and every PLAY_EVERY_MS a double click on
// another entry in view, timed until the status line says it plays.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"
#include "bench_timing.h"
#include "outside_player.h"
#include "title_bench.h"

static const DWORD ROUND_TRIP_EVERY_MS = 3;
static const double EDIT_EVERY_MS = 150;
static const double CHECK_EVERY_MS = 20;
static const int EDITED_ROW = 3;
static const double PLAY_EVERY_MS = 400;
static const int PLAYED_ROW = 8;
static const double EDIT_WAIT_MS = 10000;
// The idle stretch lasts as long as the scan did, within these.
static const double IDLE_LEAST_MS = 3000;
static const double IDLE_MOST_MS = 15000;

struct Samples {
    std::vector<double> roundTrips;
    std::vector<double> edits;
    std::vector<double> plays;
    // The time display while entries play: how often its text changed, over how long.
    int timeChanges = 0;
    double seconds = 0;
};

static double RoundTripMs(HWND window)
{
    double start = NowMs();
    SendMessageA(window, WM_NULL, 0, 0);
    return NowMs() - start;
}

// Milliseconds until the entry shows one row down (or up); -1 when it never did.
static double EditMs(HWND window, bool down)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int from = down ? EDITED_ROW : EDITED_ROW + 1;
    int to = down ? EDITED_ROW + 1 : EDITED_ROW;
    LRESULT moved = Ask(list, LB_GETITEMDATA, static_cast<WPARAM>(from), 0);
    Ask(list, LB_SETCURSEL, static_cast<WPARAM>(from), 0);
    double start = NowMs();
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(down ? IDC_DOWN : IDC_UP, 0), 0);
    while (Ask(list, LB_GETITEMDATA, static_cast<WPARAM>(to), 0) != moved) {
        if (NowMs() - start > EDIT_WAIT_MS)
            return -1;
        Sleep(1);
    }
    return NowMs() - start;
}

static std::string ControlText(HWND window, int id)
{
    char text[300] = "";
    Ask(GetDlgItem(window, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Milliseconds from posting a double click on the row to the status line
// changing (it names the entry that plays); -1 when it never did.
static double PlayMs(HWND window, int row)
{
    Ask(GetDlgItem(window, IDC_STATUS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"));
    double start = NowMs();
    PostDoubleClick(GetDlgItem(window, IDC_PLAYLIST), row);
    while (ControlText(window, IDC_STATUS) == "-") {
        if (NowMs() - start > EDIT_WAIT_MS)
            return -1;
        Sleep(1);
    }
    return NowMs() - start;
}

// Samples until the scan ends (during) or for idleMs (idle); false when an
// edit never showed or the scan never ended.
static bool Sample(Player* player, bool during, double idleMs, Samples* samples)
{
    double begun = NowMs();
    double lastEdit = begun;
    double lastPlay = begun;
    int played = 0;
    std::string time = ControlText(player->window, IDC_TIME);
    double lastCheck = 0;
    bool down = true;
    std::string summary;
    for (;;) {
        samples->seconds = (NowMs() - begun) / 1000;
        if (NowMs() - lastCheck >= CHECK_EVERY_MS) {
            lastCheck = NowMs();
            std::string now = ControlText(player->window, IDC_TIME);
            samples->timeChanges += now != time;
            time = now;
            if (during && !ScanUnderWay(player, &summary))
                return player->known > 0;
        }
        if (!during && NowMs() - begun >= idleMs)
            return true;
        samples->roundTrips.push_back(RoundTripMs(player->window));
        if (NowMs() - lastEdit >= EDIT_EVERY_MS) {
            double ms = EditMs(player->window, down);
            if (ms < 0) {
                std::fprintf(stderr, "bench_titles: an edit never showed\n");
                return false;
            }
            samples->edits.push_back(ms);
            down = !down;
            lastEdit = NowMs();
        }
        if (NowMs() - lastPlay >= PLAY_EVERY_MS) {
            double ms = PlayMs(player->window, PLAYED_ROW + played++ % 2);
            if (ms < 0) {
                std::fprintf(stderr, "bench_titles: a double click played nothing\n");
                return false;
            }
            samples->plays.push_back(ms);
            lastPlay = NowMs();
        }
        Sleep(ROUND_TRIP_EVERY_MS);
    }
}

static double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[rank > 0 ? rank - 1 : 0];
}

// One run's median, 95th percentile and worst, as runs the script gathers.
static void Report(const char* name, const std::vector<double>& values)
{
    std::printf("titles_%s_median_run %.2f\ntitles_%s_p95_run %.2f\ntitles_%s_max_run %.2f\ntitles_%s_count_run %zu\n",
                name, Median(values), name, Percentile(values, 0.95), name,
                values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()), name, values.size());
}

int Busy(const std::string& vireo, const char* queue)
{
    Player player;
    if (!StartWithQueue(&player, vireo, queue))
        return 1;
    Samples during;
    Samples idle;
    // A process's first play loads the media layer's drivers (150 to 260 ms
    // under Wine) and would always fall in the reading: played once, not
    // counted, so that both stretches time a player that has played before.
    bool ok = PlayMs(player.window, PLAYED_ROW + 1) >= 0;
    ok = ok && Sample(&player, true, 0, &during);
    if (ok) {
        double scanMs = player.known - player.shown;
        Sleep(1000);
        ok = Sample(&player, false, std::min(std::max(scanMs, IDLE_LEAST_MS), IDLE_MOST_MS), &idle);
        std::printf("titles_busy_scan_run %.1f\n", scanMs);
    }
    EndPlayer(&player);
    if (!ok)
        return 1;
    Report("busy_round_trip", during.roundTrips);
    Report("idle_round_trip", idle.roundTrips);
    Report("busy_edit", during.edits);
    Report("idle_edit", idle.edits);
    Report("busy_play", during.plays);
    Report("idle_play", idle.plays);
    // Counted from the first play on: the display changes about once a second.
    double from = PLAY_EVERY_MS / 1000;
    std::printf("titles_busy_time_changes_run %.2f\ntitles_idle_time_changes_run %.2f\n",
                during.timeChanges / std::max(during.seconds - from, 1.0),
                idle.timeChanges / std::max(idle.seconds - from, 1.0));
    return 0;
}
