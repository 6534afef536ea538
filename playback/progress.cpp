// Once a second while playback runs: elapsed and total time of the current entry.
#include <windows.h>

#include "playback.h"
#include "../app/app.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

void CALLBACK OnProgressTick(HWND window, UINT, UINT_PTR, DWORD)
{
    if (g_playState != PLAY_PLAYING) {
        NotifyTrayIcon(NIM_MODIFY, window, g_pausedIcon, "Vireo paused; click to resume.");
        return;
    }
    SettleDoubtfulEnd(window);
    if (g_playState != PLAY_PLAYING || !IsWindow(window))
        return;
    const PlaylistEntry* entry = CurrentEntry();
    // Between two entries: nothing to tell the time of.
    if (entry == NULL)
        return;

    int32_t positionMs = OpenMediaPositionMs();
    KeepPositionAt(window, positionMs);
    int32_t elapsed = 0;
    int32_t total = 0;
    if (entry->kind == ENTRY_CD_TRACK) {
        elapsed = CdElapsedSeconds(positionMs, entry->startMs);
        total = entry->lengthMs / 1000;
    } else {
        elapsed = positionMs / 1000;
        total = OpenMediaLengthMs() / 1000;
    }

    char text[PROGRESS_TEXT_CAPACITY];
    FormatProgressText(text, sizeof text, elapsed, total);
    SetDlgItemTextA(window, IDC_TIME, text);
    char item[TEXT_CAPACITY];
    GetEntryText(window, CurrentEntryIndex(window), item);
    AppendItemName(text, sizeof text, item);
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, text);
}

void ShowPlace(HWND window, const PlaylistEntry* entry, int32_t offsetMs)
{
    char text[PROGRESS_TEXT_CAPACITY];
    if (entry->kind == ENTRY_CD_TRACK)
        FormatProgressText(text, sizeof text, offsetMs / 1000, entry->lengthMs / 1000);
    else
        FormatPlaceText(text, sizeof text, offsetMs / 1000);
    SetDlgItemTextA(window, IDC_TIME, text);
}
