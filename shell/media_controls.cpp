// Windows' media controls (the flyout beside the volume, the lock screen, a
// headset's buttons) show what Vireo plays and hand their buttons to it.
// Reached at run time through combase.dll, so that vireo.exe imports nothing
// the systems before Windows 8 lack; made only once the queue first holds
// something, never on the way to the window showing. Any failure leaves
// Vireo as it is, silently.
#include <windows.h>

#include "shell.h"
#include "media_controls_interop.h"
#include "../app/system_functions.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"
#include "resource.h"

namespace {

const char COMBASE[] = "combase.dll";
const int RO_INIT_SINGLETHREADED = 0;

struct RuntimeCalls {
    HRESULT(WINAPI* initialize)(int);
    HRESULT(WINAPI* getActivationFactory)(HSTRING, REFIID, void**);
    HRESULT(WINAPI* createString)(LPCWSTR, UINT32, HSTRING*);
    HRESULT(WINAPI* deleteString)(HSTRING);
};

// What the controls were last told; refreshed is false until they were told anything.
struct ShownState {
    bool refreshed;
    bool enabled;
    MediaPlaybackStatus status;
    bool play;
    bool pause;
    bool stop;
    bool previous;
    bool next;
    bool anyEntry;
    WPARAM generation;
};

RuntimeCalls s_calls;
ISystemMediaTransportControls* s_controls = NULL;
// Whether the controls report their buttons: without, they only show.
bool s_buttons = false;
WinRtEventToken s_buttonToken;
// Asked for once the queue first holds something; again only after a release.
bool s_asked = false;
ShownState s_shown;
// As the tray menu offers them.
bool s_previousOffered = false;
bool s_nextOffered = false;

bool FindRuntimeCalls()
{
    return FindSystemFunction(COMBASE, "RoInitialize", &s_calls.initialize, true) &&
           FindSystemFunction(COMBASE, "RoGetActivationFactory", &s_calls.getActivationFactory, true) &&
           FindSystemFunction(COMBASE, "WindowsCreateString", &s_calls.createString, true) &&
           FindSystemFunction(COMBASE, "WindowsDeleteString", &s_calls.deleteString, true);
}

HSTRING MakeString(const wchar_t* text, UINT32 length)
{
    HSTRING made = NULL;
    if (FAILED(s_calls.createString(text, length, &made)))
        return NULL;
    return made;
}

ISystemMediaTransportControls* ControlsOfWindow(HWND window)
{
    HSTRING name = MakeString(MEDIA_CONTROLS_CLASS, ARRAYSIZE(MEDIA_CONTROLS_CLASS) - 1);
    if (name == NULL)
        return NULL;
    ISystemMediaTransportControlsInterop* interop = NULL;
    HRESULT found = s_calls.getActivationFactory(name, IID_ISystemMediaTransportControlsInterop,
                                                 reinterpret_cast<void**>(&interop));
    s_calls.deleteString(name);
    if (FAILED(found) || interop == NULL)
        return NULL;
    ISystemMediaTransportControls* controls = NULL;
    // Early Windows 10 builds answer S_FALSE with nothing.
    HRESULT got = interop->lpVtbl->GetForWindow(interop, window, IID_ISystemMediaTransportControls,
                                                reinterpret_cast<void**>(&controls));
    interop->lpVtbl->Release(interop);
    return SUCCEEDED(got) ? controls : NULL;
}

bool MakeControls(HWND window)
{
    // The window's thread, as for the shell's dialogs; one of another kind serves as well.
    HRESULT apartment = s_calls.initialize(RO_INIT_SINGLETHREADED);
    if (FAILED(apartment) && apartment != RPC_E_CHANGED_MODE)
        return false;
    s_controls = ControlsOfWindow(window);
    if (s_controls == NULL)
        return false;
    s_buttons =
        SUCCEEDED(s_controls->lpVtbl->add_ButtonPressed(s_controls, MediaButtonsHandler(window), &s_buttonToken));
    return true;
}

// The title and artist of the entry at index, as the controls show them.
void ShowEntry(ISystemMediaTransportControlsDisplayUpdater* display, HWND window, int index)
{
    char title[TEXT_CAPACITY];
    char artist[TEXT_CAPACITY];
    MediaControlsTitleOf(window, index, title, artist);
    wchar_t wide[TEXT_CAPACITY];
    display->lpVtbl->put_Type(display, MEDIA_TYPE_MUSIC);
    IMusicDisplayProperties* music = NULL;
    if (FAILED(display->lpVtbl->get_MusicProperties(display, &music)) || music == NULL)
        return;
    const char* texts[] = {title, artist};
    for (int i = 0; i < 2; ++i) {
        int length = MultiByteToWideChar(CP_ACP, 0, texts[i], -1, wide, TEXT_CAPACITY);
        HSTRING text = MakeString(wide, length > 0 ? static_cast<UINT32>(length - 1) : 0);
        if (i == 0)
            music->lpVtbl->put_Title(music, text);
        else
            music->lpVtbl->put_Artist(music, text);
        if (text != NULL)
            s_calls.deleteString(text);
    }
    music->lpVtbl->Release(music);
}

// The current entry, or nothing between entries and in an empty queue.
void ShowCurrentEntry(HWND window)
{
    ISystemMediaTransportControlsDisplayUpdater* display = NULL;
    if (FAILED(s_controls->lpVtbl->get_DisplayUpdater(s_controls, &display)) || display == NULL)
        return;
    display->lpVtbl->ClearAll(display);
    int index = CurrentEntryIndex(window);
    if (index >= 0)
        ShowEntry(display, window, index);
    display->lpVtbl->Update(display);
    display->lpVtbl->Release(display);
}

typedef HRESULT(STDMETHODCALLTYPE* FlagSetter)(ISystemMediaTransportControls*, WinRtBool);

// A button is offered only where its press reaches the window.
void SetFlag(FlagSetter setter, bool* shown, bool wanted)
{
    if (s_shown.refreshed && *shown == wanted)
        return;
    *shown = wanted;
    setter(s_controls, wanted && s_buttons ? 1 : 0);
}

MediaPlaybackStatus StatusOfPlayback()
{
    switch (g_playState) {
    case PLAY_PLAYING: return MEDIA_STATUS_PLAYING;
    case PLAY_PAUSED:  return MEDIA_STATUS_PAUSED;
    default:           return MEDIA_STATUS_STOPPED;
    }
}

}  // namespace

