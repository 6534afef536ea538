// The playlist list control: each item owns the PlaylistEntry stored with it.
// The list can be edited in every play state; the sequencer keeps its own
// record of the entry that plays.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

static LRESULT SendToList(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(window, IDC_PLAYLIST, message, wParam, lParam);
}

int GetSelectedIndex(HWND window)
{
    return static_cast<int>(SendToList(window, LB_GETCURSEL, 0, 0));
}

void UpdateEditingButtons(HWND window)
{
    BOOL selected = GetSelectedIndex(window) >= 0;
    EnableWindow(GetDlgItem(window, IDC_REMOVE), selected);
    EnableWindow(GetDlgItem(window, IDC_UP), selected);
    EnableWindow(GetDlgItem(window, IDC_DOWN), selected);
}

void SelectIndex(HWND window, int index)
{
    SendToList(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    UpdateEditingButtons(window);
}

int GetEntryCount(HWND window)
{
    return static_cast<int>(SendToList(window, LB_GETCOUNT, 0, 0));
}

PlaylistEntry* GetEntry(HWND window, int index)
{
    LRESULT data = SendToList(window, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == LB_ERR)
        return NULL;
    return reinterpret_cast<PlaylistEntry*>(data);
}

int FindEntryIndex(HWND window, const PlaylistEntry* entry)
{
    if (entry == NULL)
        return -1;
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == reinterpret_cast<LRESULT>(entry))
            return i;
    return -1;
}

void GetListItemText(HWND list, int index, char* text)
{
    text[0] = '\0';
    // LB_GETTEXT has no bound: refuse an item longer than the buffer.
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length >= TEXT_CAPACITY)
        return;
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
}

void GetEntryText(HWND window, int index, char* text)
{
    GetListItemText(GetDlgItem(window, IDC_PLAYLIST), index, text);
}

void GetEntryTitleAndArtist(HWND window, int index, char* title, char* artist)
{
    char text[TEXT_CAPACITY];
    GetEntryText(window, index, text);
    const PlaylistEntry* entry = GetEntry(window, index);
    size_t artistLength = entry != NULL ? entry->artistLength : 0;
    if (artistLength == 0 || std::strlen(text) < artistLength + 3) {
        CopyBounded(title, TEXT_CAPACITY, text);
        artist[0] = '\0';
        return;
    }
    CopyBounded(artist, artistLength + 1, text);
    CopyBounded(title, TEXT_CAPACITY, text + artistLength + 3);
}

int AppendListItem(HWND list, const char* text, PlaylistEntry* entry)
{
    LRESULT index = std::strlen(text) < static_cast<size_t>(TEXT_CAPACITY)
                        ? SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))
                        : LB_ERR;
    // A list that refuses the item would leave the record without an owner.
    if (index < 0) {
        FreeEntry(entry);
        return -1;
    }
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
    return static_cast<int>(index);
}

void FreeEntry(PlaylistEntry* entry)
{
    // A freed record's address may be handed out again for a new entry.
    ForgetEntry(entry);
    if (entry->kind != ENTRY_CD_TRACK)
        HeapFree(GetProcessHeap(), 0, entry->path);
    HeapFree(GetProcessHeap(), 0, entry);
}

// Deletes the item and releases its entry, which the sequencer lets go of
// first; true when that was the current entry.
static bool DeleteItem(HWND window, int index)
{
    PlaylistEntry* entry = GetEntry(window, index);
    bool wasCurrent = ReleaseFromPlayback(window, entry, index);
    if (entry != NULL)
        FreeEntry(entry);
    SendToList(window, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    QueueChanged(window, QUEUE_REMOVED, index, index);
    return wasCurrent;
}

void RemoveEntry(HWND window, int index)
{
    if (index < 0 || index >= GetEntryCount(window))
        return;
    bool wasCurrent = DeleteItem(window, index);
    UpdateEditingButtons(window);
    if (wasCurrent)
        PlayOnAfterRemoval(window);
}

void ClearPlaylist(HWND window)
{
    SendCommand(window, IDM_STOP);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int i = GetEntryCount(window) - 1; i >= 0; --i) {
        PlaylistEntry* entry = GetEntry(window, i);
        if (entry != NULL)
            FreeEntry(entry);
    }
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    QueueChanged(window, QUEUE_CLEARED, -1, -1);
    UpdateEditingButtons(window);
}

// The item at from, under text, put at to, its entry with it; where the list
// refuses it there, at the end. The index it is at, or -1 when the list
// refused it altogether: its entry then goes as a removed one does.
static int PutItem(HWND window, HWND list, int from, int to, const char* text)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(from), 0);
    PlaylistEntry* entry = data != LB_ERR ? reinterpret_cast<PlaylistEntry*>(data) : NULL;
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(from), 0);
    LRESULT index = SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(text));
    if (index < 0)
        index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0) {
        bool wasCurrent = ReleaseFromPlayback(window, entry, from);
        if (entry != NULL)
            FreeEntry(entry);
        QueueChanged(window, QUEUE_REMOVED, from, from);
        UpdateEditingButtons(window);
        if (wasCurrent)
            PlayOnAfterRemoval(window);
        return -1;
    }
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
    return static_cast<int>(index);
}

void MoveEntry(HWND window, int from, int to)
{
    char text[TEXT_CAPACITY];
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    GetListItemText(list, from, text);
    int index = PutItem(window, list, from, to, text);
    if (index < 0)
        return;
    QueueChanged(window, QUEUE_MOVED, from, index);
    SelectIndex(window, index);
}

// Reached through the list's own handle: a run of titles read calls it for
// every entry, and finding the control anew costs more than the change.
void RetitleEntry(HWND window, HWND list, int index, const char* title)
{
    bool selected = SendMessageA(list, LB_GETCURSEL, 0, 0) == index;
    LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    int at = PutItem(window, list, index, index, title);
    if (at < 0)
        return;
    if (at != index)
        QueueChanged(window, QUEUE_MOVED, index, at);
    if (selected)
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    NoteRetitledForFind();
}

void RemoveSelectedEntry(HWND window)
{
    RemoveEntry(window, GetSelectedIndex(window));
}

void MoveSelectionUp(HWND window)
{
    int selection = GetSelectedIndex(window);
    if (selection <= 0)
        return;
    MoveEntry(window, selection, selection - 1);
}

void MoveSelectionDown(HWND window)
{
    int selection = GetSelectedIndex(window);
    if (selection < 0)
        return;
    if (selection >= GetEntryCount(window) - 1)
        return;
    MoveEntry(window, selection, selection + 1);
}

void PlaySelectedEntry(HWND window)
{
    PlayEntryNow(window, GetSelectedIndex(window));
}

void HandlePlaylistNotification(HWND window, int code)
{
    if (code == LBN_SELCHANGE || code == LBN_SELCANCEL)
        UpdateEditingButtons(window);
}
