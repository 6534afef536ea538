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
#include "media_tags_text.h"
#include "queue_summary_text.h"
#include "find_text.h"

// How far an entry's title and length are known.
enum TitleState : uint8_t {
    TITLE_UNREAD,           // as added: the file's name, no length
    TITLE_CHECK,            // kept from an earlier run: read again if the file has changed
    TITLE_QUEUED,           // handed to the reading thread
    TITLE_READ              // read from the file as it is (or the file is gone)
};

// One per list item, on the process heap, owned by the item. The item's text
// is the entry's title: "Artist - Title" from its tags, one of them, or the
// file's long name ("CD track #N").
struct PlaylistEntry {
    int32_t kind;            // EntryKind
    union {
        char* path;          // file kinds: heap text, blank-free where the file was found
        int32_t startMs;     // ENTRY_CD_TRACK: absolute start on the disc
    };
    int32_t lengthMs;        // -1 while not known; a CD track's always is
    uint32_t serial;         // tells apart entries that came to lie at one address
    // The file as its title and length were read from it: read again when it
    // changes. Both 0 until read.
    uint64_t fileSize;
    uint64_t fileTime;       // last written, a FILETIME as one number
    uint16_t artistLength;   // the item text's first bytes that are the artist, " - " after them; 0: none
    uint8_t titleState;      // TitleState
};

// The kinds of change of the list (QueueChanged, playback.h).
enum QueueChange {
    QUEUE_APPENDED,
    QUEUE_REMOVED,
    QUEUE_MOVED,
    QUEUE_CLEARED
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
// The title apart from the artist it begins with ("" for none), each into a
// TEXT_CAPACITY buffer.
void GetEntryTitleAndArtist(HWND window, int index, char* title, char* artist);
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
// The item's text becomes the entry's title; it keeps its place in the list.
void RetitleEntry(HWND window, HWND list, int index, const char* title);
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
// how long the calls must have paused, how long a stream that never pauses
// may put it off (0: for ever), and the work.
struct QuietTimer {
    UINT_PTR id;
    DWORD quietMs;
    DWORD longestMs;
    void (*whenQuiet)(HWND window);
    DWORD firstCall;
    DWORD lastCall;
    bool waiting;
    HWND window;        // whose timer it is
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
// While a stream of adds arrives the list's drawing is held.
bool AddStreamUnderWay();
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
// The lines of each entry that names a file, in the list's order; a CD track
// has no path to write.
void AppendEachFilePath(HWND window, GrowingText* text,
                        void (*appendLines)(GrowingText* text, const PlaylistEntry* entry, const char* title));
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

// Titles and lengths, read by a thread of their own at low priority: jobs
// for the rows in view first, then the rest (and again for a list that has
// changed); what it read placed in the list a tick of a timer at a time; the length
// the media layer tells as an entry plays.
void ReadTitlesSoon(HWND window);
void TitlesSeeQueueChange(QueueChange change, int index, int toIndex);
void KeepPlayedLength(HWND window, int32_t playedMs);
// The line under the list: how many entries, how long they play, and while
// playing how much is left; brought up to date within half a second of a
// change, without drawing the list.
void ShowQueueSummarySoon(HWND window);

// Files dropped on the main window; releases the drop.
void AddDroppedFiles(HWND window, HDROP drop);

#endif
