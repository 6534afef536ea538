// The add mailbox's receiving end, on the main window's thread: each text
// read from the slot becomes an entry at the list's end.
#include <windows.h>

#include "playlist.h"
#include "../playback/playback.h"
#include "resource.h"
#include "mailbox_slot.h"

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

// A forwarded playlist arrives as a stream of adds, and a shown list redraws
// itself, scroll bar and all, on every one of them: most of the stream's
// time. The list is drawn once the stream pauses instead.
static const DWORD STREAM_PAUSE_MS = 100;
static QuietTimer s_stream = {ADD_STREAM_TIMER_ID, STREAM_PAUSE_MS, 0, EndAddStream, 0, 0, false, NULL};

bool AddStreamUnderWay()
{
    return s_stream.waiting;
}

void EndAddStream(HWND window)
{
    StopQuietTimer(window, &s_stream);
    LetGoOfSlot();
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    ReadTitlesSoon(window);
}

// Without a timer nothing would end the stream, so the list then draws as
// before and the handle goes at once.
static void AwaitStreamPause(HWND window)
{
    bool starting = !s_stream.waiting;
    if (!PutOffUntilQuiet(window, &s_stream))
        LetGoOfSlot();
    else if (starting)
        SendDlgItemMessageA(window, IDC_PLAYLIST, WM_SETREDRAW, FALSE, 0);
}

static void AppendEntry(HWND window, const char* display, PlaylistEntry* entry)
{
    int index = AppendListItem(GetDlgItem(window, IDC_PLAYLIST), display, entry);
    if (index >= 0)
        QueueChanged(window, QUEUE_APPENDED, index, index);
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
