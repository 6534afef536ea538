// A file's media source and the topology that plays it: each audio stream
// to the system's audio renderer. Other streams (a video's picture) are
// left out: this way plays what the media control interface cannot open,
// and that is sound.
#include "foundation_calls.h"

#include <climits>

static const LONGLONG TICKS_PER_MS = 10000;  // Media Foundation counts in 100 ns

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

bool OpenFoundationSource(const char* path, IMFMediaSource** source, IMFTopology** topology, int32_t* lengthMs)
{
    *source = NULL;
    *topology = NULL;
    WCHAR url[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, url, MAX_PATH) == 0)
        return false;
    IMFMediaSource* opened = ResolveSource(url);
    if (opened == NULL)
        return false;
    IMFPresentationDescriptor* presentation = NULL;
    IMFTopology* built = NULL;
    bool playable = SUCCEEDED(opened->CreatePresentationDescriptor(&presentation)) &&
                    SUCCEEDED(g_foundation.createTopology(&built)) &&
                    BuildAudioTopology(built, opened, presentation);
    if (playable)
        *lengthMs = StatedLengthMs(presentation);
    if (presentation != NULL)
        presentation->Release();
    if (!playable) {
        if (built != NULL)
            built->Release();
        opened->Shutdown();
        opened->Release();
        return false;
    }
    *source = opened;
    *topology = built;
    return true;
}
