// Media Foundation is loaded at the first entry that needs it, never at
// start-up: importing any of it would keep vireo.exe from starting on the
// systems that lack it.
#include "foundation_calls.h"

#include <cstdlib>

#include "../app/system_functions.h"

FoundationCalls g_foundation;

enum FoundationState {
    FOUNDATION_UNTRIED,
    FOUNDATION_STARTED,
    FOUNDATION_MISSING
};
static FoundationState s_state = FOUNDATION_UNTRIED;
static bool s_skipShutdown = false;

static bool FindCalls()
{
    HMODULE com = LoadLibraryA("ole32.dll");
    HMODULE platform = LoadLibraryA("mfplat.dll");
    HMODULE pipeline = LoadLibraryA("mf.dll");
    return FindSystemFunction(com, "CoInitializeEx", &g_foundation.coInitializeEx) &&
           FindSystemFunction(com, "CoUninitialize", &g_foundation.coUninitialize) &&
           FindSystemFunction(platform, "MFStartup", &g_foundation.startup) &&
           FindSystemFunction(platform, "MFShutdown", &g_foundation.shutdown) &&
           FindSystemFunction(platform, "MFCreateSourceResolver", &g_foundation.createSourceResolver) &&
           FindSystemFunction(pipeline, "MFCreateTopology", &g_foundation.createTopology) &&
           FindSystemFunction(pipeline, "MFCreateTopologyNode", &g_foundation.createTopologyNode) &&
           FindSystemFunction(pipeline, "MFCreateAudioRendererActivate", &g_foundation.createAudioRendererActivate) &&
           FindSystemFunction(pipeline, "MFCreateMediaSession", &g_foundation.createMediaSession) &&
           FindSystemFunction(pipeline, "MFGetService", &g_foundation.getService);
}

void SkipFoundationShutdown()
{
    s_skipShutdown = true;
}

// Every MFStartup wants its MFShutdown before the program ends, once the
// sessions are shut down; but one would wait for ever for work that never
// returns.
static void StopFoundation()
{
    if (!FinishRetiredWatches())
        s_skipShutdown = true;
    if (!s_skipShutdown)
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
