// The playlist: entries in the list control, the add mailbox, playlist files.
#ifndef VIREO_PLAYLIST_H
#define VIREO_PLAYLIST_H

#include <windows.h>
#include <shellapi.h>
#include <commdlg.h>

#include <cstdint>
#include <cstdio>

#include "playlist_text.h"
#include "other_playlists_text.h"
#include "kept_queue.h"
#include "find_text.h"

// One per list item, on the process heap, owned by the item.
struct PlaylistEntry {
    int32_t kind;            // EntryKind
    union {
        char* path;          // file kinds: heap text, blank-free where the file was found
        int32_t startMs;     // ENTRY_CD_TRACK: absolute start on the disc
    };
    int32_t lengthMs;        // ENTRY_CD_TRACK only
};

// The list control, as the other subsystems use it.
int GetSelectedIndex(HWND window);
// Selects the item (none for -1); Remove, Up and Down are offered while an
// item is selected.
void SelectIndex(HWND window, int index);
int GetEntryCount(HWND window);
PlaylistEntry* GetEntry(HWND window, int index);
// The index of the item that carries the entry, or -1.
int FindEntryIndex(HWND window, const PlaylistEntry* entry);
// Copies the item text into a TEXT_CAPACITY buffer; the empty text for no
// item, or for one too long to fit.
void GetEntryText(HWND window, int index, char* text);
void GetListItemText(HWND list, int index, char* text);
// The entry at the list's end under its text; the list index, or -1 when
// the list refuses it (a text too long to read back, no memory): the entry
// is then released.
int AppendListItem(HWND list, const char* text, PlaylistEntry* entry);

// Releases the path text of a file entry, then the record; whatever
// remembers the entry (the kept place, a place to resume) lets go first.
void FreeEntry(PlaylistEntry* entry);
// The records as the mailbox makes them; null when memory ran out.
PlaylistEntry* NewFileEntry(EntryKind kind, const char* path);
PlaylistEntry* NewCdEntry(int32_t startMs, int32_t lengthMs);
// Found on the disk: the text becomes its blank-free short form and the
// display text the file's long name. Not found: both stay as handed in.
void LookUpFile(char* text, char* display);
// The one place entries are released; the current entry is let go first.
void RemoveEntry(HWND window, int index);
void MoveEntry(HWND window, int from, int to);
// Every entry removed, playback stopped first.
void ClearPlaylist(HWND window);
void RemoveSelectedEntry(HWND window);
void MoveSelectionUp(HWND window);
void MoveSelectionDown(HWND window);
void PlaySelectedEntry(HWND window);
void HandlePlaylistNotification(HWND window, int code);
void UpdateEditingButtons(HWND window);

// The find box's index (find_text.h): each entry's text and the long form
// of its path, lowered; the entries past those it holds are added. False
// when memory ran out before the last entry.
bool IndexQueueForFind(HWND window, FindIndex* index);
// A query lowered as the index is: its length, at most capacity units.
size_t LowerFindQuery(const char* text, char16_t* units, size_t capacity);

// The list's drawing: each item's text, the current entry in bold with a
// play or pause mark, and where a dragged entry would land.
void MeasurePlaylistItem(HWND window, MEASUREITEMSTRUCT* item);
void DrawPlaylistItem(HWND window, const DRAWITEMSTRUCT* item);
void RedrawListItem(HWND window, int index);
// The item height again for the list's font, after a change of DPI.
void FitListItemHeight(HWND window);
void ReleaseListDrawing();
// The list's own keys and mouse: Enter plays the selected entry, Delete
// removes it, a double click plays the entry clicked, a drag moves one.
void WatchListInput(HWND window);
// The place a dragged entry would be dropped before (the count: after the
// last), or -1 while nothing is dragged.
int ListDropMark();

// Work put off until a stream of calls pauses: its timer's id (resource.h),
// how long the calls must have paused, and the work.
struct QuietTimer {
    UINT_PTR id;
    DWORD quietMs;
    void (*whenQuiet)(HWND window);
    DWORD lastCall;
    bool waiting;
};
// One call of the stream. False when no timer could be had: nothing would
// come back for the work, which the caller does now instead.
bool PutOffUntilQuiet(HWND window, QuietTimer* timer);
// The work is done now, or not at all.
void StopQuietTimer(HWND window, QuietTimer* timer);

