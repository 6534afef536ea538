// Window position and the three options, kept per user in the registry.
#include <windows.h>

#include "shell.h"
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

void LoadSettings(HWND window)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        for (int i = 0; i < OPTION_COUNT; ++i)
            *PlayOptionFlag(i) = 0;
        RefreshOptionDisplay(window);
        return;
    }
    RestoreWindowPosition(window, key);
    for (int i = 0; i < OPTION_COUNT; ++i) {
        int32_t* flag = PlayOptionFlag(i);
        if (!ReadDword(key, OPTION_VALUE_NAMES[i], flag, true))
            *flag = 0;
    }
    RefreshOptionDisplay(window);
    RegCloseKey(key);
}

void SaveSettings(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    WriteDword(key, "x", rect.left);
    WriteDword(key, "y", rect.top);
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
