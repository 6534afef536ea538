// The volume slider in the main window and the tray's Volume up and down.
#include <windows.h>
#include <commctrl.h>

#include "shell.h"
#include "../playback/playback.h"
#include "resource.h"

static const int VOLUME_PAGE = 10;

static LRESULT SendToSlider(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(window, IDC_VOLUME, message, wParam, lParam);
}

// At a start: the first entry opened takes the volume.
void ShowVolume(HWND window, int percent)
{
    SendToSlider(window, TBM_SETRANGE, FALSE, MAKELPARAM(0, FULL_VOLUME));
    SendToSlider(window, TBM_SETPAGESIZE, 0, VOLUME_PAGE);
    SendToSlider(window, TBM_SETTICFREQ, VOLUME_PAGE, 0);
    KeepMediaVolume(percent);
    SendToSlider(window, TBM_SETPOS, TRUE, MediaVolume());
}

// Every move of the slider, by mouse or key, applies at once.
void OnVolumeSlider(HWND window, HWND control)
{
    if (control != GetDlgItem(window, IDC_VOLUME))
        return;
    SetMediaVolume(static_cast<int>(SendToSlider(window, TBM_GETPOS, 0, 0)));
}

void StepVolume(HWND window, int delta)
{
    SetMediaVolume(MediaVolume() + delta);
    SendToSlider(window, TBM_SETPOS, TRUE, MediaVolume());
}
