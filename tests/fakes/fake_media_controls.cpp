// Windows' media controls as the program finds them: GetModuleHandleA of
// combase.dll hands out this test program, and GetProcAddress (the real one)
// finds the functions below among its exports (--kill-at). The objects fill
// the program's own declarations; a slot the program should never call ends
// the run.
#include "fake_media_controls.h"

#include <windows.h>

#include <cstdlib>
#include <thread>

#include "fake_import.h"
#include "../../shell/media_controls_interop.h"

namespace {

FakeControlsKind g_kind = FAKE_CONTROLS_REAL;
FakeControls g_controls;
// The display's texts until Update shows them.
std::string g_pendingTitle;
std::string g_pendingArtist;
ButtonPressedHandler* g_handler = NULL;
MediaControlsButton g_pressed;

// An HSTRING here is a std::wstring of the test's.
std::string Utf8(HSTRING text)
{
    char narrow[1024] = "";
    if (text != NULL)
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<std::wstring*>(text)->c_str(), -1, narrow, sizeof narrow,
                            NULL, NULL);
    return narrow;
}

HRESULT Setter()
{
    return g_kind == FAKE_CONTROLS_SETTERS_FAIL ? E_FAIL : S_OK;
}

void STDMETHODCALLTYPE NeverCalled()
{
    std::abort();
}

// What the program holds of all the objects together.
ULONG STDMETHODCALLTYPE Release(void*)
{
    return static_cast<ULONG>(--g_controls.references);
}

// Every slot but Release first ends the run; then the ones the program
// should call are set.
template <class Table>
void Counted(Table* table)
{
    void (STDMETHODCALLTYPE** slots)() = reinterpret_cast<void (STDMETHODCALLTYPE**)()>(table);
    for (size_t i = 0; i < sizeof(Table) / sizeof(void*); ++i)
        slots[i] = NeverCalled;
    table->Release = reinterpret_cast<decltype(table->Release)>(Release);
}

template <class Object>
HRESULT Hand(Object* object, Object** out)
{
    *out = object;
    ++g_controls.references;
    return S_OK;
}

// ---- The display and its music properties -------------------------------------

template <std::string* Pending>
HRESULT STDMETHODCALLTYPE PutText(IMusicDisplayProperties*, HSTRING text)
{
    *Pending = Utf8(text);
    return Setter();
}

typedef ISystemMediaTransportControlsDisplayUpdater Display;

