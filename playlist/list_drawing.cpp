// The list draws its own items: the text it holds for each (LBS_HASSTRINGS,
// so that LB_GETTEXT still gives every item's title), its length against the
// right edge once known, and the entry that plays or is paused in bold
// behind a play or pause mark.
#include <windows.h>

#include "playlist.h"
#include "../playback/playback.h"
#include "../app/system_functions.h"
#include "resource.h"

// A bold form of the list's font, made when first needed and again when the
// list's font changes (a move to a screen of another DPI).
static HFONT s_boldFont = NULL;
static HFONT s_boldFrom = NULL;

// The mark sits in a square as high as a row; a few pixels of room follow it.
static const int MARK_GAP = 2;
// The mark's corners, in sixteenths of the row height.
static const int MARK_LEFT = 4;
static const int MARK_RIGHT = 12;
static const int MARK_TOP = 3;
static const int MARK_BOTTOM = 13;
static const int SIXTEENTHS = 16;
static const int DROP_LINE_WIDTH = 2;
// The length keeps this far from the edge, and the title this far from it.
static const int LENGTH_MARGIN = 2;
static const int LENGTH_GAP = 8;
static const size_t LENGTH_TEXT_CAPACITY = 32;

// FillRect takes a system colour's index plus one for a brush of that colour.
static HBRUSH SystemColorBrush(int index)
{
    return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(index + 1));
}

static HFONT ListFont(HWND list)
{
    return reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
}

static HFONT BoldFont(HWND list)
{
    HFONT font = ListFont(list);
    if (s_boldFont != NULL && s_boldFrom == font)
        return s_boldFont;
    ReleaseListDrawing();
    LOGFONTA shape;
    HGDIOBJ base = font != NULL ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
    if (GetObjectA(base, sizeof shape, &shape) == 0)
        return font;
    shape.lfWeight = FW_BOLD;
    s_boldFont = CreateFontIndirectA(&shape);
    s_boldFrom = font;
    return s_boldFont != NULL ? s_boldFont : font;
}

void ReleaseListDrawing()
{
    if (s_boldFont != NULL)
        DeleteObject(s_boldFont);
    s_boldFont = NULL;
    s_boldFrom = NULL;
}

// One row holds the font's line, as in the platform's own list.
static int RowHeight(HWND fontHolder)
{
    HDC dc = GetDC(fontHolder);
    HGDIOBJ old = SelectObject(dc, ListFont(fontHolder));
    RECT line = {0, 0, 0, 0};
    DrawTextA(dc, "Ag", -1, &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(fontHolder, dc);
    return line.bottom > 0 ? line.bottom : GetSystemMetrics(SM_CYMENU);
}

// Sent while the list is made, before it has a font of its own: the
// dialog's is the one it will get.
void MeasurePlaylistItem(HWND window, MEASUREITEMSTRUCT* item)
{
    item->itemHeight = static_cast<UINT>(RowHeight(window));
}

void FitListItemHeight(HWND window)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(RowHeight(list), 0));
    InvalidateRect(list, NULL, TRUE);
}

void RedrawListItem(HWND window, int index)
{
    if (index < 0)
        return;
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    RECT rect;
    if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(list, &rect, FALSE);
}

// A play mark is a triangle, drawn row by row; a pause mark two bars.
static void DrawMark(HDC dc, const RECT* row, HBRUSH ink)
{
    int size = row->bottom - row->top;
    int left = row->left + size * MARK_LEFT / SIXTEENTHS;
    int right = row->left + size * MARK_RIGHT / SIXTEENTHS;
    int top = row->top + size * MARK_TOP / SIXTEENTHS;
    int bottom = row->top + size * MARK_BOTTOM / SIXTEENTHS;
    if (g_playState == PLAY_PAUSED) {
        int bar = (right - left + 2) / 3;
        RECT first = {left, top, left + bar, bottom};
        RECT second = {right - bar, top, right, bottom};
        FillRect(dc, &first, ink);
        FillRect(dc, &second, ink);
        return;
    }
    int half = (bottom - top) / 2;
    for (int y = top; y < bottom; ++y) {
        int fromMiddle = y - top < half ? half - (y - top) : (y - top) - half;
        int reach = half > 0 ? (right - left) * (half - fromMiddle) / half : 0;
        RECT line = {left, y, left + (reach > 0 ? reach : 1), y + 1};
        FillRect(dc, &line, ink);
    }
}

