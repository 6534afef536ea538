// The add mailbox: the one door through which every entry reaches the playlist.
// A single slot (the hidden IDC_MAILBOX text) guarded by a named semaphore
// that all processes of the user share.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../playback/playback.h"
#include "../shell/shell_text.h"
#include "resource.h"

const char ADD_SEMAPHORE_NAME[] = "VireoAddSemaphore";
const char ADD_HOLDER_NAME[] = "VireoAddSlotHolder";
// Taken only to settle which of several senders takes a dead one's slot over.
static const char ADD_CLAIM_NAME[] = "VireoAddSlotClaim";


static HANDLE OpenAddSemaphore()
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

static void RecordSlotHolder(DWORD pid)
{
    volatile LONG* holder = SlotHolder();
    if (holder != NULL)
        *holder = static_cast<LONG>(pid);
}

// One that cannot be opened for another reason than its absence (another
// user's, or one running raised) counts as running. Its exit code is asked
// for rather than waited on: the right to wait on an opened process is
// NT's alone.
static bool ProcessRuns(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == NULL)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
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

// The receiver's handle to the slot semaphore, kept while a stream of adds
// arrives: opening it for every add was a good part of the stream's time. It
// is let go once the stream pauses, since closing every handle is what
// frees a slot that a killed sender left taken.
static HANDLE s_receiverSemaphore = NULL;

static void ReleaseSlot()
{
    if (s_receiverSemaphore == NULL)
        s_receiverSemaphore = OpenAddSemaphore();
    if (s_receiverSemaphore != NULL)
        ReleaseSemaphore(s_receiverSemaphore, 1, NULL);
}

static void LetGoOfSlot()
{
    if (s_receiverSemaphore != NULL)
        CloseHandle(s_receiverSemaphore);
    s_receiverSemaphore = NULL;
}

void QueryCdTrack(int32_t track, int32_t* startMs, int32_t* lengthMs)
{
    char command[COMMAND_CAPACITY];
    char startReply[CD_REPLY_CAPACITY];
    char lengthReply[CD_REPLY_CAPACITY];
    // The CD already open for playback answers for itself; otherwise the drive
    // is opened under an alias of its own, so that the playing entry is neither
    // closed nor asked in the CD's place.
    const char* alias = MEDIA_ALIAS;
    bool ownDevice = !MediaHoldsCd();
    *startMs = 0;
    *lengthMs = 0;
    if (ownDevice) {
        alias = CD_QUERY_ALIAS;
        if (SendMediaCommand("open cdaudio alias VireoCdQuery wait", NULL, 0, NULL) != 0)
            return;
        SendMediaCommand("set VireoCdQuery time format ms wait", NULL, 0, NULL);
    }
    ComposeCdTrackQuery(command, sizeof command, alias, "position", track);
    SendMediaCommand(command, startReply, CD_REPLY_CAPACITY, NULL);
    ComposeCdTrackQuery(command, sizeof command, alias, "length", track);
    SendMediaCommand(command, lengthReply, CD_REPLY_CAPACITY, NULL);
    if (ownDevice)
        SendMediaCommand("close VireoCdQuery", NULL, 0, NULL);
    *startMs = ParseReplyInteger(startReply);
    *lengthMs = ParseReplyInteger(lengthReply);
}

// A path with wildcards names no one file, whatever a search would match.
static bool HasWildcard(const char* text)
{
    return std::strpbrk(text, "*?") != NULL;
}

void GetAnsiLeadBytes(LeadBytes* leads)
{
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info))
        FillLeadBytes(leads, info.LeadByte, MAX_LEADBYTES);
    else
        FillLeadBytes(leads, NULL, 0);
}

// Found: the text becomes its blank-free short form and the display text the
// file's long name. Not found: both stay as handed in.
static void LookUpFile(char* text, char* display)
{
    WIN32_FIND_DATAA found;
    HANDLE search = HasWildcard(text) ? INVALID_HANDLE_VALUE : FindFirstFileA(text, &found);
    if (search == INVALID_HANDLE_VALUE) {
        LeadBytes leads;
        GetAnsiLeadBytes(&leads);
        CopyBounded(display, TEXT_CAPACITY, NameAfterLastBackslash(text, leads));
        return;
    }
    char shortPath[MAILBOX_CAPACITY];
    DWORD length = GetShortPathNameA(text, shortPath, MAILBOX_CAPACITY);
    // Without a short form the path is kept as handed in.
    if (length > 0 && length < MAILBOX_CAPACITY)
        CopyBounded(text, MAILBOX_CAPACITY, shortPath);
    CopyBounded(display, TEXT_CAPACITY, found.cFileName);
    FindClose(search);
}

