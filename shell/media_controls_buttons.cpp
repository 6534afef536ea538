// The buttons of Windows' media controls, reported on a thread of the
// system's: each press is posted to the window as the command the tray
// menu sends for it.
#include <windows.h>

#include <atomic>

#include "media_controls_interop.h"
#include "resource.h"

namespace {

std::atomic<HWND> s_buttonWindow(NULL);
// The status the controls show, which decides what Play and Pause mean.
std::atomic<int> s_buttonStatus(MEDIA_STATUS_STOPPED);

// A press maps to what the tray would do in the state the controls show:
// a Play that meets a playing list must not start it over.
int ButtonCommand(MediaControlsButton button)
{
    int status = s_buttonStatus.load();
    switch (button) {
    case MEDIA_BUTTON_PLAY:     return status != MEDIA_STATUS_PLAYING ? IDM_START : 0;
    case MEDIA_BUTTON_PAUSE:    return status == MEDIA_STATUS_PLAYING ? IDM_PAUSE : 0;
    case MEDIA_BUTTON_STOP:     return IDM_STOP;
    case MEDIA_BUTTON_NEXT:     return IDM_NEXT;
    case MEDIA_BUTTON_PREVIOUS: return IDM_PREVIOUS;
    default:                    return 0;
    }
}

// The one handler, alive for the program's life: it keeps no count.
HRESULT STDMETHODCALLTYPE HandlerQueryInterface(ButtonPressedHandler* handler, REFIID iid, void** out)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ButtonPressedHandler) ||
        IsEqualIID(iid, IID_AgileObject)) {
        *out = handler;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HandlerAddRef(ButtonPressedHandler*)
{
    return 2;
}

ULONG STDMETHODCALLTYPE HandlerRelease(ButtonPressedHandler*)
{
    return 1;
}

// On a thread of the system's: the window hears the tray's own command.
HRESULT STDMETHODCALLTYPE HandlerInvoke(ButtonPressedHandler*, ISystemMediaTransportControls*,
                                        ISystemMediaTransportControlsButtonPressedEventArgs* args)
{
    MediaControlsButton button;
    if (args == NULL || FAILED(args->lpVtbl->get_Button(args, &button)))
        return S_OK;
    int command = ButtonCommand(button);
    HWND window = s_buttonWindow.load();
    if (command != 0 && window != NULL)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return S_OK;
}

const ButtonPressedHandlerVtbl HANDLER_TABLE = {HandlerQueryInterface, HandlerAddRef, HandlerRelease, HandlerInvoke};
ButtonPressedHandler s_handler = {&HANDLER_TABLE};

}  // namespace

ButtonPressedHandler* MediaButtonsHandler(HWND window)
{
    s_buttonWindow.store(window);
    return &s_handler;
}

void ShowMediaButtonsStatus(MediaPlaybackStatus status)
{
    s_buttonStatus.store(status);
}

void ForgetMediaButtons()
{
    s_buttonWindow.store(NULL);
}
