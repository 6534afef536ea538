// Explorer's way in for a selection: it starts the player once and then sends
// one execute per selected item, each answered before the next is sent.
#include <windows.h>
#include <ddeml.h>

#include "app.h"
#include "dde_text.h"
#include "request_text.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"

static DWORD s_ddeInstance = 0;
static HSZ s_service = NULL;
static HSZ s_topic = NULL;
// The player's own window, which every execute is carried out against.
static HWND s_ddeWindow = NULL;

// The conversation's only business is executes; the rest is refused unseen.
static const DWORD DDE_SERVER_FLAGS = APPCLASS_STANDARD | APPCMD_FILTERINITS | CBF_FAIL_ADVISES | CBF_FAIL_POKES |
                                      CBF_FAIL_REQUESTS | CBF_SKIP_CONNECT_CONFIRMS | CBF_SKIP_DISCONNECTS |
                                      CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;

// Explorer's "Play" on several playlists sends one play execute per item,
// each as soon as the one before is answered (the first item on the command
// line of the player it starts, then an empty execute in its place). A play
// that comes within this long of the last one's end, while something plays,
// is a later item of the same selection: it appends and leaves playing
// alone. Two plays chosen one by one are seconds apart.
static const DWORD SELECTION_GAP_MS = 2000;
static bool s_playNoted = false;
static DWORD s_playNotedTick = 0;

void NotePlayRequest()
{
    s_playNoted = true;
    s_playNotedTick = GetTickCount();
}

static bool SelectionGoesOn()
{
    return s_playNoted && GetTickCount() - s_playNotedTick < SELECTION_GAP_MS;
}

static HDDEDATA Answer(bool done)
{
    return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(done ? DDE_FACK : DDE_FNOTPROCESSED));
}

// Answered only once the paths are in the list, so that the shell's next
// item comes after this one.
static HDDEDATA CarryOutExecute(HSZ topic, HDDEDATA data)
{
    if (topic != s_topic)
        return Answer(false);
    DWORD size = DdeGetData(data, NULL, 0, 0);
    if (size == 0 || size > EXECUTE_CAPACITY)
        return Answer(false);
    char execute[EXECUTE_CAPACITY];
    DWORD got = DdeGetData(data, reinterpret_cast<LPBYTE>(execute), sizeof execute, 0);
    char request[EXECUTE_REQUEST_CAPACITY];
    switch (ReadExecute(execute, got, request, sizeof request)) {
    case EXECUTE_NOTHING:
        // The first item, which came on the command line.
        if (SelectionGoesOn())
            NotePlayRequest();
        return Answer(true);
    case EXECUTE_REFUSED: return Answer(false);
    case EXECUTE_REQUEST: break;
    }
    // A player whose window has gone takes nothing: the item is not ours to drop silently.
    if (!IsWindow(s_ddeWindow))
        return Answer(false);
    int lostBefore = g_undeliveredAdds;
    bool play = ClassifyRequest(request) == REQUEST_PLAY;
    if (play && SelectionGoesOn() && g_playState != PLAY_STOPPED) {
        AppendRequest(s_ddeWindow, request);
        NotePlayRequest();
    } else {
        // Another verb is another selection.
        if (!play)
            s_playNoted = false;
        ApplyRequest(s_ddeWindow, request);
    }
    return Answer(g_undeliveredAdds == lostBefore);
}

// String handles are atoms: a topic named in any case is our very handle.
static HDDEDATA CALLBACK OnDdeTransaction(UINT type, UINT format, HCONV conversation, HSZ first, HSZ second,
                                          HDDEDATA data, ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT: return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(first == s_topic));
    case XTYP_EXECUTE: return CarryOutExecute(first, data);
    default:           return NULL;
    }
}

void StartDdeService(HWND window)
{
    if (s_ddeInstance != 0)
        return;
    s_ddeWindow = window;
    if (DdeInitializeA(&s_ddeInstance, OnDdeTransaction, DDE_SERVER_FLAGS, 0) != DMLERR_NO_ERROR) {
        s_ddeInstance = 0;
        return;
    }
    s_service = DdeCreateStringHandleA(s_ddeInstance, DDE_SERVICE_NAME, CP_WINANSI);
    s_topic = DdeCreateStringHandleA(s_ddeInstance, DDE_TOPIC_NAME, CP_WINANSI);
    // Without the name the shell finds no one and starts a process per item,
    // which forwards its item as any later start does.
    if (s_service != NULL && s_topic != NULL)
        DdeNameService(s_ddeInstance, s_service, NULL, DNS_REGISTER);
}

void StopDdeService()
{
    if (s_ddeInstance == 0)
        return;
    DdeNameService(s_ddeInstance, NULL, NULL, DNS_UNREGISTER);
    if (s_service != NULL)
        DdeFreeStringHandle(s_ddeInstance, s_service);
    if (s_topic != NULL)
        DdeFreeStringHandle(s_ddeInstance, s_topic);
    DdeUninitialize(s_ddeInstance);
    s_ddeInstance = 0;
    s_service = NULL;
    s_topic = NULL;
    s_ddeWindow = NULL;
}
