// The fake Media Foundation's resolver, sources and topologies: a known file
// opens as a source of one audio stream, stating its length when it has one.
#include "fake_foundation.h"

#include <climits>
#include <vector>

std::atomic<int> g_fakeLiveSources{0};

namespace {

std::atomic<long> g_hanging{0};
HANDLE g_hangsReleased = CreateSemaphoreA(NULL, 0, LONG_MAX, NULL);

const UINT64 TICKS_PER_MS = 10000;

class FakeTypeHandler : public FakeUnknown<IMFMediaTypeHandler> {
public:
    HRESULT STDMETHODCALLTYPE GetMajorType(GUID* major) override { *major = MFMediaType_Audio; return S_OK; }
    HRESULT STDMETHODCALLTYPE IsMediaTypeSupported(IMFMediaType*, IMFMediaType**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMediaTypeCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMediaTypeByIndex(DWORD, IMFMediaType**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentMediaType(IMFMediaType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentMediaType(IMFMediaType**) override { return E_NOTIMPL; }
};

class FakeStream : public FakeAttributes<IMFStreamDescriptor> {
public:
    HRESULT STDMETHODCALLTYPE GetStreamIdentifier(DWORD* id) override { *id = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMediaTypeHandler(IMFMediaTypeHandler** handler) override
    {
        *handler = new FakeTypeHandler;
        return S_OK;
    }
};

class FakePresentation : public FakeAttributes<IMFPresentationDescriptor> {
public:
    bool selected = true;
    HRESULT STDMETHODCALLTYPE GetStreamDescriptorCount(DWORD* count) override { *count = 1; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetStreamDescriptorByIndex(DWORD index, WINBOOL* isSelected,
                                                         IMFStreamDescriptor** stream) override
    {
        if (index != 0)
            return E_INVALIDARG;
        *isSelected = selected;
        *stream = new FakeStream;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SelectStream(DWORD) override { selected = true; return S_OK; }
    HRESULT STDMETHODCALLTYPE DeselectStream(DWORD) override { selected = false; return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IMFPresentationDescriptor**) override { return E_NOTIMPL; }
};

class FakeSource : public FakeUnknown<IMFMediaSource> {
public:
    FakeSourceState state;
    FakeSource() { ++g_fakeLiveSources; }
    ~FakeSource() override { ShutDown(); }
    void ShutDown()
    {
        if (!state.shutDown)
            --g_fakeLiveSources;
        state.shutDown = true;
    }
    HRESULT STDMETHODCALLTYPE CreatePresentationDescriptor(IMFPresentationDescriptor** presentation) override
    {
        FakePresentation* made = new FakePresentation;
        if (state.file.statedMs >= 0)
            made->numbers[MF_PD_DURATION] = static_cast<UINT64>(state.file.statedMs) * TICKS_PER_MS;
        *presentation = made;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Shutdown() override { ShutDown(); return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCharacteristics(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start(IMFPresentationDescriptor*, const GUID*, const PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEvent(DWORD, IMFMediaEvent**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginGetEvent(IMFAsyncCallback*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndGetEvent(IMFAsyncResult*, IMFMediaEvent**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueueEvent(MediaEventType, REFGUID, HRESULT, const PROPVARIANT*) override { return E_NOTIMPL; }

protected:
    bool Answers(REFIID iid) override
    {
        return IsEqualIID(iid, IID_IMFMediaSource) || IsEqualIID(iid, IID_IMFMediaEventGenerator);
    }
};

class FakeResolver : public FakeUnknown<IMFSourceResolver> {
public:
    HRESULT STDMETHODCALLTYPE CreateObjectFromURL(LPCWSTR url, DWORD, IPropertyStore*, MF_OBJECT_TYPE* type,
                                                  IUnknown** object) override
    {
        char path[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, url, -1, path, sizeof path, NULL, NULL);
        auto found = FakeFoundationFiles().find(FakeFoundationLower(path));
        if (found == FakeFoundationFiles().end())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (!found->second.opens)
            return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
        if (found->second.hangs) {
            ++g_hanging;
            WaitForSingleObject(g_hangsReleased, INFINITE);
            return E_FAIL;
        }
        FakeSource* source = new FakeSource;
        source->state.path = path;
        source->state.file = found->second;
        *type = MF_OBJECT_MEDIASOURCE;
        *object = static_cast<IMFMediaSource*>(source);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateObjectFromByteStream(IMFByteStream*, LPCWSTR, DWORD, IPropertyStore*,
                                                         MF_OBJECT_TYPE*, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginCreateObjectFromURL(LPCWSTR, DWORD, IPropertyStore*, IUnknown**,
                                                       IMFAsyncCallback*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndCreateObjectFromURL(IMFAsyncResult*, MF_OBJECT_TYPE*, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginCreateObjectFromByteStream(IMFByteStream*, LPCWSTR, DWORD, IPropertyStore*,
                                                              IUnknown**, IMFAsyncCallback*, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndCreateObjectFromByteStream(IMFAsyncResult*, MF_OBJECT_TYPE*, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CancelObjectCreation(IUnknown*) override { return E_NOTIMPL; }
};

class FakeNode : public FakeAttributes<IMFTopologyNode> {
public:
    MF_TOPOLOGY_TYPE type;
    IUnknown* object = NULL;
    explicit FakeNode(MF_TOPOLOGY_TYPE nodeType) : type(nodeType) {}
    ~FakeNode() override
    {
        if (object != NULL)
            object->Release();
    }
    HRESULT STDMETHODCALLTYPE SetObject(IUnknown* given) override
    {
        given->AddRef();
        if (object != NULL)
            object->Release();
        object = given;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNodeType(MF_TOPOLOGY_TYPE* nodeType) override { *nodeType = type; return S_OK; }
    HRESULT STDMETHODCALLTYPE ConnectOutput(DWORD, IMFTopologyNode*, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetObject(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTopoNodeID(TOPOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTopoNodeID(TOPOID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInputCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DisconnectOutput(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInput(DWORD, IMFTopologyNode**, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutput(DWORD, IMFTopologyNode**, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOutputPrefType(DWORD, IMFMediaType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputPrefType(DWORD, IMFMediaType**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetInputPrefType(DWORD, IMFMediaType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInputPrefType(DWORD, IMFMediaType**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CloneFrom(IMFTopologyNode*) override { return E_NOTIMPL; }
};

class FakeTopology : public FakeAttributes<IMFTopology> {
public:
    std::vector<FakeNode*> nodes;
    ~FakeTopology() override
    {
        for (FakeNode* node : nodes)
            node->Release();
    }
    HRESULT STDMETHODCALLTYPE AddNode(IMFTopologyNode* node) override
    {
        node->AddRef();
        nodes.push_back(static_cast<FakeNode*>(node));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTopologyID(TOPOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveNode(IMFTopologyNode*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNodeCount(WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNode(WORD, IMFTopologyNode**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CloneFrom(IMFTopology*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNodeByID(TOPOID, IMFTopologyNode**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSourceNodeCollection(IMFCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputNodeCollection(IMFCollection**) override { return E_NOTIMPL; }
};

class FakeRenderer : public FakeAttributes<IMFActivate> {
public:
    HRESULT STDMETHODCALLTYPE ActivateObject(REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShutdownObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DetachObject() override { return E_NOTIMPL; }
};

}  // namespace

IMFSourceResolver* NewFakeResolver() { return new FakeResolver; }

void FakeFoundationReleaseHangs()
{
    long hanging = g_hanging.exchange(0);
    if (hanging > 0)
        ReleaseSemaphore(g_hangsReleased, hanging, NULL);
}
IMFTopology* NewFakeTopology() { return new FakeTopology; }
IMFTopologyNode* NewFakeNode(MF_TOPOLOGY_TYPE type) { return new FakeNode(type); }
IMFActivate* NewFakeRenderer() { return new FakeRenderer; }

FakeSourceState* FakeTopologySource(IMFTopology* topology)
{
    FakeTopology* fake = static_cast<FakeTopology*>(topology);
    for (FakeNode* node : fake->nodes) {
        auto found = node->objects.find(MF_TOPONODE_SOURCE);
        if (node->type == MF_TOPOLOGY_SOURCESTREAM_NODE && found != node->objects.end())
            return &static_cast<FakeSource*>(static_cast<IMFMediaSource*>(found->second))->state;
    }
    return NULL;
}
