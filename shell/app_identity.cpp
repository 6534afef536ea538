// The name the shell knows Vireo by: an explicit AppUserModelID for the
// process, and under it in the user's classes the display name and picture
// that Windows 10 and 11 show beside the media controls (else "Unknown app").
#include <windows.h>

#include <cstring>

#include "shell.h"
#include "../app/system_functions.h"

static const wchar_t APP_USER_MODEL_ID_WIDE[] = L"Tallgrass.Vireo";
static const char IDENTITY_KEY[] = "Software\\Classes\\AppUserModelId\\Tallgrass.Vireo";
static const char DISPLAY_NAME[] = "Vireo";
// Beside vireo.exe, installed or unzipped with it.
static const char PICTURE_NAME[] = "vireo.png";

void NameProcessForShell()
{
    // Windows 7 and later; it must come before any window shows.
    HRESULT(WINAPI * setId)(PCWSTR);
    if (FindSystemFunction("shell32.dll", "SetCurrentProcessExplicitAppUserModelID", &setId))
        setId(APP_USER_MODEL_ID_WIDE);
}

// The picture beside the program, or false when the path would not fit.
static bool PicturePath(char* path, DWORD capacity)
{
    DWORD length = GetModuleFileNameA(NULL, path, capacity);
    if (length == 0 || length >= capacity)
        return false;
    char* name = std::strrchr(path, '\\');
    size_t folder = name != NULL ? static_cast<size_t>(name - path + 1) : 0;
    if (folder + sizeof PICTURE_NAME > capacity)
        return false;
    std::memcpy(path + folder, PICTURE_NAME, sizeof PICTURE_NAME);
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void SetText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

// Written at each start that shows the controls, so that a portable copy,
// moved or not, names its own picture; the installer writes the same for
// every user.
void RegisterAppIdentity()
{
    // Anew, so that no picture is named that is no longer there.
    RegDeleteKeyA(HKEY_CURRENT_USER, IDENTITY_KEY);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, IDENTITY_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    SetText(key, "DisplayName", DISPLAY_NAME);
    char picture[MAX_PATH];
    if (PicturePath(picture, sizeof picture))
        SetText(key, "IconUri", picture);
    RegCloseKey(key);
}
