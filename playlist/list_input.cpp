// The list's own keys and mouse, on top of the platform's list box: Enter
// plays the selected entry, Delete removes it, a double click on an entry
// plays it, and an entry dragged to another place moves there.
#include <windows.h>

#include <cstdlib>

#include "playlist.h"
#include "../shell/shell.h"
#include "resource.h"

static WNDPROC s_listProc = NULL;

// The drag: pressed on an entry, then moved past the system's drag distance.
static bool s_pressed = false;
static bool s_dragging = false;
static int s_dragFrom = -1;
static POINT s_pressedAt = {0, 0};
static int s_dropMark = -1;

int ListDropMark()
{
    return s_dragging ? s_dropMark : -1;
}

static int ListCount(HWND list)
{
    return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// The height of the list's rows, when the point lies in its client area.
static bool RowHeightAt(HWND list, POINT point, int* height)
{
    RECT client;
    GetClientRect(list, &client);
    if (!PtInRect(&client, point))
        return false;
    *height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    return *height > 0;
}

static int TopIndex(HWND list)
{
    return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
}

// The item under a point of the list's client area, or -1 for the empty
// room below the last item and anywhere outside.
static int ItemAt(HWND list, POINT point)
{
    int height = 0;
    if (!RowHeightAt(list, point, &height))
        return -1;
    int index = TopIndex(list) + point.y / height;
    return index < ListCount(list) ? index : -1;
}

// Where an entry dropped at the point lands: before the item under it, or
// after it in the item's lower half; -1 outside the list.
static int DropPlace(HWND list, POINT point)
{
    int height = 0;
    if (!RowHeightAt(list, point, &height))
        return -1;
    int place = TopIndex(list) + (point.y + height / 2) / height;
    int count = ListCount(list);
    return place < count ? place : count;
}

static void RedrawAround(HWND list, int place)
{
    HWND window = GetParent(list);
    RedrawListItem(window, place - 1);
    RedrawListItem(window, place);
}

static void ShowDropMark(HWND list, int place)
{
    if (place == s_dropMark)
        return;
    int old = s_dropMark;
    s_dropMark = place;
    RedrawAround(list, old);
    RedrawAround(list, place);
}

static void EndDrag(HWND list)
{
    int mark = s_dropMark;
    s_pressed = false;
    s_dragging = false;
    s_dropMark = -1;
    RedrawAround(list, mark);
}

// Held beyond the top or the bottom edge, the list scrolls a row a move.
static void ScrollTowards(HWND list, POINT point)
{
    RECT client;
    GetClientRect(list, &client);
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    if (point.y < client.top && top > 0)
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top - 1), 0);
    else if (point.y >= client.bottom)
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top + 1), 0);
}

static bool PastDragDistance(POINT point)
{
    return abs(point.x - s_pressedAt.x) > GetSystemMetrics(SM_CXDRAG) ||
           abs(point.y - s_pressedAt.y) > GetSystemMetrics(SM_CYDRAG);
}

static void OnPressed(HWND list, POINT point)
{
    s_dragFrom = ItemAt(list, point);
    s_pressed = s_dragFrom >= 0;
    s_dragging = false;
    s_pressedAt = point;
}

// True when the move belongs to a drag, and not to the list's own tracking.
static bool OnMoved(HWND list, WPARAM keys, POINT point)
{
    if (!s_pressed || (keys & MK_LBUTTON) == 0)
        return false;
    if (!s_dragging && !PastDragDistance(point))
        return false;
    s_dragging = true;
    ScrollTowards(list, point);
    ShowDropMark(list, DropPlace(list, point));
    return true;
}

// Where a drag released at the point moves its entry; -1 for no drag, a
// drop outside the list and a drop on the entry's own place.
static int DragTarget(HWND list, POINT point)
{
    int place = s_dragging ? DropPlace(list, point) : -1;
    if (place < 0)
        return -1;
    int to = place > s_dragFrom ? place - 1 : place;
    return to != s_dragFrom && s_dragFrom < ListCount(list) ? to : -1;
}

static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter is the list's own while it has the focus, not the default button's;
        // during a drag every key is, so that Escape ends the drag.
        LRESULT code = CallWindowProcA(s_listProc, list, message, wParam, lParam);
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (s_dragging)
            return code | DLGC_WANTALLKEYS;
        if (key != NULL && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return code | DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        // The list lets go of the mouse at the button's release as ever.
        if (s_dragging && wParam == VK_ESCAPE) {
            EndDrag(list);
            return 0;
        }
        if (wParam == VK_RETURN) {
            SendCommand(GetParent(list), IDM_PLAY_SELECTED);
            return 0;
        }
        if (wParam == VK_DELETE) {
            SendCommand(GetParent(list), IDC_REMOVE);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        OnPressed(list, point);
        break;
    case WM_MOUSEMOVE:
        if (OnMoved(list, wParam, point))
            return 0;
        break;
    case WM_LBUTTONUP: {
        int from = s_dragFrom;
        int to = DragTarget(list, point);
        EndDrag(list);
        // The list lets go of the mouse and ends its own tracking first.
        LRESULT result = CallWindowProcA(s_listProc, list, message, wParam, lParam);
        if (to >= 0)
            MoveEntry(GetParent(list), from, to);
        return result;
    }
    case WM_CAPTURECHANGED:
        if (s_dragging)
            EndDrag(list);
        s_pressed = false;
        break;
    case WM_LBUTTONDBLCLK: {
        LRESULT result = CallWindowProcA(s_listProc, list, message, wParam, lParam);
        int index = ItemAt(list, point);
        if (index >= 0) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendCommand(GetParent(list), IDM_PLAY_SELECTED);
        }
        return result;
    }
    default:
        break;
    }
    return CallWindowProcA(s_listProc, list, message, wParam, lParam);
}

void WatchListInput(HWND window)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    s_pressed = false;
    s_dragging = false;
    s_dropMark = -1;
    s_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
}
