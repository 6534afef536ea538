// Playlist files: a header line and one stored path per line, CR LF after each.
// Lines are stored in UTF-8; the program's own texts are in the process's
// ANSI code page, which is UTF-8 itself where the manifest's code page is
// honoured (Windows 10 1903 on) and the system's legacy one elsewhere.
// Other players' playlists are told by their extension and read apart.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>

#include "playlist.h"

static const char LOAD_FILTER[] = "Playlists (*.VireoList)\0*.VireoList\0"
                                  "Playlists of other players (*.m3u, *.m3u8, *.pls)\0*.m3u;*.m3u8;*.pls\0"
                                  "All files (*.*)\0*.*\0";
static const char NOT_A_PLAYLIST[] = "Error: not a Vireo playlist file.";
static const char LOAD_CAPTION[] = "Load playlist";
static const DWORD LOAD_CHOOSER_FLAGS = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
static const int LOCALE_NUMBER_CAPACITY = 8;

// Text from one code page into another through UTF-16; false when either
// step fails (an old system without the code page, or no room).
static bool ConvertText(UINT from, UINT to, const char* text, char* out, int capacity)
{
    WCHAR wide[STORED_LINE_CAPACITY];
    int units = MultiByteToWideChar(from, 0, text, -1, wide, STORED_LINE_CAPACITY);
    if (units == 0)
        return false;
    return WideCharToMultiByte(to, 0, wide, -1, out, capacity, NULL, NULL) != 0;
}

// The system's own ANSI code page, which earlier versions wrote in. GetACP
// answers UTF-8 instead where the manifest's code page is honoured.
static UINT LegacyCodePage()
{
    char number[LOCALE_NUMBER_CAPACITY];
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number) == 0)
        return GetACP();
    UINT codePage = static_cast<UINT>(std::atoi(number));
    return codePage != 0 ? codePage : GetACP();
}

const char* ReadStoredText(const char* line, char* text, int capacity)
{
    StoredEncoding encoding = ClassifyStoredText(line);
    if (encoding == STORED_ASCII)
        return line;
    UINT from = encoding == STORED_UTF8 ? CP_UTF8 : LegacyCodePage();
    if (from != GetACP() && ConvertText(from, CP_ACP, line, text, capacity))
        return text;
    return line;
}

const char* MakeStoredText(const char* path, char* stored, int capacity)
{
    // Where UTF-8 cannot be made (Windows 95) the line is kept as it is.
    if (GetACP() != CP_UTF8 && ClassifyStoredText(path) != STORED_ASCII &&
        ConvertText(CP_ACP, CP_UTF8, path, stored, capacity))
        return stored;
    return path;
}

// A stored line, in this process's code page, through the add mailbox.
static void PostStoredLine(AddMailbox* mailbox, const char* line)
{
    // Room for a whole path in UTF-8; the mailbox cuts what it cannot hold.
    char text[STORED_LINE_CAPACITY];
    PostToOpenMailbox(mailbox, ReadStoredText(line, text, sizeof text));
}

void RefuseNonPlaylist(HWND window)
{
    MessageBoxA(window, NOT_A_PLAYLIST, LOAD_CAPTION, MB_OK | MB_ICONWARNING);
}

static int LoadVireoPlaylist(HWND window, char* text, size_t size)
{
    if (!HasPlaylistHeader(text)) {
        RefuseNonPlaylist(window);
        return -1;
    }
    AddMailbox mailbox;
    OpenAddMailbox(window, &mailbox);
    char* cursor = FirstPlaylistLine(text, size);
    while (char* line = TakePlaylistLine(&cursor, text + size))
        PostStoredLine(&mailbox, line);
    CloseAddMailbox(&mailbox);
    return mailbox.firstIndex;
}

// The folder a playlist's relative paths start from, its backslash kept; a
// relative playlist name is taken from this process's current folder.
static void FindPlaylistFolder(const char* fileName, char* folder)
{
    char* name = NULL;
    DWORD length = GetFullPathNameA(fileName, TEXT_CAPACITY, folder, &name);
    if (length == 0 || length >= static_cast<DWORD>(TEXT_CAPACITY) || name == NULL)
        folder[0] = '\0';
    else
        *name = '\0';
}

int LoadPlaylistFile(HWND window, const char* fileName)
{
    size_t size = 0;
    char* text = ReadWholeFile(fileName, &size);
    if (text == NULL)
        return -1;
    int first = -1;
    PlaylistKind kind = ClassifyPlaylistName(fileName);
    if (kind == PLAYLIST_M3U || kind == PLAYLIST_M3U8 || kind == PLAYLIST_PLS) {
        char folder[TEXT_CAPACITY];
        FindPlaylistFolder(fileName, folder);
        first = LoadOtherPlaylist(window, kind, text, size, folder);
    } else {
        first = LoadVireoPlaylist(window, text, size);
    }
    std::free(text);
    return first;
}

void PrepareChooser(OPENFILENAMEA* choice, HWND owner, const char* filter, const char* title, char* file,
                    DWORD capacity, DWORD flags)
{
    ZeroMemory(choice, sizeof *choice);
    // The record's first form: 95, 98, ME and NT 4.0 refuse the longer one.
    choice->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    choice->hwndOwner = owner;
    choice->lpstrFilter = filter;
    choice->nFilterIndex = 1;
    choice->lpstrFile = file;
    choice->nMaxFile = capacity;
    choice->lpstrTitle = title;
    choice->Flags = flags;
}

bool AskClearBeforeLoad(HWND window)
{
    return MessageBoxA(window, "Do you want to clear the existing selections first?", LOAD_CAPTION,
                       MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void ChoosePlaylistToLoad(HWND window)
{
    char file[TEXT_CAPACITY] = "";
    OPENFILENAMEA choice;
    PrepareChooser(&choice, window, LOAD_FILTER, LOAD_CAPTION, file, TEXT_CAPACITY - 1, LOAD_CHOOSER_FLAGS);
    if (!GetOpenFileNameA(&choice))
        return;
    if (GetEntryCount(window) != 0 && AskClearBeforeLoad(window))
        ClearPlaylist(window);
    LoadPlaylistFile(window, file);
}
