// Saving the list as a playlist: the save chooser, asking before a file is
// replaced, and the text written whole to a new file that takes the old
// one's place only once it is on the disk.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>

#include "playlist.h"
#include "resource.h"

static const char SAVE_FILTER[] = "Playlists (*.VireoList)\0*.VireoList\0"
                                  "M3U8 playlist (*.m3u8)\0*.m3u8\0";
static const char SAVE_TITLE[] = "Save current playlist as";
static const char SAVE_CAPTION[] = "Save playlist";
// The chooser asks before it replaces a file; the kind's extension is
// appended where the user typed none, on the systems that can.
static const DWORD SAVE_CHOOSER_FLAGS = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
// The save chooser's kinds, counted from 1 as the chooser counts them.
static const DWORD M3U8_SAVE_KIND = 2;
static const char TEMPORARY_PREFIX[] = "vir";
static const size_t MESSAGE_CAPACITY = 3 * TEXT_CAPACITY;
static const DWORD REASON_CAPACITY = 256;

void AppendEachFilePath(HWND window, GrowingText* text,
                        void (*appendLines)(GrowingText* text, const PlaylistEntry* entry, const char* title))
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        const PlaylistEntry* entry = data != LB_ERR ? reinterpret_cast<const PlaylistEntry*>(data) : NULL;
        char title[TEXT_CAPACITY];
        if (entry == NULL || entry->kind == ENTRY_CD_TRACK)
            continue;
        GetListItemText(list, i, title);
        appendLines(text, entry, title);
    }
}

static void AppendStoredLine(GrowingText* text, const PlaylistEntry* entry, const char*)
{
    char stored[STORED_LINE_CAPACITY];
    AppendLineToText(text, MakeStoredText(entry->path, stored, sizeof stored));
}

// "The playlist could not be saved as C:\x.VireoList." and the system's reason.
static void ReportNotSaved(HWND window, const char* fileName, DWORD error)
{
    char reason[REASON_CAPACITY] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, reason, sizeof reason,
                   NULL);
    char message[MESSAGE_CAPACITY];
    std::snprintf(message, sizeof message, "The playlist could not be saved as %s.\r\n\r\n%s", fileName, reason);
    MessageBoxA(window, message, SAVE_CAPTION, MB_OK | MB_ICONWARNING);
}

// The new file lies in the same folder, so that it takes the old one's
// place by a rename.
static bool WriteSavedText(const char* fileName, const GrowingText& text)
{
    char folder[MAX_PATH];
    char* name = NULL;
    DWORD length = GetFullPathNameA(fileName, sizeof folder, folder, &name);
    if (length == 0 || length >= sizeof folder || name == NULL) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    *name = '\0';
    char fresh[MAX_PATH];
    if (GetTempFileNameA(folder, TEMPORARY_PREFIX, 0, fresh) == 0)
        return false;
    return WriteWholeFile(fileName, fresh, text.text, text.length);
}

bool SavePlaylistFile(HWND window, const char* fileName)
{
    GrowingText text = {NULL, 0, 0, false};
    if (ClassifyPlaylistName(fileName) == PLAYLIST_M3U8) {
        ComposeM3u8Text(window, &text);
    } else {
        AppendLineToText(&text, PLAYLIST_HEADER);
        AppendEachFilePath(window, &text, AppendStoredLine);
    }
    bool saved = !text.failed && WriteSavedText(fileName, text);
    DWORD error = text.failed ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
    FreeGrowingText(&text);
    if (!saved)
        ReportNotSaved(window, fileName, error);
    return saved;
}

// A name that ends in neither kind's extension gets the chosen kind's: the
// user typed another one, or the system appended none. The chooser asked
// about the name it returned, not this one.
static bool NameTheKind(HWND window, char* file, size_t capacity, DWORD kind)
{
    PlaylistKind named = ClassifyPlaylistName(file);
    if (named == PLAYLIST_VIREO || named == PLAYLIST_M3U8)
        return true;
    // A name with no room left for the extension names no file the platform
    // can create: it is refused rather than cut.
    if (!AppendNameExtension(file, capacity, kind == M3U8_SAVE_KIND ? M3U8_EXTENSION : PLAYLIST_EXTENSION))
        return false;
    if (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES)
        return true;
    char question[MESSAGE_CAPACITY];
    std::snprintf(question, sizeof question, "%s already exists.\r\nDo you want to replace it?", file);
    return MessageBoxA(window, question, SAVE_CAPTION, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void ChoosePlaylistToSave(HWND window)
{
    char file[TEXT_CAPACITY] = "";
    OPENFILENAMEA choice;
    PrepareChooser(&choice, window, SAVE_FILTER, SAVE_TITLE, file, TEXT_CAPACITY - 1, SAVE_CHOOSER_FLAGS);
    choice.lpstrDefExt = PLAYLIST_EXTENSION + 1;
    if (!GetSaveFileNameA(&choice))
        return;
    DWORD kind = choice.nFilterIndex != 0 ? choice.nFilterIndex : 1;
    if (NameTheKind(window, file, sizeof file, kind))
        SavePlaylistFile(window, file);
}
