// The main window grows: the list takes every extra pixel, the buttons keep
// their place against the right edge and the status line against the bottom;
// it cannot be made smaller than its template. Run at every DPI the fit
// checks use (dpi_test.cpp).
#include "scenario.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

RECT PlaceOf(HWND window, HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(NULL, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

SIZE OuterSize(HWND window)
{
    RECT outer;
    GetWindowRect(window, &outer);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// Where a control of the template's layout goes when the client grows by dx, dy.
RECT Expected(int id, RECT place, int dx, int dy)
{
    switch (id) {
    case IDC_PLAYLIST:
        place.right += dx;
        place.bottom += dy;
        break;
    case IDC_STATUS:
    case IDC_QUEUE_SUMMARY:
        OffsetRect(&place, 0, dy);
        place.right += dx;
        break;
    case IDC_TIME:
        OffsetRect(&place, dx, dy);
        break;
    case IDC_MAILBOX:
        break;
    default:
        OffsetRect(&place, dx, 0);
        break;
    }
    return place;
}

}  // namespace

TEST_F(Scenario, TheListTakesEveryExtraPixelAndTheRestKeepsToTheEdges)
{
    Open();
    std::vector<HWND> controls;
    std::vector<RECT> before;
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
        before.push_back(PlaceOf(window, child));
    }
    const SIZE smallest = OuterSize(window);
    MINMAXINFO limits = {};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(smallest.cx, limits.ptMinTrackSize.x);
    EXPECT_EQ(smallest.cy, limits.ptMinTrackSize.y);

    // As much larger as the screen allows: at 192 DPI the template's width
    // nearly fills Wine's screen here.
    const int dx = std::min(MulDiv(160, static_cast<int>(WindowDpi(window)), STANDARD_DPI),
                            GetSystemMetrics(SM_CXMAXTRACK) - static_cast<int>(smallest.cx));
    const int dy = std::min(MulDiv(120, static_cast<int>(WindowDpi(window)), STANDARD_DPI),
                            GetSystemMetrics(SM_CYMAXTRACK) - static_cast<int>(smallest.cy));
    std::printf("grown by %d x %d pixels\n", dx, dy);
    SetWindowPos(window, NULL, 0, 0, smallest.cx + dx, smallest.cy + dy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(window, &client);
    RECT list = PlaceOf(window, GetDlgItem(window, IDC_PLAYLIST));
    for (size_t i = 0; i < controls.size(); ++i) {
        int id = GetDlgCtrlID(controls[i]);
        RECT wanted = Expected(id, before[i], dx, dy);
        RECT place = PlaceOf(window, controls[i]);
        EXPECT_TRUE(EqualRect(&wanted, &place)) << "control " << id << " at " << place.left << "," << place.top
                                                << " " << place.right << "," << place.bottom;
        RECT overlap;
        if (id != IDC_PLAYLIST && id != IDC_MAILBOX) {
            EXPECT_FALSE(IntersectRect(&overlap, &place, &list)) << "control " << id << " over the list";
            EXPECT_TRUE(place.right <= client.right && place.bottom <= client.bottom) << "control " << id;
        }
    }

    // Asked to be smaller than the template, it keeps the template's size.
    SetWindowPos(window, NULL, 0, 0, smallest.cx - 40, smallest.cy - 40, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(smallest.cx, OuterSize(window).cx);
    EXPECT_EQ(smallest.cy, OuterSize(window).cy);
    for (size_t i = 0; i < controls.size(); ++i) {
        RECT place = PlaceOf(window, controls[i]);
        EXPECT_TRUE(EqualRect(&before[i], &place)) << "control " << GetDlgCtrlID(controls[i]) << " back in place";
    }
}
