// Windows' media controls as a desktop program reaches them (Windows 8.1
// and later), declared here because the cross compiler's headers lack them.
// Each table lists its methods in the platform's slot order: IUnknown's
// three, IInspectable's three, then the interface's own, getter before
// setter. Identifiers, slots and values are Microsoft's (Windows.Media
// reference and the generated Windows metadata bindings).
#ifndef VIREO_MEDIA_CONTROLS_INTEROP_H
#define VIREO_MEDIA_CONTROLS_INTEROP_H

#include <windows.h>
#include <hstring.h>

// The platform's boolean is one byte.
typedef unsigned char WinRtBool;

struct WinRtEventToken {
    INT64 value;
};

enum MediaPlaybackStatus {
    MEDIA_STATUS_CLOSED = 0,
    MEDIA_STATUS_CHANGING = 1,
    MEDIA_STATUS_STOPPED = 2,
    MEDIA_STATUS_PLAYING = 3,
    MEDIA_STATUS_PAUSED = 4
};

enum MediaPlaybackType {
    MEDIA_TYPE_UNKNOWN = 0,
    MEDIA_TYPE_MUSIC = 1
};

enum MediaControlsButton {
    MEDIA_BUTTON_PLAY = 0,
    MEDIA_BUTTON_PAUSE = 1,
    MEDIA_BUTTON_STOP = 2,
    MEDIA_BUTTON_NEXT = 6,
    MEDIA_BUTTON_PREVIOUS = 7
};

#define MEDIA_CONTROLS_INSPECTABLE_SLOTS(Self)                                \
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(Self*, REFIID, void**);        \
    ULONG(STDMETHODCALLTYPE* AddRef)(Self*);                                  \
    ULONG(STDMETHODCALLTYPE* Release)(Self*);                                 \
    HRESULT(STDMETHODCALLTYPE* GetIids)(Self*, ULONG*, IID**);                \
    HRESULT(STDMETHODCALLTYPE* GetRuntimeClassName)(Self*, HSTRING*);         \
    HRESULT(STDMETHODCALLTYPE* GetTrustLevel)(Self*, int*);

