// The running-instance marker: a volatile key holding the owner's process id.
#include <windows.h>

#include "app.h"

static const char MARKER_KEY[] = "Software\\Tallgrass\\Vireo\\running";
static const char MARKER_VALUE[] = "pid";

static void WriteMarkerPid(HKEY marker)
{
    DWORD pid = GetCurrentProcessId();
    RegSetValueExA(marker, MARKER_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid), sizeof pid);
}

HKEY AcquireRunningMarker()
{
    HKEY marker = NULL;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL,
                        &marker, &disposition) != ERROR_SUCCESS)
        return NULL;
    if (disposition == REG_CREATED_NEW_KEY || IsMarkerStale(marker)) {
        WriteMarkerPid(marker);
        return marker;
    }
    RegCloseKey(marker);
    return NULL;
}

bool IsMarkerStale(HKEY marker)
{
    DWORD pid = 0;
    DWORD type = 0;
    DWORD size = sizeof pid;
    if (RegQueryValueExA(marker, MARKER_VALUE, NULL, &type, reinterpret_cast<BYTE*>(&pid), &size) != ERROR_SUCCESS)
        return true;
    if (size != sizeof pid || type != REG_DWORD)
        return true;
    DWORD version = GetProcessVersion(pid);
    if (version == 0)
        return true;
    return version != GetProcessVersion(0);
}

void ReleaseRunningMarker(HKEY marker)
{
    if (marker == NULL)
        return;
    RegCloseKey(marker);
    RegDeleteKeyA(HKEY_CURRENT_USER, MARKER_KEY);
}
