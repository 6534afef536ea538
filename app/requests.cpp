// A command-line request, carried out against a main window of this or of another process.
#include <windows.h>

#include "app.h"
#include "request_text.h"
#include "../playlist/playlist.h"
#include "resource.h"

static void LoadRequestedPlaylist(HWND window, const char* request)
{
    char name[TEXT_CAPACITY];
    RequestFileName(request, name, sizeof name);
    LoadPlaylistFile(window, name);
}

// Explorer, shortcuts and "Send to" quote every path with a blank, and hand
// several files over on one line.
static void AddRequestedPaths(HWND window, const char* request)
{
    AddMailbox mailbox;
    OpenAddMailbox(window, &mailbox);
    char path[TEXT_CAPACITY];
    const char* cursor = request;
    while (TakeRequestPath(&cursor, path, sizeof path))
        AddPathOrPlaylist(&mailbox, path);
    CloseAddMailbox(&mailbox);
}

void ApplyRequest(HWND window, const char* request)
{
    switch (ClassifyRequest(request)) {
    case REQUEST_LOAD:
        LoadRequestedPlaylist(window, request);
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case REQUEST_PLAY:
        LoadRequestedPlaylist(window, request);
        // Posted: every path is in the list before the start is handled.
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_START, 0), 0);
        break;
    case REQUEST_MEDIA:
        // The whole text is one path, which may name a playlist.
        if (ClassifyPlaylistName(request) != PLAYLIST_NONE)
            LoadPlaylistFile(window, request);
        else
            PostToAddMailbox(window, request);
        break;
    case REQUEST_PATHS:
        AddRequestedPaths(window, request);
        break;
    }
}
