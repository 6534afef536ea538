// The DPI each window is drawn at. Windows 10 1607 and later tell it per
// window; earlier systems have one DPI for the whole screen. The newer
// functions are looked up, not imported, so that older loaders still start
// the program.
#include <windows.h>

#include "shell.h"
#include "../app/system_functions.h"

// Looked up at each call: a function-local static would bring in the
// run-time's thread-safe initialisation and the imports that come with it.
UINT WindowDpi(HWND window)
{
    UINT(WINAPI * dpiForWindow)(HWND) = NULL;
    if (FindSystemFunction("user32.dll", "GetDpiForWindow", &dpiForWindow)) {
        UINT dpi = dpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : STANDARD_DPI;
}

int MetricForDpi(int index, UINT dpi)
{
    int(WINAPI * metricForDpi)(int, UINT) = NULL;
    // Where the function is missing, so is any DPI but the screen's.
    return FindSystemFunction("user32.dll", "GetSystemMetricsForDpi", &metricForDpi) ? metricForDpi(index, dpi)
                                                                                       : GetSystemMetrics(index);
}

void FollowDpiChange(HWND window, const RECT* suggested)
{
    SetWindowPos(window, NULL, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
