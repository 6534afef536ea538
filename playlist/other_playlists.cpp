// Other players' playlists: M3U, M3U8 and PLS read, M3U8 written. Which
// lines are paths and how they join the playlist's folder is worked out by
// other_playlists_text; here the lines meet the code pages and the mailbox.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "../shell/shell.h"
#include "resource.h"

static const char M3U_HEADER[] = "#EXTM3U";
// "#EXTINF:" and a length in seconds, with its comma.
static const size_t EXTINF_NUMBER_CAPACITY = 32;

// One load: the stream into the mailbox, and what it had to pass over.
struct ListReading {
    AddMailbox mailbox;
    const char* folder;
    LeadBytes leads;
    unsigned long passedOver;
};

// A listed line joins the playlist unless it names nothing Vireo can play:
// a web address, a line that holds no path, a path the mailbox would cut,
// or another playlist (which might list this one). False when it did not.
static bool AddListedLine(ListReading* reading, const TextLine& line)
{
    char decoded[STORED_LINE_CAPACITY];
    char converted[STORED_LINE_CAPACITY];
    char path[MAILBOX_CAPACITY];
    if (DecodeListedLine(line, decoded, sizeof decoded) == LISTED_PATH &&
        ResolveListedPath(path, sizeof path, reading->folder, ReadStoredText(decoded, converted, sizeof converted),
                          reading->leads) &&
        ClassifyPlaylistName(path) == PLAYLIST_NONE)
        return PostToOpenMailbox(&reading->mailbox, path);
    ++reading->passedOver;
    return false;
}

// The entry just appended shows what #EXTINF says of it until its file is
// read. Only this process's own list: a forwarded load hands over paths alone.
static void TakeListedInfo(ListReading* reading, const M3uEntryInfo& info)
{
    HWND window = reading->mailbox.window;
    int index = GetEntryCount(window) - 1;
    PlaylistEntry* entry = GetEntry(window, index);
    if (entry == NULL || (entry->titleState != TITLE_QUEUED && entry->titleState != TITLE_UNREAD))
        return;
    if (info.lengthMs >= 0 && entry->lengthMs < 0)
        entry->lengthMs = info.lengthMs;
    char title[STORED_LINE_CAPACITY];
    char converted[STORED_LINE_CAPACITY];
    size_t length = 0;
    for (size_t i = 0; i < info.titleLength && length + 1 < sizeof title; ++i)
        if (static_cast<unsigned char>(info.title[i]) >= 0x20)
            title[length++] = info.title[i];
    title[length] = '\0';
    const char* shown = ReadStoredText(title, converted, sizeof converted);
    if (shown[0] != '\0' && std::strlen(shown) < static_cast<size_t>(TEXT_CAPACITY))
        RetitleEntry(window, GetDlgItem(window, IDC_PLAYLIST), index, shown);
    else
        RedrawListItem(window, index);
}

static void AddM3uLines(ListReading* reading, char* text, size_t size)
{
    char* end = text + size;
    char* cursor = SkipByteOrderMark(text, end);
    TextLine line;
    M3uEntryInfo info;
    HWND list = reading->mailbox.onWindowThread ? GetDlgItem(reading->mailbox.window, IDC_PLAYLIST) : NULL;
    while (TakeM3uEntry(&cursor, end, &line, &info)) {
        bool said = info.lengthMs >= 0 || info.titleLength > 0;
        LRESULT before = list != NULL && said ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0;
        if (AddListedLine(reading, line) && list != NULL && said && SendMessageA(list, LB_GETCOUNT, 0, 0) == before + 1)
            TakeListedInfo(reading, info);
    }
}

// False for a file that is no PLS playlist.
static bool AddPlsEntries(ListReading* reading, char* text, size_t size)
{
    PlsEntry* entries = NULL;
    size_t count = 0;
    PlsReading read = ReadPlsEntries(text, text + size, &entries, &count);
    for (size_t i = 0; i < count; ++i)
        AddListedLine(reading, entries[i].value);
    std::free(entries);
    return read != PLS_NOT_A_PLAYLIST;
}

