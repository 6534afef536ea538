// The find box's list: the rows of the entries that hold the query, with
// their texts as the queue shows them. The queue is indexed as the box opens and kept in
// step with the queue's changes, so that a key only searches.
#include <windows.h>

#include <cstdio>

#include "find_parts.h"
#include "shell.h"
#include "../playlist/playlist.h"
#include "resource.h"

static HWND s_window = NULL;
static FindIndex s_index;
static bool s_wholeIndex = true;
// Entries appended since the queue was indexed, or moves it could not follow.
static bool s_stale = false;
static bool s_rebuild = false;
// The first records that hold the query; the rows carry their numbers.
// No one reads past the first thousand rows: a few more letters narrow them,
// and a short list fills at every key however long the queue.
static const size_t MOST_ROWS = 1000;
static size_t s_found[MOST_ROWS];

static const int QUERY_CAPACITY = TEXT_CAPACITY;
static const int COUNT_TEXT_CAPACITY = 80;

static HWND MatchList(HWND box)
{
    return GetDlgItem(box, IDC_FIND_MATCHES);
}

void IndexQueueForBox(HWND window)
{
    s_window = window;
    EmptyFindIndex(&s_index);
    s_wholeIndex = IndexQueueForFind(window, &s_index);
    s_stale = false;
    s_rebuild = false;
}

bool MatchesStale()
{
    return s_stale;
}

void IndexAgainForTitles()
{
    s_stale = true;
    s_rebuild = true;
}

void ReleaseMatches()
{
    FreeFindIndex(&s_index);
    s_stale = false;
    s_rebuild = false;
}

// The list index of a record's entry: its own while the index is fresh,
// else wherever the entry went, -1 once it is gone.
static int EntryIndexOf(size_t record)
{
    if (record >= s_index.count)
        return -1;
    const void* entry = s_index.records[record].entry;
    if (GetEntry(s_window, static_cast<int>(record)) == entry)
        return static_cast<int>(record);
    return FindEntryIndex(s_window, static_cast<const PlaylistEntry*>(entry));
}

static size_t ChosenRecord(HWND box)
{
    LRESULT row = SendMessageA(MatchList(box), LB_GETCURSEL, 0, 0);
    if (row < 0)
        return s_index.count;
    return static_cast<size_t>(SendMessageA(MatchList(box), LB_GETITEMDATA, static_cast<WPARAM>(row), 0));
}

int ChosenEntryIndex(HWND box)
{
    return EntryIndexOf(ChosenRecord(box));
}

static void ShowCount(HWND box, size_t found, int rows)
{
    char text[COUNT_TEXT_CAPACITY];
    unsigned long all = static_cast<unsigned long>(s_index.count);
    if (!s_wholeIndex)
        std::snprintf(text, sizeof text, "Out of memory: only %lu entries searched", all);
    else if (found > static_cast<size_t>(rows))
        std::snprintf(text, sizeof text, "%lu of %lu entries, first %d shown", static_cast<unsigned long>(found), all,
                      rows);
    else
        std::snprintf(text, sizeof text, "%lu of %lu entries", static_cast<unsigned long>(found), all);
    SetDlgItemTextA(box, IDC_FIND_COUNT, text);
}

bool ShowMatches(HWND box, const void* kept)
{
    char query[QUERY_CAPACITY];
    GetDlgItemTextA(box, IDC_FIND_TEXT, query, QUERY_CAPACITY);
    char16_t units[QUERY_CAPACITY];
    size_t length = LowerFindQuery(query, units, QUERY_CAPACITY);
    size_t found = FindRecords(&s_index, units, length, s_found, MOST_ROWS);
    size_t shown = found < MOST_ROWS ? found : MOST_ROWS;
    HWND list = MatchList(box);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, shown, 0);
    int chosen = kept != NULL ? -1 : 0;
    int rows = 0;
    // Each row holds its entry's text, which a screen reader reads.
    HWND queue = GetDlgItem(s_window, IDC_PLAYLIST);
    for (; static_cast<size_t>(rows) < shown; ++rows) {
        size_t record = s_found[rows];
        char text[TEXT_CAPACITY];
        GetListItemText(queue, static_cast<int>(record), text);
        LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (row < 0)
            break;
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(record));
        if (kept != NULL && s_index.records[record].entry == kept)
            chosen = rows;
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(chosen < 0 && rows > 0 ? 0 : chosen), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    ShowCount(box, found, rows);
    EnableWindow(GetDlgItem(box, IDOK), rows > 0);
    EnableWindow(GetDlgItem(box, IDC_FIND_SELECT), rows > 0);
    return chosen >= 0;
}

static const void* ChosenEntry(HWND box)
{
    size_t record = ChosenRecord(box);
    return record < s_index.count ? s_index.records[record].entry : NULL;
}

bool RefreshMatches(HWND box)
{
    const void* chosen = ChosenEntry(box);
    if (s_rebuild)
        EmptyFindIndex(&s_index);
    s_wholeIndex = IndexQueueForFind(s_window, &s_index);
    s_stale = false;
    s_rebuild = false;
    return ShowMatches(box, chosen) && chosen != NULL;
}

bool FollowQueueChange(HWND box, QueueChange change, int index, int toIndex)
{
    if (change == QUEUE_APPENDED) {
        s_stale = true;
        return false;
    }
    const void* chosen = ChosenEntry(box);
    size_t held = s_index.count;
    if (change == QUEUE_CLEARED) {
        EmptyFindIndex(&s_index);
        s_stale = false;
    } else if (change == QUEUE_REMOVED) {
        RemoveFindRecord(&s_index, static_cast<size_t>(index));
    } else if (static_cast<size_t>(index) < held && static_cast<size_t>(toIndex) < held) {
        MoveFindRecord(&s_index, static_cast<size_t>(index), static_cast<size_t>(toIndex));
    } else {
        // An entry not indexed yet moved among those that are.
        s_stale = true;
        s_rebuild = true;
        return false;
    }
    ShowMatches(box, chosen);
    return true;
}

// One row holds the box's font's line.
void MeasureMatch(HWND box, MEASUREITEMSTRUCT* item)
{
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    RECT line = {0, 0, 0, 0};
    DrawTextA(dc, "Ag", -1, &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    item->itemHeight = static_cast<UINT>(line.bottom > 0 ? line.bottom : GetSystemMetrics(SM_CYMENU));
}

void DrawMatch(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    if (item->itemID == static_cast<UINT>(-1) || item->itemAction == ODA_FOCUS) {
        if ((item->itemState & ODS_FOCUS) != 0 || item->itemAction == ODA_FOCUS)
            DrawFocusRect(dc, &item->rcItem);
        return;
    }
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    // FillRect takes a system colour's index plus one for a brush of that colour.
    int background = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    FillRect(dc, &item->rcItem, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1)));
    char text[TEXT_CAPACITY];
    GetListItemText(item->hwndItem, static_cast<int>(item->itemID), text);
    // GDI reads an ANSI text in the system's code page, not in the UTF-8 the
    // manifest gives the process: drawn in UTF-16, which 95 draws too.
    WCHAR wide[TEXT_CAPACITY];
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, TEXT_CAPACITY);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ExtTextOutW(dc, item->rcItem.left + GetSystemMetrics(SM_CXEDGE), item->rcItem.top, ETO_CLIPPED, &item->rcItem,
                wide, static_cast<UINT>(length > 0 ? length - 1 : 0), NULL);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    if ((item->itemState & ODS_FOCUS) != 0)
        DrawFocusRect(dc, &item->rcItem);
}
