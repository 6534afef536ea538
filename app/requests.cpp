// A command-line request, carried out against a main window of this or of another process.
#include <windows.h>

#include "app.h"
#include "request_text.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"

static bool NamesExistingPlaylist(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return ClassifyPlaylistName(path) != PLAYLIST_NONE && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The list index of the first entry the load appended, or -1.
static int LoadRequestedPlaylist(HWND window, const char* request)
{
    char name[TEXT_CAPACITY];
    RequestFileName(request, name, sizeof name);
    return LoadPlaylistFile(window, name);
}

// What the user asked for plays, not the kept queue before it: playing goes
// on from the first entry the load appended. A load that appended none
// starts as Start does. Posted: every path is in the list before the play
// is handled.
static void PlayRequestedPlaylist(HWND window, const char* request)
{
    int first = LoadRequestedPlaylist(window, request);
    if (first >= 0)
        PostMessageA(window, MSG_PLAY_ENTRY, static_cast<WPARAM>(first), 0);
    else
        PostCommand(window, IDM_START);
    NotePlayRequest();
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

static void CarryOutRequest(HWND window, const char* request, bool mayPlay)
{
    switch (ClassifyRequest(request)) {
    case REQUEST_LOAD:
        LoadRequestedPlaylist(window, request);
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case REQUEST_PLAY:
        if (mayPlay)
            PlayRequestedPlaylist(window, request);
        else
            LoadRequestedPlaylist(window, request);
        break;
    case REQUEST_MEDIA:
        // The whole text is one path: a playlist there is loaded, and a text
        // that names no file stays one media path (a mistyped "/Play" too).
        if (NamesExistingPlaylist(request))
            LoadPlaylistFile(window, request);
        else
            PostToAddMailbox(window, request);
        break;
    case REQUEST_PATHS:
        AddRequestedPaths(window, request);
        break;
    }
}

void ApplyRequest(HWND window, const char* request)
{
    CarryOutRequest(window, request, true);
}

void AppendRequest(HWND window, const char* request)
{
    CarryOutRequest(window, request, false);
}
