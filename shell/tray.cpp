// The notification-area icon: one helper per action and the mouse handling.
#include <windows.h>
#include <shellapi.h>

#include "shell.h"
#include "../app/app.h"
#include "../playback/playback.h"
#include "resource.h"

// The record's first form: what every shell version accepts. The tip is 64 characters.
static const DWORD TRAY_RECORD_SIZE = NOTIFYICONDATAA_V1_SIZE;

// What the icon shows now, to put it back as it was.
static HICON s_shownPicture = NULL;
static char s_shownTip[TRAY_TIP_CAPACITY] = "";
static UINT s_taskbarCreatedMessage = 0;

BOOL NotifyTrayIcon(DWORD action, HWND window, HICON picture, const char* tip)
{
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = TRAY_RECORD_SIZE;
    data.hWnd = window;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY;
    data.hIcon = picture;
    FillTrayTip(data.szTip, tip);
    if (action != NIM_DELETE) {
        s_shownPicture = picture;
        CopyBounded(s_shownTip, sizeof s_shownTip, data.szTip);
    }
    return Shell_NotifyIconA(action, &data);
}

void WatchForTaskbarRestart()
{
    s_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
}

bool IsTaskbarRestart(UINT message)
{
    return s_taskbarCreatedMessage != 0 && message == s_taskbarCreatedMessage;
}

// Loads the pictures again and hands the tray the same state's picture at
// the new size, before the old ones are destroyed.
static void ShowPicturesAfresh(DWORD action, HWND window)
{
    const HICON old[] = {g_idleIcon, g_playingIcon, g_pausedIcon};
    LoadTrayPictures();
    const HICON fresh[] = {g_idleIcon, g_playingIcon, g_pausedIcon};
    for (int i = 0; i < 3; ++i)
        if (s_shownPicture == old[i])
            s_shownPicture = fresh[i];
    if (s_shownPicture != NULL)
        NotifyTrayIcon(action, window, s_shownPicture, s_shownTip);
    for (HICON picture : old)
        DestroyIcon(picture);
}

// A new taskbar may be at another DPI than the one it replaced.
void RestoreTrayIcon(HWND window)
{
    ShowPicturesAfresh(NIM_ADD, window);
}

void ReloadTrayPictures(HWND window, bool onlyIfResized)
{
    if (onlyIfResized && TrayPicturesFitScreen())
        return;
    ShowPicturesAfresh(NIM_MODIFY, window);
}

static void ShowTrayMenu(HWND window)
{
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenuEx(g_trayMenu, TPM_RIGHTBUTTON, cursor.x, cursor.y, window, NULL);
    PostMessageA(window, MSG_MENU_CLOSED, 0, 0);
}

void HandleTrayMessage(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (wParam != TRAY_ICON_ID) {
        MessageBoxA(window, "Unknown tray icon", "Vireo", MB_OK);
        return;
    }
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        SendCommand(window, g_playState != PLAY_PLAYING ? IDM_START : IDM_PAUSE);
        break;
    case WM_LBUTTONDBLCLK:
        SendCommand(window, IDM_PROPERTIES);
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu(window);
        break;
    default:
        break;
    }
}