// A getter and a setter of a boolean property, in that order.
#define MEDIA_CONTROLS_FLAG_SLOTS(Self, name)                                 \
    HRESULT(STDMETHODCALLTYPE* get_##name)(Self*, WinRtBool*);                \
    HRESULT(STDMETHODCALLTYPE* put_##name)(Self*, WinRtBool);

struct ISystemMediaTransportControls;
struct ISystemMediaTransportControlsButtonPressedEventArgs;

// Implemented by the activation factory of the controls' class.
struct ISystemMediaTransportControlsInterop;
struct ISystemMediaTransportControlsInteropVtbl {
    MEDIA_CONTROLS_INSPECTABLE_SLOTS(ISystemMediaTransportControlsInterop)
    HRESULT(STDMETHODCALLTYPE* GetForWindow)(ISystemMediaTransportControlsInterop*, HWND, REFIID, void**);
};
struct ISystemMediaTransportControlsInterop {
    const ISystemMediaTransportControlsInteropVtbl* lpVtbl;
};

// TypedEventHandler<SystemMediaTransportControls,
// SystemMediaTransportControlsButtonPressedEventArgs>: a delegate, so
// IUnknown's slots only.
struct ButtonPressedHandler;
struct ButtonPressedHandlerVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(ButtonPressedHandler*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(ButtonPressedHandler*);
    ULONG(STDMETHODCALLTYPE* Release)(ButtonPressedHandler*);
    HRESULT(STDMETHODCALLTYPE* Invoke)(ButtonPressedHandler*, ISystemMediaTransportControls*,
                                       ISystemMediaTransportControlsButtonPressedEventArgs*);
};
struct ButtonPressedHandler {
    const ButtonPressedHandlerVtbl* lpVtbl;
};

struct ISystemMediaTransportControlsDisplayUpdater;
struct ISystemMediaTransportControlsVtbl {
    MEDIA_CONTROLS_INSPECTABLE_SLOTS(ISystemMediaTransportControls)
    HRESULT(STDMETHODCALLTYPE* get_PlaybackStatus)(ISystemMediaTransportControls*, MediaPlaybackStatus*);
    HRESULT(STDMETHODCALLTYPE* put_PlaybackStatus)(ISystemMediaTransportControls*, MediaPlaybackStatus);
    HRESULT(STDMETHODCALLTYPE* get_DisplayUpdater)(ISystemMediaTransportControls*,
                                                   ISystemMediaTransportControlsDisplayUpdater**);
    HRESULT(STDMETHODCALLTYPE* get_SoundLevel)(ISystemMediaTransportControls*, int*);
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsPlayEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsStopEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsPauseEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsRecordEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsFastForwardEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsRewindEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsPreviousEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsNextEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsChannelUpEnabled)
    MEDIA_CONTROLS_FLAG_SLOTS(ISystemMediaTransportControls, IsChannelDownEnabled)
    HRESULT(STDMETHODCALLTYPE* add_ButtonPressed)(ISystemMediaTransportControls*, ButtonPressedHandler*,
                                                  WinRtEventToken*);
    HRESULT(STDMETHODCALLTYPE* remove_ButtonPressed)(ISystemMediaTransportControls*, WinRtEventToken);
    HRESULT(STDMETHODCALLTYPE* add_PropertyChanged)(ISystemMediaTransportControls*, IUnknown*, WinRtEventToken*);
    HRESULT(STDMETHODCALLTYPE* remove_PropertyChanged)(ISystemMediaTransportControls*, WinRtEventToken);
};
struct ISystemMediaTransportControls {
    const ISystemMediaTransportControlsVtbl* lpVtbl;
};

struct IMusicDisplayProperties;
struct ISystemMediaTransportControlsDisplayUpdaterVtbl {
    MEDIA_CONTROLS_INSPECTABLE_SLOTS(ISystemMediaTransportControlsDisplayUpdater)
    HRESULT(STDMETHODCALLTYPE* get_Type)(ISystemMediaTransportControlsDisplayUpdater*, MediaPlaybackType*);
    HRESULT(STDMETHODCALLTYPE* put_Type)(ISystemMediaTransportControlsDisplayUpdater*, MediaPlaybackType);
    HRESULT(STDMETHODCALLTYPE* get_AppMediaId)(ISystemMediaTransportControlsDisplayUpdater*, HSTRING*);
    HRESULT(STDMETHODCALLTYPE* put_AppMediaId)(ISystemMediaTransportControlsDisplayUpdater*, HSTRING);
    HRESULT(STDMETHODCALLTYPE* get_Thumbnail)(ISystemMediaTransportControlsDisplayUpdater*, IUnknown**);
    HRESULT(STDMETHODCALLTYPE* put_Thumbnail)(ISystemMediaTransportControlsDisplayUpdater*, IUnknown*);
    HRESULT(STDMETHODCALLTYPE* get_MusicProperties)(ISystemMediaTransportControlsDisplayUpdater*,
                                                    IMusicDisplayProperties**);
    HRESULT(STDMETHODCALLTYPE* get_VideoProperties)(ISystemMediaTransportControlsDisplayUpdater*, IUnknown**);
    HRESULT(STDMETHODCALLTYPE* get_ImageProperties)(ISystemMediaTransportControlsDisplayUpdater*, IUnknown**);
    HRESULT(STDMETHODCALLTYPE* CopyFromFileAsync)(ISystemMediaTransportControlsDisplayUpdater*, MediaPlaybackType,
                                                  IUnknown*, IUnknown**);
    HRESULT(STDMETHODCALLTYPE* ClearAll)(ISystemMediaTransportControlsDisplayUpdater*);
    HRESULT(STDMETHODCALLTYPE* Update)(ISystemMediaTransportControlsDisplayUpdater*);
};
struct ISystemMediaTransportControlsDisplayUpdater {
    const ISystemMediaTransportControlsDisplayUpdaterVtbl* lpVtbl;
};

struct IMusicDisplayPropertiesVtbl {
    MEDIA_CONTROLS_INSPECTABLE_SLOTS(IMusicDisplayProperties)
    HRESULT(STDMETHODCALLTYPE* get_Title)(IMusicDisplayProperties*, HSTRING*);
    HRESULT(STDMETHODCALLTYPE* put_Title)(IMusicDisplayProperties*, HSTRING);
    HRESULT(STDMETHODCALLTYPE* get_AlbumArtist)(IMusicDisplayProperties*, HSTRING*);
    HRESULT(STDMETHODCALLTYPE* put_AlbumArtist)(IMusicDisplayProperties*, HSTRING);
    HRESULT(STDMETHODCALLTYPE* get_Artist)(IMusicDisplayProperties*, HSTRING*);
    HRESULT(STDMETHODCALLTYPE* put_Artist)(IMusicDisplayProperties*, HSTRING);
};
struct IMusicDisplayProperties {
    const IMusicDisplayPropertiesVtbl* lpVtbl;
};

struct ISystemMediaTransportControlsButtonPressedEventArgsVtbl {
    MEDIA_CONTROLS_INSPECTABLE_SLOTS(ISystemMediaTransportControlsButtonPressedEventArgs)
    HRESULT(STDMETHODCALLTYPE* get_Button)(ISystemMediaTransportControlsButtonPressedEventArgs*,
                                           MediaControlsButton*);
};
struct ISystemMediaTransportControlsButtonPressedEventArgs {
    const ISystemMediaTransportControlsButtonPressedEventArgsVtbl* lpVtbl;
};

const wchar_t MEDIA_CONTROLS_CLASS[] = L"Windows.Media.SystemMediaTransportControls";

const IID IID_ISystemMediaTransportControlsInterop = {
    0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}};
const IID IID_ISystemMediaTransportControls = {
    0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}};
// Derived by the platform's rule for parameterized interfaces from the
// delegate's and its two type arguments' identifiers.
const IID IID_ButtonPressedHandler = {
    0x0557e996, 0x7b23, 0x5bae, {0xaa, 0x81, 0xea, 0x0d, 0x67, 0x11, 0x43, 0xa4}};
// Says the handler may be called on any thread, as the controls call it.
const IID IID_AgileObject = {0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};

// The program's own side (media_controls_buttons.cpp): the one handler,
// which posts each press to the window; the status the controls show, by
// which Play and Pause are read; and the window forgotten at the release.
ButtonPressedHandler* MediaButtonsHandler(HWND window);
void ShowMediaButtonsStatus(MediaPlaybackStatus status);
void ForgetMediaButtons();

#endif
