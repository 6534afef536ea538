// Media Foundation is loaded at the first entry that needs it, never at
// start-up: importing any of it would keep vireo.exe from starting on the
// systems that lack it.
#include "foundation_calls.h"

#include <cstdlib>

FoundationCalls g_foundation;

enum FoundationState {
    FOUNDATION_UNTRIED,
    FOUNDATION_STARTED,
    FOUNDATION_MISSING
};
static FoundationState s_state = FOUNDATION_UNTRIED;
static bool s_workLeft = false;

// Stores the address of a DLL's function in the slot; false when missing.
template <typename Function>
static bool FindCall(HMODULE module, const char* name, Function* slot)
{
    *slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *slot != NULL;
}

static bool FindCalls()
{
    HMODULE com = LoadLibraryA("ole32.dll");
    HMODULE platform = LoadLibraryA("mfplat.dll");
    HMODULE pipeline = LoadLibraryA("mf.dll");
    if (com == NULL || platform == NULL || pipeline == NULL)
        return false;
    return FindCall(com, "CoInitializeEx", &g_foundation.coInitializeEx) &&
           FindCall(com, "CoUninitialize", &g_foundation.coUninitialize) &&
           FindCall(platform, "MFStartup", &g_foundation.startup) &&
           FindCall(platform, "MFShutdown", &g_foundation.shutdown) &&
           FindCall(platform, "MFCreateSourceResolver", &g_foundation.createSourceResolver) &&
           FindCall(pipeline, "MFCreateTopology", &g_foundation.createTopology) &&
           FindCall(pipeline, "MFCreateTopologyNode", &g_foundation.createTopologyNode) &&
           FindCall(pipeline, "MFCreateAudioRendererActivate", &g_foundation.createAudioRendererActivate) &&
           FindCall(pipeline, "MFCreateMediaSession", &g_foundation.createMediaSession) &&
           FindCall(pipeline, "MFGetService", &g_foundation.getService);
}

void LeaveFoundationWork()
{
    s_workLeft = true;
}

// Every MFStartup wants its MFShutdown before the program ends, once the
// sessions are shut down; but one would wait for ever for work that never
// returns.
static void StopFoundation()
{
    if (!FinishRetiredWatches())
        s_workLeft = true;
    if (!s_workLeft)
        g_foundation.shutdown();
}

bool StartFoundation()
{
    if (s_state != FOUNDATION_UNTRIED)
        return s_state == FOUNDATION_STARTED;
    s_state = FOUNDATION_MISSING;
    if (!FindCalls())
        return false;
    // The window's thread: a single-threaded apartment, as the shell's own
    // dialogs want it; one that already has another kind serves as well.
    HRESULT com = g_foundation.coInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE)
        return false;
    // An "N" edition without its media pack answers E_NOTIMPL here.
    if (FAILED(g_foundation.startup(MF_VERSION, MFSTARTUP_FULL)))
        return false;
    std::atexit(StopFoundation);
    s_state = FOUNDATION_STARTED;
    return true;
}
