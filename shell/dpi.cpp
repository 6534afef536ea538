// The DPI each window is drawn at. Windows 10 1607 and later tell it per
// window; earlier systems have one DPI for the whole screen. The newer
// functions are looked up, not imported, so that older loaders still start
// the program.
#include <windows.h>

#include "shell.h"

typedef UINT(WINAPI* DpiForWindowFunction)(HWND);
typedef int(WINAPI* MetricForDpiFunction)(int, UINT);

static void* User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != NULL ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : NULL;
}

// Looked up at each call: a function-local static would bring in the
// run-time's thread-safe initialisation and the imports that come with it.
UINT WindowDpi(HWND window)
{
    DpiForWindowFunction dpiForWindow = reinterpret_cast<DpiForWindowFunction>(User32Function("GetDpiForWindow"));
    if (dpiForWindow != NULL) {
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
    MetricForDpiFunction metricForDpi =
        reinterpret_cast<MetricForDpiFunction>(User32Function("GetSystemMetricsForDpi"));
    // Where the function is missing, so is any DPI but the screen's.
    return metricForDpi != NULL ? metricForDpi(index, dpi) : GetSystemMetrics(index);
}

void FollowDpiChange(HWND window, const RECT* suggested)
{
    SetWindowPos(window, NULL, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
