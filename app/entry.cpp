// One process start: forward to the running instance, or become it.
#include <windows.h>
#include <commctrl.h>

#include "app.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

HINSTANCE g_instance;
HICON g_idleIcon;
HICON g_playingIcon;
HICON g_pausedIcon;
HMENU g_trayMenu;
HKEY g_runningMarker;

static const char RUNNING_WINDOW_CLASS[] = "#32770";
static const char RUNNING_WINDOW_TITLE[] = "Vireo";
static const int RUNNING_WINDOW_SEARCHES = 8;
static const DWORD RUNNING_WINDOW_PAUSE_MS = 250;

// The parent of the tray popup menu; destroying it takes the popup along.
static HMENU s_trayMenuResource;
// The size the tray pictures were loaded at.
static SIZE s_trayPictureSize;

static SIZE SmallIconSize()
{
    SIZE size = {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    return size;
}

static HICON LoadTrayPicture(int id, SIZE size)
{
    return static_cast<HICON>(LoadImageA(g_instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size.cx, size.cy, 0));
}

// The notification area shows small icons: each picture has an image drawn
// for each common small-icon size, so none is scaled from another.
void LoadTrayPictures()
{
    s_trayPictureSize = SmallIconSize();
    g_idleIcon = LoadTrayPicture(IDI_IDLE, s_trayPictureSize);
    g_playingIcon = LoadTrayPicture(IDI_PLAYING, s_trayPictureSize);
    g_pausedIcon = LoadTrayPicture(IDI_PAUSED, s_trayPictureSize);
}

bool TrayPicturesFitScreen()
{
    SIZE now = SmallIconSize();
    return now.cx == s_trayPictureSize.cx && now.cy == s_trayPictureSize.cy;
}

void LoadSharedResources(HINSTANCE instance)
{
    g_instance = instance;
    LoadTrayPictures();
    s_trayMenuResource = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    g_trayMenu = GetSubMenu(s_trayMenuResource, 0);
}

void FreeSharedResources()
{
    DestroyIcon(g_idleIcon);
    DestroyIcon(g_playingIcon);
    DestroyIcon(g_pausedIcon);
    DestroyMenu(s_trayMenuResource);
}

static HWND FindRunningWindow()
{
    for (int attempt = 0; attempt < RUNNING_WINDOW_SEARCHES; ++attempt) {
        HWND window = FindWindowA(RUNNING_WINDOW_CLASS, RUNNING_WINDOW_TITLE);
        if (window != NULL)
            return window;
        Sleep(RUNNING_WINDOW_PAUSE_MS);
    }
    return NULL;
}

static void ForwardToRunningInstance(HWND running, const char* tail)
{
    if (*tail != '\0') {
        ApplyRequest(running, tail);
    } else {
        ShowWindow(running, SW_SHOW);
        BringWindowToTop(running);
    }
}

int RunVireo(HINSTANCE instance, const char* tail)
{
    g_runningMarker = AcquireRunningMarker();
    if (g_runningMarker == NULL) {
        HWND running = FindRunningWindow();
        if (running != NULL) {
            ForwardToRunningInstance(running, tail);
            return 0;
        }
    }

    // Loads the common controls, whose version 6 (named in the manifest)
    // draws the window's controls in the system's visual style.
    InitCommonControls();
    LoadSharedResources(instance);
    SeedRandom(GetTickCount());

    HWND previousForeground = GetForegroundWindow();
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc,
                                     reinterpret_cast<LPARAM>(tail));
    // Without its window the program has nothing to show or pump: it ends,
    // handing the marker back so that the next start is not turned away.
    if (window != NULL) {
        if (*tail != '\0')
            SetForegroundWindow(previousForeground);
        RunMainLoop(window);
    }

    FreeSharedResources();
    ReleaseRunningMarker(g_runningMarker);
    g_runningMarker = NULL;
    return 0;
}

void RunMainLoop(HWND window)
{
    MSG message = {};
    // A filter window that is gone makes the retrieval fail and leave the last
    // message in place, so the window itself is the loop's guard. An empty
    // message is no reason to stop: any process may post one.
    while (IsWindow(window)) {
        BOOL got = GetMessageA(&message, window, 0, 0);
        if (got == 0)
            break;
        if (got == -1)
            continue;
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
