// What the fake Media Foundation's parts share: the COM basics of its
// objects, and how the session finds the file its topology plays.
#ifndef VIREO_FAKE_FOUNDATION_H
#define VIREO_FAKE_FOUNDATION_H

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mferror.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>

#include "fake_world.h"

// Reference counting and QueryInterface for one interface and those it extends.
template <class Interface>
class FakeUnknown : public Interface {
public:
    virtual ~FakeUnknown() {}
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --refs;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = NULL;
        if (!IsEqualIID(iid, IID_IUnknown) && !Answers(iid))
            return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

protected:
    virtual bool Answers(REFIID iid) { return IsEqualIID(iid, __uuidof(Interface)); }
    std::atomic<long> refs{1};
};

struct GuidOrder {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
};

// The attribute store: numbers and objects kept, the rest not implemented.
template <class Interface>
class FakeAttributes : public FakeUnknown<Interface> {
public:
    ~FakeAttributes() override
    {
        for (auto& held : objects)
            held.second->Release();
    }
    std::map<GUID, UINT64, GuidOrder> numbers;
    std::map<GUID, IUnknown*, GuidOrder> objects;

    HRESULT STDMETHODCALLTYPE GetUINT32(REFGUID key, UINT32* value) override
    {
        auto found = numbers.find(key);
        if (found == numbers.end())
            return MF_E_ATTRIBUTENOTFOUND;
        *value = static_cast<UINT32>(found->second);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUINT64(REFGUID key, UINT64* value) override
    {
        auto found = numbers.find(key);
        if (found == numbers.end())
            return MF_E_ATTRIBUTENOTFOUND;
        *value = found->second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetUINT32(REFGUID key, UINT32 value) override { numbers[key] = value; return S_OK; }
    HRESULT STDMETHODCALLTYPE SetUINT64(REFGUID key, UINT64 value) override { numbers[key] = value; return S_OK; }
    HRESULT STDMETHODCALLTYPE SetUnknown(REFGUID key, IUnknown* object) override
    {
        object->AddRef();
        auto found = objects.find(key);
        if (found != objects.end())
            found->second->Release();
        objects[key] = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUnknown(REFGUID key, REFIID iid, LPVOID* out) override
    {
        auto found = objects.find(key);
        if (found == objects.end())
            return MF_E_ATTRIBUTENOTFOUND;
        return found->second->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE GetItem(REFGUID, PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemType(REFGUID, MF_ATTRIBUTE_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareItem(REFGUID, REFPROPVARIANT, WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Compare(IMFAttributes*, MF_ATTRIBUTES_MATCH_TYPE, WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDouble(REFGUID, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGUID(REFGUID, GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStringLength(REFGUID, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetString(REFGUID, LPWSTR, UINT32, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAllocatedString(REFGUID, LPWSTR*, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBlobSize(REFGUID, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBlob(REFGUID, UINT8*, UINT32, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAllocatedBlob(REFGUID, UINT8**, UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetItem(REFGUID, REFPROPVARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteItem(REFGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAllItems() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDouble(REFGUID, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID, REFGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetString(REFGUID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBlob(REFGUID, const UINT8*, UINT32) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockStore() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockStore() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCount(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemByIndex(UINT32, GUID*, PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyAllItems(IMFAttributes*) override { return E_NOTIMPL; }
};

const LONGLONG FAKE_TICKS_PER_MS = 10000;

class FakeEvent : public FakeAttributes<IMFMediaEvent> {
public:
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    HRESULT STDMETHODCALLTYPE GetType(MediaEventType* eventType) override { *eventType = type; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetStatus(HRESULT* eventStatus) override { *eventStatus = status; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedType(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(PROPVARIANT*) override { return E_NOTIMPL; }
};

class FakeVolume : public FakeUnknown<IMFAudioStreamVolume> {
public:
    static const int CHANNELS = 2;
    float levels[CHANNELS] = {1.0f, 1.0f};
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT32* count) override { *count = CHANNELS; return S_OK; }
    HRESULT STDMETHODCALLTYPE SetChannelVolume(UINT32 index, const float level) override
    {
        if (index >= CHANNELS || level < 0.0f || level > 1.0f)
            return E_INVALIDARG;
        levels[index] = level;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolume(UINT32, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAllVolumes(UINT32, const float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAllVolumes(UINT32, float*) override { return E_NOTIMPL; }
};

class FakeClock : public FakeUnknown<IMFPresentationClock> {
public:
    std::atomic<int> positionMs{0};
    HRESULT STDMETHODCALLTYPE GetTime(MFTIME* time) override { *time = positionMs * FAKE_TICKS_PER_MS; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetClockCharacteristics(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCorrelatedTime(DWORD, LONGLONG*, MFTIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContinuityKey(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, MFCLOCK_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProperties(MFCLOCK_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTimeSource(IMFPresentationTimeSource*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeSource(IMFPresentationTimeSource**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddClockStateSink(IMFClockStateSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveClockStateSink(IMFClockStateSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start(LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }

protected:
    bool Answers(REFIID iid) override
    {
        return IsEqualIID(iid, IID_IMFPresentationClock) || IsEqualIID(iid, IID_IMFClock);
    }
};

// A source as the fake resolver opened it.
struct FakeSourceState {
    std::string path;
    FakeFoundationFile file;
    bool shutDown = false;
};

// The files Media Foundation knows, by path in lower case.
std::map<std::string, FakeFoundationFile>& FakeFoundationFiles();
std::string FakeFoundationLower(std::string text);
// Live sources, counted by the source part.
extern std::atomic<int> g_fakeLiveSources;
// Lets every resolution that hangs return (a failure).
void FakeFoundationReleaseHangs();

// The parts handed out by the exported functions.
IMFSourceResolver* NewFakeResolver();
IMFTopology* NewFakeTopology();
IMFTopologyNode* NewFakeNode(MF_TOPOLOGY_TYPE type);
IMFActivate* NewFakeRenderer();
IMFMediaSession* NewFakeSession();
// The volume service of a fake session; E_NOINTERFACE for anything else.
HRESULT FakeSessionService(IUnknown* object, REFGUID service, REFIID iid, void** out);
// The source a topology's first source node names, or NULL.
FakeSourceState* FakeTopologySource(IMFTopology* topology);
void FakeFoundationSessionsReset();

#endif