int LoadOtherPlaylist(HWND window, PlaylistKind kind, char* text, size_t size, const char* folder)
{
    ListReading reading;
    reading.folder = folder;
    GetAnsiLeadBytes(&reading.leads);
    reading.passedOver = 0;
    OpenAddMailbox(window, &reading.mailbox);
    bool playlist = true;
    if (kind == PLAYLIST_PLS)
        playlist = AddPlsEntries(&reading, text, size);
    else
        AddM3uLines(&reading, text, size);
    CloseAddMailbox(&reading.mailbox);
    if (!playlist) {
        RefuseNonPlaylist(window);
    } else if (reading.passedOver > 0) {
        // The window's own status line, in a forwarding process too.
        char status[PASSED_OVER_CAPACITY];
        FormatPassedOverText(status, sizeof status, reading.passedOver, PASSED_OVER_UNPLAYABLE);
        SetStatusText(window, status);
    }
    return reading.mailbox.firstIndex;
}

static bool HasWildcard(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (text[i] == '*' || text[i] == '?')
            return true;
    return false;
}

// Each component of a full path by the name the file system gives it,
// found one folder after another: the long form where the volume keeps
// one (95 and NT 4.0 have no call that does it whole). A component that is
// not found is kept as it is, and so is the rest after it.
static void LengthenPath(const char* path, char* out, size_t capacity)
{
    LeadBytes leads;
    GetAnsiLeadBytes(&leads);
    size_t root = PathRootLength(path, leads);
    CopyBounded(out, capacity, path);
    if (root == 0 || root >= capacity)
        return;
    char built[TEXT_CAPACITY];
    CopyBounded(built, root + 1, path);
    size_t used = root;
    bool looking = true;
    const char* p = path + root;
    while (*p != '\0') {
        while (*p == '\\' || *p == '/')
            ++p;
        const char* stop = PathComponentEnd(p, leads);
        size_t length = static_cast<size_t>(stop - p);
        if (length == 0)
            break;
        if (used + 1 + length + 1 > sizeof built)
            return;
        built[used++] = '\\';
        std::memcpy(built + used, p, length);
        built[used + length] = '\0';
        WIN32_FIND_DATAA found;
        HANDLE search = looking && !HasWildcard(p, length) ? FindFirstFileA(built, &found) : INVALID_HANDLE_VALUE;
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            size_t longLength = std::strlen(found.cFileName);
            if (used + longLength + 1 > sizeof built)
                return;
            std::memcpy(built + used, found.cFileName, longLength + 1);
            length = longLength;
        } else {
            looking = false;
        }
        used += length;
        p = stop;
    }
    CopyBounded(out, capacity, built);
}

// "#EXTINF:215,Title" (-1 for a length not known), then the full path in
// its long form: what other players and other machines can read. A path
// that cannot be made full is written as it is stored.
static void AppendM3u8Lines(GrowingText* text, const PlaylistEntry* entry, const char* title)
{
    char storedTitle[STORED_LINE_CAPACITY];
    char extinf[sizeof storedTitle + EXTINF_NUMBER_CAPACITY];
    std::snprintf(extinf, sizeof extinf, "#EXTINF:%ld,%s", entry->lengthMs >= 0 ? static_cast<long>(entry->lengthMs / 1000) : -1L,
                  MakeStoredText(title, storedTitle, sizeof storedTitle));
    AppendLineToText(text, extinf);
    const char* path = entry->path;
    char full[TEXT_CAPACITY];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    if (length == 0 || length >= sizeof full)
        CopyBounded(full, sizeof full, path);
    char lengthened[TEXT_CAPACITY];
    LengthenPath(full, lengthened, sizeof lengthened);
    char stored[STORED_LINE_CAPACITY];
    AppendLineToText(text, MakeStoredText(lengthened, stored, sizeof stored));
}

void ComposeM3u8Text(HWND window, GrowingText* text)
{
    AppendLineToText(text, M3U_HEADER);
    AppendEachFilePath(window, text, AppendM3u8Lines);
}