HRESULT STDMETHODCALLTYPE PutType(Display*, MediaPlaybackType)
{
    return Setter();
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
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetMusic(Display*, IMusicDisplayProperties** out);

// ---- The controls ----------------------------------------------------------------

typedef ISystemMediaTransportControls Controls;

template <bool FakeControls::*Field>
HRESULT STDMETHODCALLTYPE PutFlag(Controls*, WinRtBool value)
{
    g_controls.*Field = SUCCEEDED(Setter()) ? value != 0 : g_controls.*Field;
    return Setter();
}

HRESULT STDMETHODCALLTYPE PutStatus(Controls*, MediaPlaybackStatus status)
{
    g_controls.status = SUCCEEDED(Setter()) ? status : g_controls.status;
    return Setter();
}

HRESULT STDMETHODCALLTYPE GetDisplay(Controls*, Display** out);

HRESULT STDMETHODCALLTYPE AddButtonPressed(Controls*, ButtonPressedHandler* handler, WinRtEventToken* token)
{
    if (g_kind == FAKE_CONTROLS_NO_EVENTS)
        return E_NOTIMPL;
    g_handler = handler;
    g_controls.handlerHeld = true;
    token->value = 7;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RemoveButtonPressed(Controls*, WinRtEventToken token)
{
    g_controls.handlerHeld = token.value != 7;
    return S_OK;
}

typedef ISystemMediaTransportControlsInterop Interop;

HRESULT STDMETHODCALLTYPE GetForWindow(Interop*, HWND window, REFIID iid, void** out);

typedef ISystemMediaTransportControlsButtonPressedEventArgs Args;

HRESULT STDMETHODCALLTYPE GetButton(Args*, MediaControlsButton* button)
{
    *button = g_pressed;
    return S_OK;
}

struct Tables {
    IMusicDisplayPropertiesVtbl music;
    ISystemMediaTransportControlsDisplayUpdaterVtbl display;
    ISystemMediaTransportControlsVtbl controls;
    ISystemMediaTransportControlsInteropVtbl interop;
    ISystemMediaTransportControlsButtonPressedEventArgsVtbl args;

    Tables()
    {
        Counted(&music);
        music.put_Title = PutText<&g_pendingTitle>;
        music.put_Artist = PutText<&g_pendingArtist>;
        Counted(&display);
        display.put_Type = PutType;
        display.get_MusicProperties = GetMusic;
        display.ClearAll = ClearAll;
        display.Update = Update;
        Counted(&controls);
        controls.put_PlaybackStatus = PutStatus;
        controls.get_DisplayUpdater = GetDisplay;
        controls.put_IsEnabled = PutFlag<&FakeControls::enabled>;
        controls.put_IsPlayEnabled = PutFlag<&FakeControls::play>;
        controls.put_IsPauseEnabled = PutFlag<&FakeControls::pause>;
        controls.put_IsStopEnabled = PutFlag<&FakeControls::stop>;
        controls.put_IsPreviousEnabled = PutFlag<&FakeControls::previous>;
        controls.put_IsNextEnabled = PutFlag<&FakeControls::next>;
        controls.add_ButtonPressed = AddButtonPressed;
        controls.remove_ButtonPressed = RemoveButtonPressed;
        Counted(&interop);
        interop.GetForWindow = GetForWindow;
        Counted(&args);
        args.get_Button = GetButton;
    }
};
const Tables TABLES;
IMusicDisplayProperties g_music = {&TABLES.music};
Display g_display = {&TABLES.display};
Controls g_controlsObject = {&TABLES.controls};
Interop g_interop = {&TABLES.interop};

HRESULT STDMETHODCALLTYPE GetMusic(Display*, IMusicDisplayProperties** out)
{
    return Hand(&g_music, out);
}

HRESULT STDMETHODCALLTYPE GetDisplay(Controls*, Display** out)
{
    return Hand(&g_display, out);
}

HRESULT STDMETHODCALLTYPE GetForWindow(Interop*, HWND window, REFIID iid, void** out)
{
    *out = NULL;
    if (g_kind == FAKE_CONTROLS_NONE_FOR_WINDOW)
        return S_FALSE;
    if (!IsWindow(window) || !IsEqualIID(iid, IID_ISystemMediaTransportControls))
        return E_INVALIDARG;
    ++g_controls.made;
    return Hand(&g_controlsObject, reinterpret_cast<Controls**>(out));
}

// The wide call stands in for the real one: GetProcAddress, faked too,
// asks for kernel32's handle on its way.
HMODULE WINAPI FakeGetModuleHandleA(LPCSTR name)
{
    if (name == NULL || (g_kind != FAKE_CONTROLS_REAL && lstrcmpiA(name, "combase.dll") == 0))
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
    if (g_kind == FAKE_CONTROLS_CLASS_MISSING || Utf8(name) != "Windows.Media.SystemMediaTransportControls")
        return REGDB_E_CLASSNOTREG;
    if (!IsEqualIID(iid, IID_ISystemMediaTransportControlsInterop))
        return E_NOINTERFACE;
    return Hand(&g_interop, reinterpret_cast<Interop**>(out));
}

// The empty string is the null HSTRING, as on the platform.
__declspec(dllexport) HRESULT WINAPI WindowsCreateString(LPCWSTR text, UINT32 length, HSTRING* out)
{
    *out = length == 0 ? NULL : reinterpret_cast<HSTRING>(new std::wstring(text, length));
    g_controls.liveStrings += length == 0 ? 0 : 1;
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI WindowsDeleteString(HSTRING text)
{
    g_controls.liveStrings -= text == NULL ? 0 : 1;
    delete reinterpret_cast<std::wstring*>(text);
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
    std::thread system([] {
        Args args = {&TABLES.args};
        if (g_handler != NULL)
            g_handler->lpVtbl->Invoke(g_handler, &g_controlsObject, &args);
    });
    system.join();
}
