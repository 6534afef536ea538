// The main window's layout as it grows: the list takes every extra pixel, the
// groups of buttons keep their place against the right edge and the status
// line against the bottom. The template's size is the smallest it can be.
#include <windows.h>

#include "shell.h"
#include "resource.h"

enum Anchor {
    ANCHOR_RIGHT = 1,     // moves with the right edge
    ANCHOR_BOTTOM = 2,    // moves with the bottom edge
    STRETCH_WIDTH = 4,    // its right side follows the right edge
    STRETCH_HEIGHT = 8    // its bottom side follows the bottom edge
};

struct Placed {
    int id;
    const char* groupTitle;  // a group box has no id of its own
    int anchors;
};

static const Placed PLACED[] = {
    {IDC_PLAYLIST, NULL, STRETCH_WIDTH | STRETCH_HEIGHT},
    {IDM_START, NULL, ANCHOR_RIGHT},
    {IDM_PAUSE, NULL, ANCHOR_RIGHT},
    {IDM_STOP, NULL, ANCHOR_RIGHT},
    {IDC_AUTO_EXIT, NULL, ANCHOR_RIGHT},
    {IDC_ADD, NULL, ANCHOR_RIGHT},
    {IDC_REMOVE, NULL, ANCHOR_RIGHT},
    {IDC_UP, NULL, ANCHOR_RIGHT},
    {IDC_DOWN, NULL, ANCHOR_RIGHT},
    {IDC_VOLUME_LABEL, NULL, ANCHOR_RIGHT},
    {IDC_VOLUME, NULL, ANCHOR_RIGHT},
    {IDCANCEL, NULL, ANCHOR_RIGHT},
    {IDC_EXIT, NULL, ANCHOR_RIGHT},
    {-1, "Play control", ANCHOR_RIGHT},
    {-1, "Playlist selections", ANCHOR_RIGHT},
    {IDC_STATUS, NULL, ANCHOR_BOTTOM | STRETCH_WIDTH},
    {IDC_TIME, NULL, ANCHOR_RIGHT | ANCHOR_BOTTOM},
};
static const int PLACED_COUNT = sizeof PLACED / sizeof PLACED[0];

// Each control's place in the template's window, the template's client and
// window sizes, and the DPI they were measured at.
static HWND s_controls[PLACED_COUNT];
static RECT s_places[PLACED_COUNT];
static SIZE s_client = {0, 0};
static SIZE s_window = {0, 0};
static UINT s_dpi = STANDARD_DPI;
// The window's place when last neither maximised nor minimised, and whether
// it is either now (as its last WM_SIZE said). A maximise or minimise may
// move the window before its WM_SIZE says so: the place that move replaced
// is kept to be put back.
static RECT s_restored = {0, 0, 0, 0};
static RECT s_beforeLastMove = {0, 0, 0, 0};
static bool s_movedSinceSize = false;
static bool s_zoomedOrIconic = false;

static int Scaled(int value, UINT dpi)
{
    return value * static_cast<int>(dpi) / static_cast<int>(s_dpi);
}

static HWND FindPlaced(HWND window, const Placed& placed)
{
    if (placed.groupTitle != NULL)
        return FindWindowExA(window, NULL, "Button", placed.groupTitle);
    return GetDlgItem(window, placed.id);
}

void RememberTemplateLayout(HWND window)
{
    for (int i = 0; i < PLACED_COUNT; ++i) {
        HWND control = FindPlaced(window, PLACED[i]);
        s_controls[i] = control;
        RECT none = {0, 0, 0, 0};
        s_places[i] = none;
        if (control == NULL)
            continue;
        GetWindowRect(control, &s_places[i]);
        ScreenToClient(window, reinterpret_cast<POINT*>(&s_places[i].left));
        ScreenToClient(window, reinterpret_cast<POINT*>(&s_places[i].right));
    }
    RECT client;
    GetClientRect(window, &client);
    s_client.cx = client.right;
    s_client.cy = client.bottom;
    RECT outer;
    GetWindowRect(window, &outer);
    s_window.cx = outer.right - outer.left;
    s_window.cy = outer.bottom - outer.top;
    s_restored = outer;
    s_movedSinceSize = false;
    s_zoomedOrIconic = false;
    s_dpi = WindowDpi(window);
}

void ForgetTemplateLayout()
{
    s_client.cx = s_client.cy = 0;
    s_window.cx = s_window.cy = 0;
}

SIZE SmallestWindowSize(HWND window)
{
    UINT dpi = WindowDpi(window);
    SIZE size = {Scaled(s_window.cx, dpi), Scaled(s_window.cy, dpi)};
    return size;
}

void LimitWindowSize(HWND window, MINMAXINFO* limits)
{
    if (s_window.cx == 0)
        return;  // asked before the template was measured
    SIZE smallest = SmallestWindowSize(window);
    limits->ptMinTrackSize.x = smallest.cx;
    limits->ptMinTrackSize.y = smallest.cy;
}

void RememberNormalWindowRect(HWND window)
{
    if (s_window.cx == 0 || s_zoomedOrIconic)
        return;
    s_beforeLastMove = s_restored;
    s_movedSinceSize = true;
    GetWindowRect(window, &s_restored);
}

RECT NormalWindowRect(HWND window)
{
    RECT place;
    if (s_zoomedOrIconic)
        return s_restored;
    GetWindowRect(window, &place);
    return place;
}

static RECT PlaceFor(int i, UINT dpi, int extraWidth, int extraHeight)
{
    RECT place = {Scaled(s_places[i].left, dpi), Scaled(s_places[i].top, dpi), Scaled(s_places[i].right, dpi),
                  Scaled(s_places[i].bottom, dpi)};
    int anchors = PLACED[i].anchors;
    if (anchors & ANCHOR_RIGHT)
        OffsetRect(&place, extraWidth, 0);
    if (anchors & ANCHOR_BOTTOM)
        OffsetRect(&place, 0, extraHeight);
    if (anchors & STRETCH_WIDTH)
        place.right += extraWidth;
    if (anchors & STRETCH_HEIGHT)
        place.bottom += extraHeight;
    return place;
}

void LayOutMainWindow(HWND window, WPARAM how)
{
    if (s_client.cx == 0)
        return;
    bool zoomedOrIconic = how == SIZE_MAXIMIZED || how == SIZE_MINIMIZED;
    if (zoomedOrIconic && !s_zoomedOrIconic && s_movedSinceSize)
        s_restored = s_beforeLastMove;
    s_movedSinceSize = false;
    s_zoomedOrIconic = zoomedOrIconic;
    if (how == SIZE_MINIMIZED)
        return;
    if (!zoomedOrIconic)
        GetWindowRect(window, &s_restored);
    UINT dpi = WindowDpi(window);
    RECT client;
    GetClientRect(window, &client);
    int extraWidth = client.right - Scaled(s_client.cx, dpi);
    int extraHeight = client.bottom - Scaled(s_client.cy, dpi);
    for (int i = 0; i < PLACED_COUNT; ++i) {
        if (s_controls[i] == NULL)
            continue;
        RECT place = PlaceFor(i, dpi, extraWidth, extraHeight);
        SetWindowPos(s_controls[i], NULL, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The group boxes draw no background of their own.
    InvalidateRect(window, NULL, TRUE);
}