// The add mailbox.
extern const char ADD_SEMAPHORE_NAME[];      // "VireoAddSemaphore"
// A shared page whose one LONG is the process id of the sender of ours that
// holds the slot, or 0.
extern const char ADD_HOLDER_NAME[];         // "VireoAddSlotHolder"
const DWORD ADD_MAILBOX_WAIT_MS = 3000;
// How long a sender in another process keeps asking while the window exists.
const DWORD ADD_MAILBOX_PATIENCE_MS = 10000;
// A stream of posts, with the slot control found and the semaphore opened
// once for all of them; a text at a time otherwise.
struct AddMailbox {
    HWND window;
    HWND slot;
    bool onWindowThread;
    HANDLE semaphore;
    int firstIndex;     // the list index its first text went to; -1 before
};
// The player keeps the slot's holder on record while it runs.
void KeepAddSlotRecord();
bool OpenAddMailbox(HWND window, AddMailbox* mailbox);
// Takes the slot for one text, on record as this process's; false when it
// stayed taken (asked again as PostToOpenMailbox says).
bool TakeAddSlot(AddMailbox* mailbox);
// False when the text could not be handed over: the slot stayed taken
// (another process's window is asked again while it exists, up to the
// patience), or the window has gone.
bool PostToOpenMailbox(AddMailbox* mailbox, const char* text);
// Texts of this process that no mailbox took, for a later start to report.
extern int g_undeliveredAdds;
void CloseAddMailbox(AddMailbox* mailbox);
void PostToAddMailbox(HWND window, const char* text);
// A playlist's name loads it (other players' claim theirs as media kinds);
// any other path is posted.
void AddPathOrPlaylist(AddMailbox* mailbox, const char* path);
// The stream has paused (or the window goes): draw the list, let go of the slot.
void EndAddStream(HWND window);
void AddEntryFromMailbox(HWND window);
void QueryCdTrack(int32_t track, int32_t* startMs, int32_t* lengthMs);
// The texts are in the ANSI code page, whose double-byte forms may use 0x5C
// as a character's second byte.
void GetAnsiLeadBytes(LeadBytes* leads);

// The Add chooser and the media kinds: ours, then those the media control
// interface and Media Foundation have registered (extensions without their
// dot, as AddExtensionToList keeps them).
const size_t EXTENSION_LIST_CAPACITY = 4096;
void ReadMediaExtensions(char* list, size_t capacity);
void ChooseMediaToAdd(HWND window);

// Files read and written whole. The text in one buffer from malloc of its
// size and a zero after it; null, with the system's reason, when it cannot
// be read (a file another program holds is asked for a while first).
char* ReadWholeFile(const char* name, size_t* size);
// The bytes written whole and flushed to fresh, a file in the same folder,
// which then takes name's place; false, with the system's reason, when any
// step failed: name is then as it was.
bool WriteWholeFile(const char* name, const char* fresh, const char* bytes, size_t size);

// Playlist files: Vireo's own, and by their extension those of other
// players (M3U, M3U8, PLS) read and M3U8 written. A load gives the list
// index of the first entry it appended, or -1 when it appended none.
int LoadPlaylistFile(HWND window, const char* fileName);
// The list written whole to the file, as an M3U8 playlist where its name
// says so; false, with a message box owned by the window that names the
// file, when it cannot be written: the file is then as it was.
bool SavePlaylistFile(HWND window, const char* fileName);
// One line for each entry that names a file, in the list's order; a CD
// track has no path to write.
void AppendEachFilePath(HWND window, GrowingText* text, void (*appendLine)(GrowingText* text, const char* path));
// The M3U8 text of the list (other_playlists.cpp).
void ComposeM3u8Text(HWND window, GrowingText* text);
// A file chooser's record in its first form, owned by the window, kind 1
// chosen, the name buffer of capacity characters, no other setting.
void PrepareChooser(OPENFILENAMEA* choice, HWND owner, const char* filter, const char* title, char* file,
                    DWORD capacity, DWORD flags);
// Stored lines: UTF-8 where the system can make it, else the legacy code
// page of earlier versions; the program's own texts are in the process's.
const int STORED_LINE_CAPACITY = 3 * TEXT_CAPACITY;
// The line itself, or its text in the process's code page written to text.
const char* ReadStoredText(const char* line, char* text, int capacity);
// The path itself, or its stored form written to stored.
const char* MakeStoredText(const char* path, char* stored, int capacity);
// "Error: not a Vireo playlist file.", owned by the window.
void RefuseNonPlaylist(HWND window);
// text holds the whole file of size bytes and a zero after them; folder is
// the file's own full folder (empty when it could not be had).
int LoadOtherPlaylist(HWND window, PlaylistKind kind, char* text, size_t size, const char* folder);
void ChoosePlaylistToLoad(HWND window);
void ChoosePlaylistToSave(HWND window);
bool AskClearBeforeLoad(HWND window);

// Files dropped on the main window; releases the drop.
void AddDroppedFiles(HWND window, HDROP drop);

#endif