PlaylistEntry* NewFileEntry(EntryKind kind, const char* path)
{
    HANDLE heap = GetProcessHeap();
    PlaylistEntry* entry = static_cast<PlaylistEntry*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(PlaylistEntry)));
    if (entry == NULL)
        return NULL;
    size_t size = std::strlen(path) + 1;
    char* copy = static_cast<char*>(HeapAlloc(heap, 0, size));
    if (copy == NULL) {
        HeapFree(heap, 0, entry);
        return NULL;
    }
    std::memcpy(copy, path, size);
    entry->kind = kind;
    entry->path = copy;
    return entry;
}

PlaylistEntry* NewCdEntry(int32_t startMs, int32_t lengthMs)
{
    PlaylistEntry* entry =
        static_cast<PlaylistEntry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PlaylistEntry)));
    if (entry == NULL)
        return NULL;
    entry->kind = ENTRY_CD_TRACK;
    entry->startMs = startMs;
    entry->lengthMs = lengthMs;
    return entry;
}

// A forwarded playlist arrives as a stream of adds, and a shown list redraws
// itself, scroll bar and all, on every one of them: most of the stream's
// time. The list is drawn once the stream pauses instead.
static const UINT_PTR STREAM_PAUSE_TIMER_ID = 1001;
static const UINT STREAM_PAUSE_MS = 100;
// Whether a stream is under way, and when its last add came.
static bool s_streaming = false;
static DWORD s_lastAddTick = 0;

void EndAddStream(HWND window)
{
    KillTimer(window, STREAM_PAUSE_TIMER_ID);
    s_streaming = false;
    LetGoOfSlot();
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
}

static void CALLBACK OnStreamTimer(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    if (GetTickCount() - s_lastAddTick >= STREAM_PAUSE_MS)
        EndAddStream(window);
}

static void AwaitStreamPause(HWND window)
{
    s_lastAddTick = GetTickCount();
    if (s_streaming)
        return;
    // The timer is set once a stream; each tick looks whether adds still
    // come. Without it nothing would end the stream, so the list then draws
    // as before and the handle goes at once.
    if (SetTimer(window, STREAM_PAUSE_TIMER_ID, STREAM_PAUSE_MS, OnStreamTimer) != 0) {
        s_streaming = true;
        SendDlgItemMessageA(window, IDC_PLAYLIST, WM_SETREDRAW, FALSE, 0);
    } else {
        LetGoOfSlot();
    }
}

static void AppendEntry(HWND window, const char* display, PlaylistEntry* entry)
{
    LRESULT index = SendDlgItemMessageA(window, IDC_PLAYLIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display));
    // A list that refuses the item would leave the record without an owner.
    if (index < 0) {
        FreeEntry(entry);
        return;
    }
    SendDlgItemMessageA(window, IDC_PLAYLIST, LB_SETITEMDATA, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(entry));
    QueueChanged(window, QUEUE_APPENDED, static_cast<int>(index), static_cast<int>(index));
}

void AddEntryFromMailbox(HWND window)
{
    char text[MAILBOX_CAPACITY];
    GetDlgItemTextA(window, IDC_MAILBOX, text, MAILBOX_CAPACITY);
    // The slot is free from here on, and the sender may go on with its next
    // text while this one is looked up and added: nothing below handles
    // another sent message, so the list keeps the order of the sends.
    RecordSlotHolder(0);
    ReleaseSlot();
    ReplyMessage(0);
    AwaitStreamPause(window);

    char display[TEXT_CAPACITY];
    PlaylistEntry* entry = NULL;
    EntryKind kind = ClassifyEntryText(text);
    int32_t track = 0;
    // A ".cda" name without a track number is no CD track: it is taken as a file.
    if (kind == ENTRY_CD_TRACK && !FindCdTrackNumber(text, &track))
        kind = ENTRY_OTHER;
    if (kind == ENTRY_CD_TRACK) {
        FormatCdTrackName(display, sizeof display, track);
        int32_t startMs = 0;
        int32_t lengthMs = 0;
        QueryCdTrack(track, &startMs, &lengthMs);
        entry = NewCdEntry(startMs, lengthMs);
    } else {
        LookUpFile(text, display);
        entry = NewFileEntry(kind, text);
    }
    if (entry != NULL)
        AppendEntry(window, display, entry);
}