void NoteCommandOffered(int id, bool offered)
{
    if (id == IDM_PREVIOUS)
        s_previousOffered = offered;
    else if (id == IDM_NEXT)
        s_nextOffered = offered;
}

void MediaControlsTitleOf(HWND window, int index, char* title, char* artist)
{
    GetEntryTitleAndArtist(window, index, title, artist);
}

void ShowMediaControlsTitleAgain(HWND window)
{
    if (s_controls == NULL)
        return;
    s_shown.generation = 0;
    UpdateMediaControls(window);
}

bool MediaKeysGoToControls()
{
    return s_controls != NULL && s_buttons;
}

void StartMediaControls(HWND window)
{
    if (s_controls != NULL || !FindRuntimeCalls() || !MakeControls(window))
        return;
    // Named before the controls are first told anything, which lists Vireo.
    RegisterAppIdentity();
    // The system hands the media keys to the controls from now on.
    if (s_buttons)
        ReleaseMediaKeys(window);
    s_shown.refreshed = false;
    UpdateMediaControls(window);
}

void UpdateMediaControls(HWND window)
{
    if (s_controls == NULL) {
        if (!s_asked && GetEntryCount(window) > 0) {
            s_asked = true;
            PostMessageA(window, MSG_MEDIA_CONTROLS, 0, 0);
        }
        return;
    }
    const ISystemMediaTransportControlsVtbl* calls = s_controls->lpVtbl;
    bool anyEntry = GetEntryCount(window) > 0;
    bool playing = g_playState != PLAY_STOPPED;
    if (!s_shown.refreshed || s_shown.enabled != anyEntry) {
        s_shown.enabled = anyEntry;
        calls->put_IsEnabled(s_controls, anyEntry ? 1 : 0);
    }
    MediaPlaybackStatus status = StatusOfPlayback();
    if (!s_shown.refreshed || s_shown.status != status) {
        s_shown.status = status;
        ShowMediaButtonsStatus(status);
        calls->put_PlaybackStatus(s_controls, status);
    }
    SetFlag(calls->put_IsPlayEnabled, &s_shown.play, anyEntry);
    SetFlag(calls->put_IsPauseEnabled, &s_shown.pause, playing);
    SetFlag(calls->put_IsStopEnabled, &s_shown.stop, playing);
    SetFlag(calls->put_IsPreviousEnabled, &s_shown.previous, s_previousOffered);
    SetFlag(calls->put_IsNextEnabled, &s_shown.next, s_nextOffered);
    WPARAM generation = CurrentGeneration();
    if (!s_shown.refreshed || s_shown.generation != generation || s_shown.anyEntry != anyEntry) {
        s_shown.generation = generation;
        s_shown.anyEntry = anyEntry;
        ShowCurrentEntry(window);
    }
    s_shown.refreshed = true;
}

void ReleaseMediaControls()
{
    s_asked = false;
    ForgetMediaButtons();
    if (s_controls == NULL)
        return;
    // Gone from the flyout at once rather than when the system notices.
    s_controls->lpVtbl->put_IsEnabled(s_controls, 0);
    if (s_buttons)
        s_controls->lpVtbl->remove_ButtonPressed(s_controls, s_buttonToken);
    s_controls->lpVtbl->Release(s_controls);
    s_controls = NULL;
    s_buttons = false;
}
