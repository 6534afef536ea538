// The find box: a modeless dialog over the queue listing the entries whose
// text, file name or folder holds what the user types. Enter plays the one
// chosen, Select (or Shift+Enter) selects it in the queue, Esc closes. It
// keeps the queue usable and pumps nothing of its own: the main loop hands
// it its keys.
#include <windows.h>

#include "find_parts.h"
#include "shell.h"
#include "../app/app.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"
#include "resource.h"

static HWND s_box = NULL;
static WNDPROC s_queryProc = NULL;

// A stream of adds is indexed once it pauses, not at each entry.
static const DWORD FIND_QUIET_MS = 300;
static void RefreshWhenQuiet(HWND box)
{
    RefreshMatches(box);
}
static QuietTimer s_refresh = {FIND_REFRESH_TIMER_ID, FIND_QUIET_MS, 0, RefreshWhenQuiet, 0, 0, false, NULL};

enum FindChoice {
    FIND_PLAY,
    FIND_SELECT
};

void NoteQueueChangeForFind(QueueChange change, int index, int toIndex)
{
    if (s_box == NULL || FollowQueueChange(s_box, change, index, toIndex))
        return;
    if (!PutOffUntilQuiet(s_box, &s_refresh))
        RefreshMatches(s_box);
}

void NoteRetitledForFind()
{
    if (s_box == NULL)
        return;
    IndexAgainForTitles();
    if (!PutOffUntilQuiet(s_box, &s_refresh))
        RefreshMatches(s_box);
}

// A choice made before entries came is taken only where the rows shown
// afresh with them still hold it.
static void TakeChoice(HWND box, FindChoice choice)
{
    if (MatchesStale()) {
        StopQuietTimer(box, &s_refresh);
        if (!RefreshMatches(box))
            return;
    }
    int index = ChosenEntryIndex(box);
    if (index < 0)
        return;
    HWND window = GetParent(box);
    DestroyWindow(box);
    if (choice == FIND_PLAY) {
        PlayEntryNow(window, index);
        return;
    }
    // Setting the selection scrolls it into view.
    SelectIndex(window, index);
    SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_PLAYLIST)), TRUE);
}

// Each key shows the queue as it is now.
static void ShowQueryMatches(HWND box)
{
    if (!MatchesStale()) {
        ShowMatches(box, NULL);
        return;
    }
    StopQuietTimer(box, &s_refresh);
    RefreshMatches(box);
}

// The arrows and page keys move through the matches while the query has the focus.
static LRESULT CALLBACK QueryProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT)) {
        SendDlgItemMessageA(GetParent(edit), IDC_FIND_MATCHES, message, wParam, lParam);
        return 0;
    }
    return CallWindowProcA(s_queryProc, edit, message, wParam, lParam);
}

// Its top left corner on the queue's, kept on the screen.
static void PlaceOverList(HWND box, HWND window)
{
    RECT list;
    GetWindowRect(GetDlgItem(window, IDC_PLAYLIST), &list);
    SetWindowPos(box, NULL, list.left, list.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(box, DM_REPOSITION, 0, 0);
}

static BOOL InitFindBox(HWND box)
{
    s_box = box;
    HWND query = GetDlgItem(box, IDC_FIND_TEXT);
    SendMessageA(query, EM_LIMITTEXT, TEXT_CAPACITY - 1, 0);
    s_queryProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(query, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QueryProc)));
    HWND window = GetParent(box);
    IndexQueueForBox(window);
    ShowMatches(box, NULL);
    PlaceOverList(box, window);
    // The focus goes to the first control that takes it, the query.
    return TRUE;
}

static void OnFindDestroy(HWND box)
{
    StopQuietTimer(box, &s_refresh);
    ReleaseMatches();
    s_box = NULL;
}

static void OnFindCommand(HWND box, int id, int code)
{
    switch (id) {
    case IDC_FIND_TEXT:
        if (code == EN_CHANGE)
            ShowQueryMatches(box);
        break;
    case IDC_FIND_MATCHES:
        if (code == LBN_DBLCLK)
            TakeChoice(box, FIND_PLAY);
        break;
    case IDOK:            TakeChoice(box, GetKeyState(VK_SHIFT) < 0 ? FIND_SELECT : FIND_PLAY); break;
    case IDC_FIND_SELECT: TakeChoice(box, FIND_SELECT); break;
    case IDCANCEL:        DestroyWindow(box); break;
    default:              break;
    }
}

static INT_PTR CALLBACK FindBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:  return InitFindBox(box);
    case WM_COMMAND:     OnFindCommand(box, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_MEASUREITEM: MeasureMatch(box, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DRAWITEM:    DrawMatch(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DESTROY:     OnFindDestroy(box); break;
    default:             break;
    }
    return FALSE;
}

void OpenFindBox(HWND window)
{
    if (s_box != NULL) {
        SetForegroundWindow(s_box);
        SendMessageA(s_box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(s_box, IDC_FIND_TEXT)), TRUE);
        return;
    }
    HWND box = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_FIND), window, FindBoxProc, 0);
    if (box != NULL)
        ShowWindow(box, SW_SHOW);
}

void CloseFindBox()
{
    if (s_box != NULL)
        DestroyWindow(s_box);
}

bool IsFindBoxMessage(MSG* message)
{
    return s_box != NULL && IsDialogMessageA(s_box, message);
}
