// A file's media source and the topology that plays it: each audio stream
// to the system's audio renderer. Other streams (a video's picture) are
// left out: this way plays what the media control interface cannot open,
// and that is sound.
#include "foundation_calls.h"

#include <climits>
#include <cstdlib>

static const LONGLONG TICKS_PER_MS = 10000;  // Media Foundation counts in 100 ns
// Wine's resolver never returns for some damaged files (an MP4 cut before
// its index): the resolution runs on a thread of its own, waited for this
// long, and is left to itself after that.
static const DWORD RESOLVE_WAIT_MS = 5000;

static int32_t StatedLengthMs(IMFPresentationDescriptor* presentation)
{
    UINT64 duration = 0;
    if (FAILED(presentation->GetUINT64(MF_PD_DURATION, &duration)))
        return 0;
    UINT64 ms = duration / TICKS_PER_MS;
    return ms > static_cast<UINT64>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(ms);
}

static bool IsAudio(IMFStreamDescriptor* stream)
{
    IMFMediaTypeHandler* handler = NULL;
    if (FAILED(stream->GetMediaTypeHandler(&handler)))
        return false;
    GUID major = GUID_NULL;
    bool audio = SUCCEEDED(handler->GetMajorType(&major)) && IsEqualGUID(major, MFMediaType_Audio);
    handler->Release();
    return audio;
}

// Source node, renderer node and the link between them, for one stream.
static bool AddAudioBranch(IMFTopology* topology, IMFMediaSource* source, IMFPresentationDescriptor* presentation,
                           IMFStreamDescriptor* stream)
{
    IMFTopologyNode* from = NULL;
    IMFTopologyNode* to = NULL;
    IMFActivate* renderer = NULL;
    bool added = SUCCEEDED(g_foundation.createTopologyNode(MF_TOPOLOGY_SOURCESTREAM_NODE, &from)) &&
                 SUCCEEDED(from->SetUnknown(MF_TOPONODE_SOURCE, source)) &&
                 SUCCEEDED(from->SetUnknown(MF_TOPONODE_PRESENTATION_DESCRIPTOR, presentation)) &&
                 SUCCEEDED(from->SetUnknown(MF_TOPONODE_STREAM_DESCRIPTOR, stream)) &&
                 SUCCEEDED(g_foundation.createAudioRendererActivate(&renderer)) &&
                 SUCCEEDED(g_foundation.createTopologyNode(MF_TOPOLOGY_OUTPUT_NODE, &to)) &&
                 SUCCEEDED(to->SetObject(renderer)) && SUCCEEDED(topology->AddNode(from)) &&
                 SUCCEEDED(topology->AddNode(to)) && SUCCEEDED(from->ConnectOutput(0, to, 0));
    if (renderer != NULL)
        renderer->Release();
    if (to != NULL)
        to->Release();
    if (from != NULL)
        from->Release();
    return added;
}

// True when at least one audio stream is in the topology.
static bool BuildAudioTopology(IMFTopology* topology, IMFMediaSource* source, IMFPresentationDescriptor* presentation)
{
    DWORD count = 0;
    if (FAILED(presentation->GetStreamDescriptorCount(&count)))
        return false;
    bool audible = false;
    for (DWORD i = 0; i < count; ++i) {
        BOOL selected = FALSE;
        IMFStreamDescriptor* stream = NULL;
        if (FAILED(presentation->GetStreamDescriptorByIndex(i, &selected, &stream)))
            continue;
        if (selected && IsAudio(stream) && AddAudioBranch(topology, source, presentation, stream))
            audible = true;
        else
            presentation->DeselectStream(i);
        stream->Release();
    }
    return audible;
}

static IMFMediaSource* ResolveSource(const WCHAR* url)
{
    IMFSourceResolver* resolver = NULL;
    if (FAILED(g_foundation.createSourceResolver(&resolver)))
        return NULL;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    IUnknown* found = NULL;
    HRESULT resolved =
        resolver->CreateObjectFromURL(url, MF_RESOLUTION_MEDIASOURCE | MF_RESOLUTION_READ, NULL, &type, &found);
    resolver->Release();
    if (FAILED(resolved))
        return NULL;
    IMFMediaSource* source = NULL;
    found->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(&source));
    found->Release();
    return source;
}

// Whichever of the two threads is done with it last frees it.
struct PendingOpen {
    WCHAR url[MAX_PATH];
    HANDLE thread;           // the opener's
    CRITICAL_SECTION guard;  // over the fields below
    IMFMediaSource* source;
    bool finished;
    bool abandoned;          // the opener gave up waiting
};

static void FreePendingOpen(PendingOpen* resolution)
{
    DeleteCriticalSection(&resolution->guard);
    std::free(resolution);
}

static DWORD WINAPI ResolveInBackground(LPVOID parameter)
{
    PendingOpen* resolution = static_cast<PendingOpen*>(parameter);
    HRESULT com = g_foundation.coInitializeEx(NULL, COINIT_MULTITHREADED);
    IMFMediaSource* source = ResolveSource(resolution->url);
    EnterCriticalSection(&resolution->guard);
    resolution->source = source;
    resolution->finished = true;
    bool abandoned = resolution->abandoned;
    LeaveCriticalSection(&resolution->guard);
    if (abandoned) {
        if (source != NULL) {
            source->Shutdown();
            source->Release();
        }
        FreePendingOpen(resolution);
    }
    if (SUCCEEDED(com))
        g_foundation.coUninitialize();
    return 0;
}

PendingOpen* BeginResolve(const char* path)
{
    PendingOpen* resolution = static_cast<PendingOpen*>(std::calloc(1, sizeof(PendingOpen)));
    if (resolution == NULL)
        return NULL;
    InitializeCriticalSection(&resolution->guard);
    DWORD threadId = 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, resolution->url, MAX_PATH) != 0)
        resolution->thread = CreateThread(NULL, 0, ResolveInBackground, resolution, 0, &threadId);
    if (resolution->thread == NULL) {
        FreePendingOpen(resolution);
        return NULL;
    }
    return resolution;
}

IMFMediaSource* EndResolve(PendingOpen* resolution)
{
    WaitForSingleObject(resolution->thread, RESOLVE_WAIT_MS);
    CloseHandle(resolution->thread);
    EnterCriticalSection(&resolution->guard);
    bool finished = resolution->finished;
    resolution->abandoned = !finished;
    IMFMediaSource* source = resolution->source;
    LeaveCriticalSection(&resolution->guard);
    if (finished)
        FreePendingOpen(resolution);
    else
        SkipFoundationShutdown();
    return source;
}

bool OpenFoundationTopology(IMFMediaSource* source, IMFTopology** topology, int32_t* lengthMs)
{
    *topology = NULL;
    IMFPresentationDescriptor* presentation = NULL;
    IMFTopology* built = NULL;
    bool playable = SUCCEEDED(source->CreatePresentationDescriptor(&presentation)) &&
                    SUCCEEDED(g_foundation.createTopology(&built)) &&
                    BuildAudioTopology(built, source, presentation);
    if (playable)
        *lengthMs = StatedLengthMs(presentation);
    if (presentation != NULL)
        presentation->Release();
    if (!playable) {
        if (built != NULL)
            built->Release();
        return false;
    }
    *topology = built;
    return true;
}
