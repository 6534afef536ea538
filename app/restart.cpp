// Windows' restarts. A player that runs when Windows restarts to finish an
// update (or, on Windows 10 and later, signs the user out with "restart
// apps" on) is started again with the restart request, and comes back in
// the tray with its kept queue. Vista and later only: the function is
// looked up, not imported.
#include <windows.h>

#include "app.h"
#include "restart_text.h"
#include "system_functions.h"

// Not after a crash or a hang: the kept queue already survives those, and a
// player that fails at start must never be started again and again.
static const DWORD RESTART_NOT_AFTER_CRASH = 0x1;   // RESTART_NO_CRASH
static const DWORD RESTART_NOT_AFTER_HANG = 0x2;    // RESTART_NO_HANG
static const WCHAR RESTART_ARGUMENTS[] = L"/restart";

bool RegisterForSystemRestart()
{
    HRESULT(WINAPI * registerRestart)(PCWSTR, DWORD) = NULL;
    return FindSystemFunction("kernel32.dll", "RegisterApplicationRestart", &registerRestart) &&
           registerRestart(RESTART_ARGUMENTS, RESTART_NOT_AFTER_CRASH | RESTART_NOT_AFTER_HANG) == S_OK;
}
