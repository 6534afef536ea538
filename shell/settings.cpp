// Window position and size, the three options and the volume, kept per user
// in the registry.
#include <windows.h>

#include "shell.h"
#include "../playback/playback.h"
#include "resource.h"

const char SETTINGS_KEY[] = "Software\\Tallgrass\\Vireo";

static const char* const OPTION_VALUE_NAMES[OPTION_COUNT] = {"cue mode", "repeat", "random"};
static const int OPTIONS_MENU_POSITION = 1;

PlayOptions g_playOptions;

int32_t* PlayOptionFlag(int index)
{
    switch (index) {
    case 0:  return &g_playOptions.cueMode;
    case 1:  return &g_playOptions.repeat;
    default: return &g_playOptions.random;
    }
}

// Exactly 4 bytes, or false: a wider or narrower value is not a number of ours.
// The options must also be REG_DWORD; the position's type is not looked at.
static bool ReadDword(HKEY key, const char* name, int32_t* value, bool requireDword)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (size != sizeof data || (requireDword && type != REG_DWORD))
        return false;
    *value = static_cast<int32_t>(data);
    return true;
}

static void WriteDword(HKEY key, const char* name, int32_t value)
{
    DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

static void RestoreWindowPosition(HWND window, HKEY key)
{
    int32_t x = 0;
    int32_t y = 0;
    // Without a usable "x" the window stays where its template puts it; a
    // missing or unusable "y" with it gives the template's top edge.
    if (!ReadDword(key, "x", &x, false))
        return;
    if (!ReadDword(key, "y", &y, false)) {
        RECT rect;
        GetWindowRect(window, &rect);
        y = rect.top;
    }
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

// The virtual screen spans every monitor; 95 and NT 4.0 know only the one.
static int ScreenSpan(int virtualMetric, int screenMetric)
{
    int span = GetSystemMetrics(virtualMetric);
    return span > 0 ? span : GetSystemMetrics(screenMetric);
}

// A size smaller than the template's or larger than every screen together
// is nobody's: the window keeps the template's.
static void RestoreWindowSize(HWND window, HKEY key)
{
    int32_t width = 0;
    int32_t height = 0;
    if (!ReadDword(key, "width", &width, true) || !ReadDword(key, "height", &height, true))
        return;
    SIZE smallest = SmallestWindowSize(window);
    if (width < smallest.cx || height < smallest.cy || width > ScreenSpan(SM_CXVIRTUALSCREEN, SM_CXSCREEN) ||
        height > ScreenSpan(SM_CYVIRTUALSCREEN, SM_CYSCREEN))
        return;
    SetWindowPos(window, NULL, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
}

static int ReadVolume(HKEY key)
{
    int32_t volume = FULL_VOLUME;
    if (key == NULL || !ReadDword(key, "volume", &volume, true) || volume < 0 || volume > FULL_VOLUME)
        return FULL_VOLUME;
    return volume;
}

void LoadSettings(HWND window)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        for (int i = 0; i < OPTION_COUNT; ++i)
            *PlayOptionFlag(i) = 0;
        RefreshOptionDisplay(window);
        ShowVolume(window, FULL_VOLUME);
        return;
    }
    RestoreWindowPosition(window, key);
    RestoreWindowSize(window, key);
    for (int i = 0; i < OPTION_COUNT; ++i) {
        int32_t* flag = PlayOptionFlag(i);
        if (!ReadDword(key, OPTION_VALUE_NAMES[i], flag, true))
            *flag = 0;
    }
    RefreshOptionDisplay(window);
    ShowVolume(window, ReadVolume(key));
    RegCloseKey(key);
}

void SaveSettings(HWND window)
{
    // A maximised window keeps the place it goes back to.
    RECT rect = NormalWindowRect(window);
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    WriteDword(key, "x", rect.left);
    WriteDword(key, "y", rect.top);
    WriteDword(key, "width", rect.right - rect.left);
    WriteDword(key, "height", rect.bottom - rect.top);
    WriteDword(key, "volume", MediaVolume());
    for (int i = 0; i < OPTION_COUNT; ++i)
        WriteDword(key, OPTION_VALUE_NAMES[i], *PlayOptionFlag(i));
    RegCloseKey(key);
}

void ToggleOption(HWND window, int index)
{
    int32_t* flag = PlayOptionFlag(index);
    *flag = (*flag == 0) ? 1 : 0;
    RefreshOptionDisplay(window);
}

void RefreshOptionDisplay(HWND window)
{
    HMENU options = GetSubMenu(GetMenu(window), OPTIONS_MENU_POSITION);
    for (int i = 0; i < OPTION_COUNT; ++i)
        CheckMenuItem(options, IDM_CUE_MODE + i, MF_BYCOMMAND | (*PlayOptionFlag(i) != 0 ? MF_CHECKED : MF_UNCHECKED));
    EnableWindow(GetDlgItem(window, IDC_AUTO_EXIT), g_playOptions.repeat == 0);
}
