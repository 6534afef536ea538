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

// The box's own font, which the dialog manager gives every control and
// rescales when the box moves to a screen of another DPI. The stock GUI
// font is made once, for the DPI the system started with.
static HGDIOBJ LinkFont(HWND link)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
    return font != NULL ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
}

void PaintWebLink(HDC dc, HWND link)
{
    char text[LINK_TEXT_CAPACITY];
    GetWindowTextA(link, text, LINK_TEXT_CAPACITY - 1);
    RECT rect;
    GetLinkRect(link, &rect);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LINK_BLUE);
    HGDIOBJ oldFont = SelectObject(dc, LinkFont(link));
    DrawTextA(dc, text, -1, &rect, LINK_TEXT_FORMAT);
    SelectObject(dc, oldFont);

    HPEN pen = CreatePen(PS_SOLID, 0, LINK_BLUE);
    SelectObject(dc, pen);
    // The underline spans the whole rectangle, whatever the text's length,
    // a pixel thick for each 96 DPI.
    UINT dpi = WindowDpi(link);
    int thickness = dpi > STANDARD_DPI ? static_cast<int>(dpi / STANDARD_DPI) : 1;
    for (int row = 1; row <= thickness; ++row) {
        MoveToEx(dc, rect.left, rect.bottom - row, NULL);
        LineTo(dc, rect.right - 1, rect.bottom - row);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

// The hand at the cursor size of the box's DPI, loaded again only when that
// size changes; the one it replaces goes once it is no longer shown.
static void ShowLinkHand(HWND box)
{
    static HCURSOR hand = NULL;
    static int handSize = 0;
    int size = MetricForDpi(SM_CXCURSOR, WindowDpi(box));
    if (hand != NULL && size == handSize) {
        SetCursor(hand);
        return;
    }
    HCURSOR fresh = static_cast<HCURSOR>(
        LoadImageA(g_instance, MAKEINTRESOURCEA(IDC_LINKHAND), IMAGE_CURSOR, size, size, 0));
    if (fresh == NULL)
        fresh = LoadCursorA(g_instance, MAKEINTRESOURCEA(IDC_LINKHAND));
    SetCursor(fresh);
    if (hand != NULL)
        DestroyCursor(hand);
    hand = fresh;
    handSize = size;
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
        ShowLinkHand(GetParent(link));
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

// The dialog manager goes on to rescale the controls; the link, drawn by
// hand, is drawn again over its new rectangle.
static BOOL OnAboutDpiChanged(HWND box, const RECT* suggested)
{
    FollowDpiChange(box, suggested);
    InvalidateRect(box, NULL, TRUE);
    return FALSE;
}

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:  return TRUE;
    case WM_PAINT:       return OnAboutPaint(box);
    case WM_SETCURSOR:
    case WM_LBUTTONUP:   return HandleWebLink(message, GetDlgItem(box, IDC_WEBLINK));
    case WM_COMMAND:     return OnAboutCommand(box, LOWORD(wParam));
    case WM_DPICHANGED:  return OnAboutDpiChanged(box, reinterpret_cast<const RECT*>(lParam));
    default:             return FALSE;
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
