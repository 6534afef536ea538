// Windows' media controls as the program finds them: GetModuleHandleA of
// combase.dll hands out this test program, and GetProcAddress (the real one)
// finds the functions below among its exports (--kill-at). The objects are
// the program's own declarations, filled in here.
#include "fake_media_controls.h"

#include <windows.h>

#include <thread>

#include "fake_import.h"
#include "../../shell/media_controls_interop.h"

namespace {

FakeControlsKind g_kind = FAKE_CONTROLS_REAL;
FakeControls g_controls;
// The display's fields until Update shows them.
std::string g_pendingTitle;
std::string g_pendingArtist;
ButtonPressedHandler* g_handler = NULL;

struct FakeString {
    std::wstring text;
};

std::string Utf8(HSTRING text)
{
    if (text == NULL)
        return "";
    const std::wstring& wide = reinterpret_cast<FakeString*>(text)->text;
    char narrow[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, narrow, sizeof narrow, NULL, NULL);
    return narrow;
}

HRESULT Setter()
{
    return g_kind == FAKE_CONTROLS_SETTERS_FAIL ? E_FAIL : S_OK;
}

template <class Self>
HRESULT STDMETHODCALLTYPE Query(Self* self, REFIID iid, void** out)
{
    *out = IsEqualIID(iid, IID_IUnknown) ? self : NULL;
    if (*out == NULL)
        return E_NOINTERFACE;
    ++g_controls.references;
    return S_OK;
}

template <class Self>
ULONG STDMETHODCALLTYPE AddRef(Self*)
{
    return static_cast<ULONG>(++g_controls.references);
}

template <class Self>
ULONG STDMETHODCALLTYPE Release(Self*)
{
    return static_cast<ULONG>(--g_controls.references);
}

template <class Self>
HRESULT STDMETHODCALLTYPE Iids(Self*, ULONG*, IID**)
{
    return E_NOTIMPL;
}

template <class Self>
HRESULT STDMETHODCALLTYPE ClassName(Self*, HSTRING*)
{
    return E_NOTIMPL;
}

template <class Self>
HRESULT STDMETHODCALLTYPE Trust(Self*, int*)
{
    return E_NOTIMPL;
}

template <class Self, class Value>
HRESULT STDMETHODCALLTYPE Unused(Self*, Value)
{
    return E_NOTIMPL;
}

template <class Self, class Value, class Other>
HRESULT STDMETHODCALLTYPE Unused2(Self*, Value, Other)
{
    return E_NOTIMPL;
}

#define FAKE_INSPECTABLE(Self) Query<Self>, AddRef<Self>, Release<Self>, Iids<Self>, ClassName<Self>, Trust<Self>

// ---- The music properties and the display ---------------------------------

HRESULT STDMETHODCALLTYPE PutTitle(IMusicDisplayProperties*, HSTRING text)
{
    g_pendingTitle = Utf8(text);
    return Setter();
}

HRESULT STDMETHODCALLTYPE PutArtist(IMusicDisplayProperties*, HSTRING text)
{
    g_pendingArtist = Utf8(text);
    return Setter();
}

typedef IMusicDisplayProperties Music;
const IMusicDisplayPropertiesVtbl MUSIC_TABLE = {
    FAKE_INSPECTABLE(Music), Unused<Music, HSTRING*>, PutTitle, Unused<Music, HSTRING*>, Unused<Music, HSTRING>,
    Unused<Music, HSTRING*>, PutArtist};
IMusicDisplayProperties g_music = {&MUSIC_TABLE};

typedef ISystemMediaTransportControlsDisplayUpdater Display;

HRESULT STDMETHODCALLTYPE PutType(Display*, MediaPlaybackType)
{
    return Setter();
}

HRESULT STDMETHODCALLTYPE GetMusic(Display*, IMusicDisplayProperties** out)
{
    *out = &g_music;
    ++g_controls.references;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ClearAll(Display*)
{
    g_pendingTitle.clear();
    g_pendingArtist.clear();
    return Setter();
}

HRESULT STDMETHODCALLTYPE Update(Display*)
{
    if (FAILED(Setter()))
        return E_FAIL;
    g_controls.title = g_pendingTitle;
    g_controls.artist = g_pendingArtist;
    ++g_controls.updates;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CopyFromFile(Display*, MediaPlaybackType, IUnknown*, IUnknown**)
{
    return E_NOTIMPL;
}

const ISystemMediaTransportControlsDisplayUpdaterVtbl DISPLAY_TABLE = {
    FAKE_INSPECTABLE(Display), Unused<Display, MediaPlaybackType*>, PutType, Unused<Display, HSTRING*>,
    Unused<Display, HSTRING>, Unused<Display, IUnknown**>, Unused<Display, IUnknown*>, GetMusic,
    Unused<Display, IUnknown**>, Unused<Display, IUnknown**>, CopyFromFile, ClearAll, Update};
ISystemMediaTransportControlsDisplayUpdater g_display = {&DISPLAY_TABLE};

// ---- The controls -----------------------------------------------------------

typedef ISystemMediaTransportControls Controls;

template <bool FakeControls::*Field>
HRESULT STDMETHODCALLTYPE PutFlag(Controls*, WinRtBool value)
{
    if (FAILED(Setter()))
        return E_FAIL;
    g_controls.*Field = value != 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PutStatus(Controls*, MediaPlaybackStatus status)
{
    if (FAILED(Setter()))
        return E_FAIL;
    g_controls.status = status;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetDisplay(Controls*, Display** out)
{
    *out = &g_display;
    ++g_controls.references;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AddButtonPressed(Controls*, ButtonPressedHandler* handler, WinRtEventToken* token)
{
    if (g_kind == FAKE_CONTROLS_NO_EVENTS)
        return E_FAIL;
    g_handler = handler;
    handler->lpVtbl->AddRef(handler);
    g_controls.handlerHeld = true;
    token->value = 7;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RemoveButtonPressed(Controls*, WinRtEventToken token)
{
    if (token.value != 7 || g_handler == NULL)
        return E_INVALIDARG;
    g_handler->lpVtbl->Release(g_handler);
    g_controls.handlerHeld = false;
    return S_OK;
}

#define FAKE_FLAG(field) Unused<Controls, WinRtBool*>, PutFlag<&FakeControls::field>
#define FAKE_UNUSED_FLAG Unused<Controls, WinRtBool*>, Unused<Controls, WinRtBool>

const ISystemMediaTransportControlsVtbl CONTROLS_TABLE = {
    FAKE_INSPECTABLE(Controls), Unused<Controls, MediaPlaybackStatus*>, PutStatus, GetDisplay,
    Unused<Controls, int*>, FAKE_FLAG(enabled), FAKE_FLAG(play), FAKE_FLAG(stop), FAKE_FLAG(pause),
    FAKE_UNUSED_FLAG, FAKE_UNUSED_FLAG, FAKE_UNUSED_FLAG, FAKE_FLAG(previous), FAKE_FLAG(next), FAKE_UNUSED_FLAG,
    FAKE_UNUSED_FLAG, AddButtonPressed, RemoveButtonPressed, Unused2<Controls, IUnknown*, WinRtEventToken*>,
    Unused<Controls, WinRtEventToken>};
ISystemMediaTransportControls g_controlsObject = {&CONTROLS_TABLE};

// ---- The activation factory -----------------------------------------------

typedef ISystemMediaTransportControlsInterop Interop;

HRESULT STDMETHODCALLTYPE GetForWindow(Interop*, HWND window, REFIID iid, void** out)
{
    *out = NULL;
    if (g_kind == FAKE_CONTROLS_NONE_FOR_WINDOW)
        return S_FALSE;
    if (!IsWindow(window) || !IsEqualIID(iid, IID_ISystemMediaTransportControls))
        return E_INVALIDARG;
    *out = &g_controlsObject;
    ++g_controls.references;
    ++g_controls.made;
    return S_OK;
}

const ISystemMediaTransportControlsInteropVtbl INTEROP_TABLE = {FAKE_INSPECTABLE(Interop), GetForWindow};
ISystemMediaTransportControlsInterop g_interop = {&INTEROP_TABLE};

// ---- A press ------------------------------------------------------------------

typedef ISystemMediaTransportControlsButtonPressedEventArgs Args;

MediaControlsButton g_pressed;

HRESULT STDMETHODCALLTYPE GetButton(Args*, MediaControlsButton* button)
{
    *button = g_pressed;
    return S_OK;
}

const ISystemMediaTransportControlsButtonPressedEventArgsVtbl ARGS_TABLE = {FAKE_INSPECTABLE(Args), GetButton};

// The wide call stands in for the real one: GetProcAddress, faked too,
// asks for kernel32's handle on its way.
HMODULE WINAPI FakeGetModuleHandleA(LPCSTR name)
{
    if (name == NULL)
        return GetModuleHandleW(NULL);
    if (g_kind != FAKE_CONTROLS_REAL && lstrcmpiA(name, "combase.dll") == 0)
        return GetModuleHandleW(NULL);
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) == 0)
        return NULL;
    return GetModuleHandleW(wide);
}

}  // namespace

FAKE_IMPORT(GetModuleHandleA, 4, FakeGetModuleHandleA)

extern "C" {

__declspec(dllexport) HRESULT WINAPI RoInitialize(int)
{
    return S_FALSE;
}

__declspec(dllexport) HRESULT WINAPI RoGetActivationFactory(HSTRING name, REFIID iid, void** out)
{
    *out = NULL;
    const wchar_t* text = name != NULL ? reinterpret_cast<FakeString*>(name)->text.c_str() : L"";
    if (g_kind == FAKE_CONTROLS_CLASS_MISSING || lstrcmpW(text, MEDIA_CONTROLS_CLASS) != 0)
        return REGDB_E_CLASSNOTREG;
    if (!IsEqualIID(iid, IID_ISystemMediaTransportControlsInterop))
        return E_NOINTERFACE;
    *out = &g_interop;
    ++g_controls.references;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI WindowsCreateString(LPCWSTR text, UINT32 length, HSTRING* out)
{
    // The empty string is the null HSTRING, as on the platform.
    *out = NULL;
    if (length == 0)
        return S_OK;
    *out = reinterpret_cast<HSTRING>(new FakeString{std::wstring(text, length)});
    ++g_controls.liveStrings;
    ++g_controls.stringsMade;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI WindowsDeleteString(HSTRING text)
{
    if (text != NULL) {
        delete reinterpret_cast<FakeString*>(text);
        --g_controls.liveStrings;
    }
    return S_OK;
}

}  // extern "C"

void FakeControlsUse(FakeControlsKind kind)
{
    g_kind = kind;
    g_controls = FakeControls();
    g_pendingTitle.clear();
    g_pendingArtist.clear();
    g_handler = NULL;
}

const FakeControls& FakeControlsNow()
{
    return g_controls;
}

void FakeControlsPress(int button)
{
    g_pressed = static_cast<MediaControlsButton>(button);
    ButtonPressedHandler* handler = g_handler;
    std::thread system([handler] {
        Args args = {&ARGS_TABLE};
        if (handler != NULL)
            handler->lpVtbl->Invoke(handler, &g_controlsObject, &args);
    });
    system.join();
}
