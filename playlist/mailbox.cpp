// The add mailbox: the one door through which every entry reaches the playlist.
// A single slot (the hidden IDC_MAILBOX text) guarded by a named semaphore
// that all processes of the user share.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../app/app.h"
#include "resource.h"
#include "mailbox_slot.h"

const char ADD_SEMAPHORE_NAME[] = "VireoAddSemaphore";
const char ADD_HOLDER_NAME[] = "VireoAddSlotHolder";
// Taken only to settle which of several senders takes a dead one's slot over.
static const char ADD_CLAIM_NAME[] = "VireoAddSlotClaim";


HANDLE OpenAddSemaphore()
{
    return CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
}

// On the main window's own thread a plain wait would shut out the sender in
// another process whose message this thread must handle before the slot
// comes free; sent messages are let through while waiting.
static bool WaitForSlotOnWindowThread(HANDLE semaphore, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD remaining = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        DWORD result = MsgWaitForMultipleObjects(1, &semaphore, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        // Any peek handles the sent messages that wait; the flag that would
        // narrow it to them is unknown to 95 and NT 4.0.
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    }
}

// The process id of the sender of ours that holds the slot, 0 once the
// player has read the text: one page that every process shares, mapped once
// and kept, so that a post pays a plain store for it.
static volatile LONG* SlotHolder()
{
    static volatile LONG* holder = NULL;
    static bool opened = false;
    if (!opened) {
        opened = true;
        HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(LONG), ADD_HOLDER_NAME);
        // The handle is kept with the view, closed with the process: a name
        // whose last handle is closed is gone, the view or not.
        if (mapping != NULL)
            holder = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    }
    return holder;
}

void KeepAddSlotRecord()
{
    SlotHolder();
}

void RecordSlotHolder(DWORD pid)
{
    volatile LONG* holder = SlotHolder();
    if (holder != NULL)
        *holder = static_cast<LONG>(pid);
}

// A sender killed between taking the slot and the player's read leaves the
// count taken for as long as anyone keeps the semaphore open. A wait that
// ran out on a slot whose holder on record has ended takes it over; of
// several such waits, one does. A slot left by a sender without the record
// (an older version) is only waited for.
static bool TakeOverFromEndedHolder()
{
    volatile LONG* holder = SlotHolder();
    if (holder == NULL)
        return false;
    DWORD pid = static_cast<DWORD>(*holder);
    if (pid == 0 || pid == GetCurrentProcessId() || ProcessRuns(pid))
        return false;
    HANDLE claim = CreateMutexA(NULL, FALSE, ADD_CLAIM_NAME);
    if (claim == NULL)
        return false;
    bool taken = false;
    DWORD result = WaitForSingleObject(claim, ADD_MAILBOX_WAIT_MS);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        taken = static_cast<DWORD>(*holder) == pid;
        if (taken)
            *holder = static_cast<LONG>(GetCurrentProcessId());
        ReleaseMutex(claim);
    }
    CloseHandle(claim);
    return taken;
}

static bool TakeSlot(const AddMailbox* mailbox)
{
    if (mailbox->onWindowThread)
        return WaitForSlotOnWindowThread(mailbox->semaphore, ADD_MAILBOX_WAIT_MS);
    return WaitForSingleObject(mailbox->semaphore, ADD_MAILBOX_WAIT_MS) == WAIT_OBJECT_0;
}

bool OpenAddMailbox(HWND window, AddMailbox* mailbox)
{
    mailbox->window = window;
    mailbox->slot = GetDlgItem(window, IDC_MAILBOX);
    mailbox->onWindowThread = GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId();
    mailbox->semaphore = OpenAddSemaphore();
    mailbox->firstIndex = -1;
    return mailbox->semaphore != NULL;
}

void CloseAddMailbox(AddMailbox* mailbox)
{
    if (mailbox->semaphore != NULL)
        CloseHandle(mailbox->semaphore);
    mailbox->semaphore = NULL;
}

int g_undeliveredAdds = 0;

// A slot still taken once the wait is over: a sender killed while it held it
// leaves it taken for as long as anyone keeps the semaphore open, so this
// handle is let go and a new one opened for the next try.
static void ReopenAfterTimeout(AddMailbox* mailbox)
{
    CloseAddMailbox(mailbox);
    mailbox->semaphore = OpenAddSemaphore();
}

// A player in another process is asked again while its window exists, up
// to a bound: a later start's text has nowhere else to go. The window's own
// thread waits once, so that a stuck slot cannot hold its user up.
static bool TakeSlotWhileWindowExists(AddMailbox* mailbox)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (mailbox->semaphore == NULL)
            return false;
        if (TakeSlot(mailbox) || TakeOverFromEndedHolder())
            return true;
        ReopenAfterTimeout(mailbox);
        if (mailbox->onWindowThread || !IsWindow(mailbox->window) ||
            GetTickCount() - start >= ADD_MAILBOX_PATIENCE_MS)
            return false;
    }
}

bool TakeAddSlot(AddMailbox* mailbox)
{
    if (!TakeSlotWhileWindowExists(mailbox))
        return false;
    RecordSlotHolder(GetCurrentProcessId());
    return true;
}

static bool DeliverText(AddMailbox* mailbox, const char* text)
{
    if (!TakeAddSlot(mailbox))
        return false;
    // The receiver reads no more than this; a longer text written across to
    // another process can stall its send for good (seen with a megabyte
    // under Wine), holding the slot for everyone.
    char slotText[MAILBOX_CAPACITY];
    CopyBounded(slotText, sizeof slotText, text);
    // Every add passes the slot, so while it is held the list's end is
    // where this text will go.
    int index = -1;
    if (mailbox->firstIndex < 0)
        index = static_cast<int>(SendDlgItemMessageA(mailbox->window, IDC_PLAYLIST, LB_GETCOUNT, 0, 0));
    // No receiver will release a slot whose window is gone: give it back.
    // (A window that goes between the two sends leaves the slot taken until
    // the next post's wait runs out and opens the semaphore anew.)
    if (!SendMessageA(mailbox->slot, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(slotText))) {
        RecordSlotHolder(0);
        ReleaseSemaphore(mailbox->semaphore, 1, NULL);
        return false;
    }
    SendMessageA(mailbox->window, MSG_ADD_PENDING, 0, 0);
    if (mailbox->firstIndex < 0)
        mailbox->firstIndex = index;
    return true;
}

bool PostToOpenMailbox(AddMailbox* mailbox, const char* text)
{
    if (DeliverText(mailbox, text))
        return true;
    ++g_undeliveredAdds;
    return false;
}

void AddPathOrPlaylist(AddMailbox* mailbox, const char* path)
{
    if (ClassifyPlaylistName(path) != PLAYLIST_NONE)
        LoadPlaylistFile(mailbox->window, path);
    else
        PostToOpenMailbox(mailbox, path);
}

void PostToAddMailbox(HWND window, const char* text)
{
    AddMailbox mailbox;
    OpenAddMailbox(window, &mailbox);
    PostToOpenMailbox(&mailbox, text);
    CloseAddMailbox(&mailbox);
}
