// One process start: forward to the running instance, or become it.
#include <windows.h>
#include <commctrl.h>

#include "app.h"
#include "restart_text.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"
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

// A message box of the player's shares its class and title: the main
// window is told by its mailbox.
HWND FindPlayerWindow()
{
    HWND window = NULL;
    while ((window = FindWindowExA(NULL, window, RUNNING_WINDOW_CLASS, RUNNING_WINDOW_TITLE)) != NULL)
        if (GetDlgItem(window, IDC_MAILBOX) != NULL)
            return window;
    return NULL;
}

static HWND FindRunningWindow()
{
    for (int attempt = 0; attempt < RUNNING_WINDOW_SEARCHES; ++attempt) {
        HWND window = FindPlayerWindow();
        if (window != NULL)
            return window;
        Sleep(RUNNING_WINDOW_PAUSE_MS);
    }
    return NULL;
}

// Of any number of starts at the same moment one becomes the player: the
// marker is looked at and claimed under this guard, which the player keeps
// until its window can be found and later starts keep while they forward,
// one after another. A name without a namespace prefix, which 95 and NT 4.0 take.
static const char START_GUARD_NAME[] = "VireoStartGuard";
static const DWORD START_GUARD_WAIT_MS = 10000;
static HANDLE s_startGuard = NULL;

// Asked again when the player went away while a request was on its way.
static const int FORWARD_ROUNDS = 3;

static const char UNDELIVERED_TEXT[] = "Some files could not be added to the playlist of the running Vireo.";
// Not the main window's title, which later starts look for.
static const char UNDELIVERED_CAPTION[] = "Vireo playlist";

static void TakeStartGuard()
{
    HANDLE guard = CreateMutexA(NULL, FALSE, START_GUARD_NAME);
    if (guard == NULL)
        return;
    DWORD result = WaitForSingleObject(guard, START_GUARD_WAIT_MS);
    // Abandoned: its holder ended without letting go, and it is this start's now.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        s_startGuard = guard;
        return;
    }
    // A holder that does not let go in time: go on unguarded rather than not at all.
    CloseHandle(guard);
}

static void ReleaseStartGuard()
{
    if (s_startGuard == NULL)
        return;
    ReleaseMutex(s_startGuard);
    CloseHandle(s_startGuard);
    s_startGuard = NULL;
}

void OpenToLaterStarts(HWND window)
{
    if (g_runningMarker != NULL)
        StartDdeService(window);
    ReleaseStartGuard();
}

enum Delivery {
    DELIVERY_DONE,
    DELIVERY_PLAYER_WENT,  // its window went before it took every text
    DELIVERY_NOT_TAKEN     // it is there, but some text could not be handed to it
};

static Delivery ForwardToRunningInstance(HWND running, const char* tail)
{
    if (*tail == '\0') {
        ShowWindow(running, SW_SHOW);
        BringWindowToTop(running);
        return DELIVERY_DONE;
    }
    g_undeliveredAdds = 0;
    ApplyRequest(running, tail);
    if (g_undeliveredAdds == 0)
        return DELIVERY_DONE;
    return IsWindow(running) ? DELIVERY_NOT_TAKEN : DELIVERY_PLAYER_WENT;
}

static void RunPlayer(HINSTANCE instance, const char* tail)
{
    // Loads the common controls, whose version 6 (named in the manifest)
    // draws the window's controls in the system's visual style.
    InitCommonControls();
    LoadSharedResources(instance);
    SeedRandom(GetTickCount());
    NameProcessForShell();

    HWND previousForeground = GetForegroundWindow();
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc,
                                     reinterpret_cast<LPARAM>(tail));
    // Let go by the window's start already; here too when it never came.
    ReleaseStartGuard();
    // Without its window the program has nothing to show or pump: it ends,
    // handing the marker back so that the next start is not turned away.
    if (window != NULL) {
        if (*tail != '\0')
            SetForegroundWindow(previousForeground);
        RunMainLoop(window);
    }

    StopDdeService();
    FreeSharedResources();
    ReleaseRunningMarker(g_runningMarker);
    g_runningMarker = NULL;
}

int RunVireo(HINSTANCE instance, const char* tail)
{
    TakeStartGuard();
    for (int round = 1;; ++round) {
        g_runningMarker = AcquireRunningMarker();
        if (g_runningMarker != NULL)
            break;
        HWND running = FindRunningWindow();
        if (running == NULL) {
            // An owner that was ending has let the marker go by now; a live
            // one without a window leaves this start to run beside it.
            g_runningMarker = AcquireRunningMarker();
            break;
        }
        // Windows restarts what ran when it went down; a player already
        // running has its queue, and nothing is asked of it.
        if (IsRestartRequest(tail)) {
            ReleaseStartGuard();
            return 0;
        }
        Delivery delivery = ForwardToRunningInstance(running, tail);
        if (delivery == DELIVERY_PLAYER_WENT && round < FORWARD_ROUNDS)
            continue;
        ReleaseStartGuard();
        if (delivery != DELIVERY_DONE)
            MessageBoxA(NULL, UNDELIVERED_TEXT, UNDELIVERED_CAPTION, MB_OK | MB_ICONWARNING);
        return 0;
    }
    RunPlayer(instance, tail);
    return 0;
}

void RunMainLoop(HWND window)
{
    MSG message = {};
    // Every window of the thread is pumped, the conversations Explorer opens
    // with the player among them; only the main window and the find box get
    // dialog keys. The window itself is the loop's guard. An empty message
    // is no reason to stop: any process may post one.
    while (IsWindow(window)) {
        BOOL got = GetMessageA(&message, NULL, 0, 0);
        if (got == 0)
            break;
        if (got == -1)
            continue;
        if (!TranslateWindowKeys(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
