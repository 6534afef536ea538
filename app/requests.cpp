// A command-line request, carried out against a main window of this or of another process.
#include <windows.h>

#include "app.h"
#include "request_text.h"
#include "../playlist/playlist.h"
#include "resource.h"

void ApplyRequest(HWND window, const char* request)
{
    switch (ClassifyRequest(request)) {
    case REQUEST_LOAD:
        LoadPlaylistFile(window, RequestFileName(request));
        ShowWindow(window, SW_SHOWNORMAL);
        break;
    case REQUEST_PLAY:
        LoadPlaylistFile(window, RequestFileName(request));
        // Posted: every path is in the list before the start is handled.
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_START, 0), 0);
        break;
    case REQUEST_MEDIA:
        PostToAddMailbox(window, request);
        break;
    }
}
