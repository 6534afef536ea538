// What the two parts of bench_titles share: a player started with a kept
// queue, and the line under its list.
#pragma once

#include <windows.h>

#include <string>

struct Player {
    PROCESS_INFORMATION info = {};
    HWND window = NULL;
    int entries = 0;
    double started = 0;     // ms on the performance counter
    double shown = 0;       // its window showed every entry
    double known = 0;       // every length known; -1: never
};

LRESULT Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
std::string SummaryText(HWND window);
bool EveryLengthKnown(const std::string& summary, int entries);
// vireo.exe started with the queue file as its kept queue, its window shown
// holding every entry; false (the player ended) when it never showed.
bool StartWithQueue(Player* player, const std::string& vireo, const char* queue);
void EndPlayer(Player* player);
// Looks at the line under the list once: false once every length is known
// (player->known set), or when that is not coming (player->known -1).
bool ScanUnderWay(Player* player, std::string* summary);
int Busy(const std::string& vireo, const char* queue);
