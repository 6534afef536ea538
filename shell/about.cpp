// The about box with its self-drawn web link, and the help page.
#include <windows.h>
#include <shellapi.h>

#include "shell.h"
#include "../app/app.h"
#include "resource.h"

static const int LINK_TEXT_CAPACITY = 400;
static const COLORREF LINK_BLUE = RGB(0, 0, 255);
static const UINT LINK_TEXT_FORMAT = DT_CENTER | DT_VCENTER | DT_NOPREFIX;
// ShellExecuteA reports success with a value above 32.
static const INT_PTR SHELL_EXECUTE_FAILED = 32;

static const char WEB_FAILURE_TEXT[] =
    "Could not access website: You do not appear to have a properly configured web browser.";
static const char HELP_FAILURE_TEXT[] =
    "Cannot load help file.  Either the help file is missing, or you do not have a properly "
    "configured WWW browser (such as Internet Explorer or Netscape).";

void ShowAboutBox(HWND owner)
{
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
}

// The link control's client rectangle in the about box's client coordinates.
static void GetLinkRect(HWND link, RECT* rect)
{
    GetClientRect(link, rect);
    POINT origin = {0, 0};
    ClientToScreen(link, &origin);
    ScreenToClient(GetParent(link), &origin);
    OffsetRect(rect, origin.x, origin.y);
}

void PaintWebLink(HDC dc, HWND link)
{
    char text[LINK_TEXT_CAPACITY];
    GetWindowTextA(link, text, LINK_TEXT_CAPACITY - 1);
    RECT rect;
    GetLinkRect(link, &rect);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LINK_BLUE);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, text, -1, &rect, LINK_TEXT_FORMAT);

    HPEN pen = CreatePen(PS_SOLID, 0, LINK_BLUE);
    SelectObject(dc, pen);
    // The underline spans the whole rectangle, whatever the text's length.
    MoveToEx(dc, rect.left, rect.bottom - 1, NULL);
    LineTo(dc, rect.right - 1, rect.bottom - 1);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

BOOL HandleWebLink(UINT message, HWND link)
{
    RECT rect;
    GetWindowRect(link, &rect);
    POINT cursor;
    GetCursorPos(&cursor);
    if (!PtInRect(&rect, cursor))
        return FALSE;
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorA(g_instance, MAKEINTRESOURCEA(IDC_LINKHAND)));
        return TRUE;
    }
    char text[LINK_TEXT_CAPACITY];
    GetWindowTextA(link, text, LINK_TEXT_CAPACITY - 1);
    HWND box = GetParent(link);
    INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteA(box, "open", text, NULL, NULL, SW_SHOWNORMAL));
    if (result <= SHELL_EXECUTE_FAILED)
        MessageBoxA(box, WEB_FAILURE_TEXT, "Vireo", MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

static BOOL OnAboutPaint(HWND box)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    PaintWebLink(dc, GetDlgItem(box, IDC_WEBLINK));
    EndPaint(box, &paint);
    return TRUE;
}

static BOOL OnAboutCommand(HWND box, int id)
{
    // Only OK closes the box; Escape and the close box send IDCANCEL, which is ignored.
    if (id != IDOK)
        return FALSE;
    EndDialog(box, 0);
    return TRUE;
}

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_PAINT:      return OnAboutPaint(box);
    case WM_SETCURSOR:
    case WM_LBUTTONUP:  return HandleWebLink(message, GetDlgItem(box, IDC_WEBLINK));
    case WM_COMMAND:    return OnAboutCommand(box, LOWORD(wParam));
    default:            return FALSE;
    }
}

void OpenHelpPage(HWND owner)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH - 1);
    path[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';
    if (!MakeHelpPagePath(path))
        return;
    INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", path, NULL, NULL, SW_SHOWNORMAL));
    if (result <= SHELL_EXECUTE_FAILED)
        MessageBoxA(owner, HELP_FAILURE_TEXT, "Vireo", MB_OK | MB_ICONINFORMATION);
}
