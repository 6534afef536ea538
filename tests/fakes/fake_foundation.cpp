// Media Foundation as the program finds it: LoadLibraryA of its DLLs hands
// out this test program, and GetProcAddress (the real one) finds the
// functions below among its exports. Every other library loads for real.
#include "fake_foundation.h"

#include "fake_import.h"

namespace {

bool g_missing = false;
bool g_startFails = false;
int g_loads = 0;

bool IsFoundationDll(const char* name)
{
    return lstrcmpiA(name, "mfplat.dll") == 0 || lstrcmpiA(name, "mf.dll") == 0;
}

HMODULE WINAPI FakeLoadLibraryA(LPCSTR name)
{
    if (name != NULL && IsFoundationDll(name)) {
        ++g_loads;
        if (g_missing) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return NULL;
        }
        return GetModuleHandleA(NULL);
    }
    static auto real = reinterpret_cast<decltype(&LoadLibraryA)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    return real(name);
}

}  // namespace

FAKE_IMPORT(LoadLibraryA, 4, FakeLoadLibraryA)

// Exported under their own names (the 32-bit build links with --kill-at).
extern "C" {

__declspec(dllexport) HRESULT WINAPI MFStartup(ULONG, DWORD)
{
    return g_startFails ? E_NOTIMPL : S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFShutdown()
{
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFCreateSourceResolver(IMFSourceResolver** resolver)
{
    *resolver = NewFakeResolver();
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFCreateTopology(IMFTopology** topology)
{
    *topology = NewFakeTopology();
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFCreateTopologyNode(MF_TOPOLOGY_TYPE type, IMFTopologyNode** node)
{
    *node = NewFakeNode(type);
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFCreateAudioRendererActivate(IMFActivate** renderer)
{
    *renderer = NewFakeRenderer();
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFCreateMediaSession(IMFAttributes*, IMFMediaSession** session)
{
    *session = NewFakeSession();
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI MFGetService(IUnknown* object, REFGUID service, REFIID iid, LPVOID* out)
{
    return FakeSessionService(object, service, iid, out);
}

}  // extern "C"

std::map<std::string, FakeFoundationFile>& FakeFoundationFiles()
{
    static std::map<std::string, FakeFoundationFile> files;
    return files;
}

std::string FakeFoundationLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

void FakeFoundationReset()
{
    FakeFoundationReleaseHangs();
    FakeFoundationFiles().clear();
    FakeFoundationSessionsReset();
    g_fakeLiveSources = 0;
    g_missing = false;
    g_startFails = false;
    g_loads = 0;
}

void FakeFoundationAddFile(const std::string& path, const FakeFoundationFile& file)
{
    FakeFoundationFiles()[FakeFoundationLower(path)] = file;
}

void FakeFoundationMissing(bool missing)
{
    g_missing = missing;
}

void FakeFoundationStartFails(bool fails)
{
    g_startFails = fails;
}

bool FakeFoundationKnows(const std::string& path)
{
    return FakeFoundationFiles().count(FakeFoundationLower(path)) != 0;
}

int FakeFoundationLoads()
{
    return g_loads;
}

int FakeFoundationLiveSources()
{
    return g_fakeLiveSources;
}