// The length against the right edge; the title keeps clear of it.
static void DrawLength(HDC dc, const PlaylistEntry* entry, RECT* textRect)
{
    if (entry == NULL || entry->lengthMs < 0)
        return;
    char length[LENGTH_TEXT_CAPACITY];
    FormatDuration(length, sizeof length, entry->lengthMs);
    RECT lengthRect = *textRect;
    lengthRect.right -= LENGTH_MARGIN;
    RECT measured = lengthRect;
    DrawTextA(dc, length, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    DrawTextA(dc, length, -1, &lengthRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    textRect->right = lengthRect.right - (measured.right - measured.left) - LENGTH_GAP;
}

// The process's code page is UTF-8 where the manifest's is honoured (Windows
// 10 1903 on), but GDI's "A" calls read text in the system's legacy one: the
// text goes to GDI in UTF-16 there ("Use UTF-8 code pages in Windows apps").
static void DrawItemText(HDC dc, const char* text, RECT* rect, UINT format)
{
    int(WINAPI * drawWide)(HDC, LPCWSTR, int, LPRECT, UINT) = NULL;
    WCHAR wide[TEXT_CAPACITY];
    if (GetACP() == CP_UTF8 && FindSystemFunction("user32.dll", "DrawTextW", &drawWide) &&
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, TEXT_CAPACITY) > 0)
        drawWide(dc, wide, -1, rect, format);
    else
        DrawTextA(dc, text, -1, rect, format);
}

// A line across the top of the item a dragged entry would land before, or
// across the bottom of the last one.
static void DrawDropLine(HDC dc, const DRAWITEMSTRUCT* item, int count)
{
    int mark = ListDropMark();
    int index = static_cast<int>(item->itemID);
    RECT line = item->rcItem;
    if (mark == index)
        line.bottom = line.top + DROP_LINE_WIDTH;
    else if (mark == count && index == count - 1)
        line.top = line.bottom - DROP_LINE_WIDTH;
    else
        return;
    FillRect(dc, &line, SystemColorBrush(COLOR_WINDOWTEXT));
}

void DrawPlaylistItem(HWND window, const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    if (item->itemID == static_cast<UINT>(-1) || item->itemAction == ODA_FOCUS) {
        if (item->itemState & ODS_FOCUS || item->itemAction == ODA_FOCUS)
            DrawFocusRect(dc, &item->rcItem);
        return;
    }
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    int textColor = item->itemState & ODS_DISABLED ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    COLORREF text = GetSysColor(textColor);
    FillRect(dc, &item->rcItem, SystemColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    HWND list = item->hwndItem;
    const PlaylistEntry* current = CurrentEntry();
    bool isCurrent = current != NULL && item->itemData == reinterpret_cast<ULONG_PTR>(current);
    RECT textRect = item->rcItem;
    textRect.left += (item->rcItem.bottom - item->rcItem.top) + MARK_GAP;
    if (isCurrent)
        DrawMark(dc, &item->rcItem, SystemColorBrush(textColor));

    char itemText[TEXT_CAPACITY];
    GetListItemText(list, static_cast<int>(item->itemID), itemText);
    HGDIOBJ oldFont = SelectObject(dc, isCurrent ? BoldFont(list) : ListFont(list));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, text);
    DrawLength(dc, reinterpret_cast<const PlaylistEntry*>(item->itemData), &textRect);
    DrawItemText(dc, itemText, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);

    DrawDropLine(dc, item, GetEntryCount(window));
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item->rcItem);
}
