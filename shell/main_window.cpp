// The main window: a modeless dialog and the program's one dispatch table.
#include <windows.h>
#include <mmsystem.h>

#include "shell.h"
#include "../app/app.h"
#include "../app/restart_text.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"
#include "resource.h"

static void ShowMainWindow(HWND window)
{
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
}

static void HideMainWindow(HWND window)
{
    CloseFindBox();
    ShowWindow(window, SW_HIDE);
}

void EnableCommand(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    if (control != NULL)
        EnableWindow(control, TRUE);
    EnableMenuItem(g_trayMenu, id, MF_BYCOMMAND | MF_ENABLED);
    NoteCommandOffered(id, true);
}

void GrayCommand(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    if (control != NULL)
        EnableWindow(control, FALSE);
    EnableMenuItem(g_trayMenu, id, MF_BYCOMMAND | MF_GRAYED);
    NoteCommandOffered(id, false);
}

void SendCommand(HWND window, int id)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void PostCommand(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void SetStatusText(HWND window, const char* text)
{
    SetDlgItemTextA(window, IDC_STATUS, text);
}

// The caption and the taskbar button show the window's own icons, each
// loaded at the size its DPI asks for; the one it replaces is destroyed.
static void SetWindowIcon(HWND window, WPARAM which, int widthMetric, int heightMetric)
{
    UINT dpi = WindowDpi(window);
    HANDLE icon = LoadImageA(g_instance, MAKEINTRESOURCEA(IDI_IDLE), IMAGE_ICON, MetricForDpi(widthMetric, dpi),
                             MetricForDpi(heightMetric, dpi), 0);
    HICON replaced = reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)));
    if (replaced != NULL)
        DestroyIcon(replaced);
}

static void SetWindowIcons(HWND window)
{
    SetWindowIcon(window, ICON_BIG, SM_CXICON, SM_CYICON);
    SetWindowIcon(window, ICON_SMALL, SM_CXSMICON, SM_CYSMICON);
}

static void ReleaseWindowIcons(HWND window)
{
    DestroyIcon(reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, ICON_BIG, 0)));
    DestroyIcon(reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, ICON_SMALL, 0)));
}

// The queue kept by the last run, before anything else enters the list:
// stopped, its current entry selected and the place shown.
static void BringBackQueue(HWND window)
{
    RestoredQueue restored;
    bool found = RestoreQueue(window, &restored);
    ShowQueueSummarySoon(window);
    if (!found)
        return;
    ReadTitlesSoon(window);
    if (restored.current >= 0)
        SetResumePlace(window, restored.current, restored.positionMs);
    if (restored.passedOver > 0) {
        char status[PASSED_OVER_CAPACITY];
        FormatPassedOverText(status, sizeof status, restored.passedOver, PASSED_OVER_KEPT_DAMAGED);
        SetStatusText(window, status);
    }
}

static void InitMainWindow(HWND window, const char* tail)
{
    // The dialog class's icon, for the program's other dialogs too.
    HICON classIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_IDLE));
    SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(classIcon));
    SetWindowIcons(window);
    DragAcceptFiles(window, TRUE);
    WatchListInput(window);
    RememberTemplateLayout(window);
    LoadSettings(window);
    KeepAddSlotRecord();
    // Before later starts may add to the list, and before the request.
    BringBackQueue(window);
    // Before the request, which may be long: later starts wait for this.
    OpenToLaterStarts(window);
    if (tail != NULL && IsRestartRequest(tail)) {
        // Brought back by Windows: in the tray, as it was.
        CheckDlgButton(window, IDC_AUTO_EXIT, BST_UNCHECKED);
    } else if (tail != NULL && *tail != '\0') {
        ApplyRequest(window, tail);
        CheckDlgButton(window, IDC_AUTO_EXIT, BST_CHECKED);
    } else {
        CheckDlgButton(window, IDC_AUTO_EXIT, BST_UNCHECKED);
        ShowWindow(window, SW_SHOW);
    }
    WatchForTaskbarRestart();
    NotifyTrayIcon(NIM_ADD, window, g_idleIcon, NULL);
    RegisterForSystemRestart();
}

// The icon, the media device and the timer, given up as the program ends.
static void ReleasePlayer(HWND window)
{
    NotifyTrayIcon(NIM_DELETE, window, g_idleIcon, NULL);
    ReleaseMediaKeys(window);
    ReleaseMediaControls();
    StopAndCloseMedia();
    if (g_progressTimerId != 0)
        KillTimer(window, g_progressTimerId);
}

// The place in the playing entry is taken before the media is let go.
static void ExitVireo(HWND window)
{
    KeepPlayingPlace(window);
    ReleasePlayer(window);
    DestroyWindow(window);
}

// The restart manager's end of the session (ENDSESSION_CLOSEAPP): the player
// must end so that its files can be replaced; Windows starts it again later.
static const LPARAM CLOSE_FOR_RESTART = 0x1;

