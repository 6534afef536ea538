// The keyboard's media keys, held as hot keys only from Start to Stop: while
// Vireo is idle they stay with whatever other program wants them.
#include <windows.h>

#include "shell.h"
#include "../playback/playback.h"
#include "resource.h"

struct MediaKey {
    int id;
    UINT key;
};

static const MediaKey MEDIA_KEYS[] = {
    {HOTKEY_PLAY_PAUSE, VK_MEDIA_PLAY_PAUSE},
    {HOTKEY_STOP, VK_MEDIA_STOP},
    {HOTKEY_NEXT, VK_MEDIA_NEXT_TRACK},
    {HOTKEY_PREVIOUS, VK_MEDIA_PREV_TRACK},
};

void HoldMediaKeys(HWND window)
{
    // Windows' media controls have the keys: held here too, a press would act twice.
    if (MediaKeysGoToControls())
        return;
    // A key another program holds is not taken; nor, on a resume, is one
    // this window holds already: both fail, and both are fine.
    for (const MediaKey& media : MEDIA_KEYS)
        RegisterHotKey(window, media.id, 0, media.key);
}

void ReleaseMediaKeys(HWND window)
{
    for (const MediaKey& media : MEDIA_KEYS)
        UnregisterHotKey(window, media.id);
}

static int MediaKeyCommand(int id)
{
    switch (id) {
    case HOTKEY_PLAY_PAUSE: return g_playState != PLAY_PLAYING ? IDM_START : IDM_PAUSE;  // as the tray click
    case HOTKEY_STOP:       return IDM_STOP;
    case HOTKEY_NEXT:       return IDM_NEXT;
    case HOTKEY_PREVIOUS:   return IDM_PREVIOUS;
    default:                return 0;
    }
}

void HandleMediaKey(HWND window, int id)
{
    // A press queued before Stop let the keys go is no Start.
    if (g_playState == PLAY_STOPPED)
        return;
    int command = MediaKeyCommand(id);
    if (command != 0)
        SendCommand(window, command);
}
