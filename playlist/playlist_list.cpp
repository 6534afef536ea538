// The playlist list control: each item owns the PlaylistEntry stored with it.
#include <windows.h>

#include "playlist.h"
#include "../playback/playback.h"
#include "resource.h"

static LRESULT SendToList(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(window, IDC_PLAYLIST, message, wParam, lParam);
}

int GetSelectedIndex(HWND window)
{
    return static_cast<int>(SendToList(window, LB_GETCURSEL, 0, 0));
}

void SelectIndex(HWND window, int index)
{
    SendToList(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
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

void GetEntryText(HWND window, int index, char* text)
{
    text[0] = '\0';
    // LB_GETTEXT has no bound: refuse an item longer than the buffer.
    LRESULT length = SendToList(window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length >= TEXT_CAPACITY)
        return;
    SendToList(window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
}

static void SetEditingButtons(HWND window, BOOL enabled)
{
    EnableWindow(GetDlgItem(window, IDC_REMOVE), enabled);
    EnableWindow(GetDlgItem(window, IDC_UP), enabled);
    EnableWindow(GetDlgItem(window, IDC_DOWN), enabled);
}

void FreeEntry(PlaylistEntry* entry)
{
    if (entry->kind != ENTRY_CD_TRACK)
        HeapFree(GetProcessHeap(), 0, entry->path);
    HeapFree(GetProcessHeap(), 0, entry);
}

void RemoveEntry(HWND window, int index)
{
    PlaylistEntry* entry = GetEntry(window, index);
    if (entry != NULL)
        FreeEntry(entry);
    SendToList(window, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void MoveEntry(HWND window, int from, int to)
{
    char text[TEXT_CAPACITY];
    GetEntryText(window, from, text);
    PlaylistEntry* entry = GetEntry(window, from);
    SendToList(window, LB_DELETESTRING, static_cast<WPARAM>(from), 0);
    LRESULT index = SendToList(window, LB_INSERTSTRING, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(text));
    if (index < 0) {
        // The list refused the item: put it back at the end rather than lose its entry.
        index = SendToList(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (index < 0) {
            if (entry != NULL)
                FreeEntry(entry);
            return;
        }
    }
    SendToList(window, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
    SelectIndex(window, static_cast<int>(index));
}

void RemoveSelectedEntry(HWND window)
{
    int selection = GetSelectedIndex(window);
    if (selection < 0)
        return;
    RemoveEntry(window, selection);
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

void HandlePlaylistNotification(HWND window, int code)
{
    switch (code) {
    case LBN_SELCHANGE:
        if (GetSelectedIndex(window) < 0)
            LockListEditing(window);
        else if (g_playState == PLAY_STOPPED)
            UnlockListEditing(window);
        break;
    case LBN_SELCANCEL:
        LockListEditing(window);
        break;
    default:
        break;
    }
}

void LockListEditing(HWND window)
{
    EnableWindow(GetDlgItem(window, IDC_PLAYLIST), FALSE);
    SetEditingButtons(window, FALSE);
}

void UnlockListEditing(HWND window)
{
    EnableWindow(GetDlgItem(window, IDC_PLAYLIST), TRUE);
    if (GetSelectedIndex(window) >= 0)
        SetEditingButtons(window, TRUE);
}
