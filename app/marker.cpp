// The running-instance marker: a volatile key holding the owner's process id.
#include <windows.h>

#include "app.h"
#include "../shell/shell.h"

static const char MARKER_KEY[] = "Software\\Tallgrass\\Vireo\\running";
static const char MARKER_VALUE[] = "pid";

static void WriteMarkerPid(HKEY marker)
{
    DWORD pid = GetCurrentProcessId();
    RegSetValueExA(marker, MARKER_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid), sizeof pid);
}

HKEY AcquireRunningMarker()
{
    // Parents that the volatile marker key brings along are volatile too, and
    // the settings saved under them would be gone after the session: make the
    // settings key an ordinary one first.
    HKEY settings = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_READ, NULL, &settings,
                        NULL) == ERROR_SUCCESS)
        RegCloseKey(settings);
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

// The id the marker names: false when its value is missing or not one id.
static bool ReadMarkerPid(HKEY marker, DWORD* pid)
{
    DWORD type = 0;
    DWORD size = sizeof *pid;
    return RegQueryValueExA(marker, MARKER_VALUE, NULL, &type, reinterpret_cast<BYTE*>(pid), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof *pid;
}

bool IsMarkerStale(HKEY marker)
{
    DWORD pid = 0;
    if (!ReadMarkerPid(marker, &pid))
        return true;
    // Id 0 makes the version query report on this process itself, and our own
    // id can only be a dead owner's that the system has handed out again.
    if (pid == 0 || pid == GetCurrentProcessId())
        return true;
    if (!ProcessRuns(pid))
        return true;
    return GetProcessVersion(pid) != GetProcessVersion(0);
}

// One that cannot be opened for another reason than its absence (another
// user's, or one running raised) counts as running. Its exit code is asked
// for rather than waited on: the right to wait on an opened process is
// NT's alone.
bool ProcessRuns(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == NULL)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

// Whether the marker still names this process: a later start may have taken a
// marker over that it wrongly found stale, and its key is not ours to delete.
static bool MarkerNamesThisProcess(HKEY marker)
{
    DWORD pid = 0;
    return ReadMarkerPid(marker, &pid) && pid == GetCurrentProcessId();
}

void ReleaseRunningMarker(HKEY marker)
{
    if (marker == NULL)
        return;
    bool owned = MarkerNamesThisProcess(marker);
    RegCloseKey(marker);
    if (owned)
        RegDeleteKeyA(HKEY_CURRENT_USER, MARKER_KEY);
}