// At log-off and shutdown the process is ended without its window being
// destroyed: what Exit and the window's end would do is done now, with
// nothing else waited for than the kept queue's write. A cancelled end
// changes nothing.
static void OnEndSession(HWND window, BOOL ending, LPARAM how)
{
    if (!ending)
        return;
    if ((how & CLOSE_FOR_RESTART) != 0) {
        ExitVireo(window);
        return;
    }
    KeepPlayingPlace(window);
    ReleasePlayer(window);
    SaveSettings(window);
    SaveQueueNow(window);
    ReleaseRunningMarker(g_runningMarker);
    g_runningMarker = NULL;
}

static void OnOtherMessage(HWND window, UINT message)
{
    if (IsTaskbarRestart(message))
        RestoreTrayIcon(window);
}

// On a screen of another DPI the dialog manager rescales the controls; the
// window's icons are loaded for the new DPI, the tray pictures for whatever
// small-icon size the screen has now.
static void OnMainDpiChanged(HWND window, const RECT* suggested)
{
    FollowDpiChange(window, suggested);
    FitListItemHeight(window);
    SetWindowIcons(window);
    ReloadTrayPictures(window, false);
}

static void OnMainDestroy(HWND window)
{
    ReleaseWindowIcons(window);
    EndAddStream(window);
    SaveSettings(window);
    // Whichever way the window ends (Exit, auto-exit, an installer's Exit).
    SaveQueueNow(window);
    ReleaseListDrawing();
    ForgetTemplateLayout();
    PostQuitMessage(1);
}

static void OnMainCommand(HWND window, int id, int code)
{
    switch (id) {
    case IDCANCEL:          HideMainWindow(window); break;
    case IDC_PLAYLIST:      HandlePlaylistNotification(window, code); break;
    case IDM_PLAY_SELECTED: PlaySelectedEntry(window); break;
    case IDC_ADD:           ChooseMediaToAdd(window); break;
    case IDC_REMOVE:        RemoveSelectedEntry(window); break;
    case IDC_EXIT:          ExitVireo(window); break;
    case IDC_UP:            MoveSelectionUp(window); break;
    case IDC_DOWN:          MoveSelectionDown(window); break;
    case IDM_PROPERTIES:    ShowMainWindow(window); break;
    case IDM_PAUSE:         TogglePause(window); break;
    case IDM_STOP:          StopPlayback(window); break;
    case IDM_START:         StartPlayback(window); break;
    case IDM_OPEN_PLAYLIST: ChoosePlaylistToLoad(window); break;
    case IDM_SAVE_PLAYLIST: ChoosePlaylistToSave(window); break;
    case IDM_CLEAR_PLAYLIST: ClearPlaylist(window); break;
    case IDM_FIND_ENTRY:    OpenFindBox(window); break;
    case IDM_ABOUT:         ShowAboutBox(window); break;
    case IDM_HELP:          OpenHelpPage(window); break;
    case IDM_NEXT:          PlayNextOrPrevious(window, +1); break;
    case IDM_PREVIOUS:      PlayNextOrPrevious(window, -1); break;
    case IDM_VOLUME_UP:     StepVolume(window, +VOLUME_STEP); break;
    case IDM_VOLUME_DOWN:   StepVolume(window, -VOLUME_STEP); break;
    case IDM_CUE_MODE:
    case IDM_REPEAT:
    case IDM_SHUFFLE:       ToggleOption(window, id - IDM_CUE_MODE); break;
    default:                break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:   InitMainWindow(window, reinterpret_cast<const char*>(lParam)); return TRUE;
    case WM_CLOSE:        HideMainWindow(window); break;
    case WM_DESTROY:      OnMainDestroy(window); break;
    case WM_COMMAND:      OnMainCommand(window, LOWORD(wParam), HIWORD(wParam)); break;
    case MM_MCINOTIFY:    AdvancePlayback(window, message, wParam); break;
    case MSG_TRAY:        HandleTrayMessage(window, wParam, lParam); break;
    case MSG_ADVANCE:     AdvancePlayback(window, message, wParam); break;
    case MSG_LIST_DONE:   FinishPlaylist(window); break;
    case MSG_ADD_PENDING: AddEntryFromMailbox(window); break;
    case MSG_PLAY_ENTRY:  PlayEntryNow(window, static_cast<int>(wParam)); break;
    case MSG_QUEUE_NOT_KEPT: ReportQueueNotKept(window); break;
    case MSG_MEDIA_CONTROLS: StartMediaControls(window); break;
    case WM_DROPFILES:    AddDroppedFiles(window, reinterpret_cast<HDROP>(wParam)); break;
    case WM_HOTKEY:       HandleMediaKey(window, static_cast<int>(wParam)); break;
    case WM_ENDSESSION:   OnEndSession(window, static_cast<BOOL>(wParam), lParam); break;
    case WM_DPICHANGED:   OnMainDpiChanged(window, reinterpret_cast<const RECT*>(lParam)); break;
    case WM_SIZE:         LayOutMainWindow(window, wParam); break;
    case WM_MOVE:         RememberNormalWindowRect(window); break;
    case WM_GETMINMAXINFO: LimitWindowSize(window, reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case WM_MEASUREITEM:  MeasurePlaylistItem(window, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DRAWITEM:     DrawPlaylistItem(window, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_HSCROLL:      OnVolumeSlider(window, reinterpret_cast<HWND>(lParam)); break;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE: ReloadTrayPictures(window, true); break;
    default:              OnOtherMessage(window, message); break;
    }
    return FALSE;
}
