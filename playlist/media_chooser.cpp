// The Add chooser, and the media kinds it offers: ours, then every kind the
// media control interface and Media Foundation have registered, which the
// drop code reads as well.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>
#include <vfw.h>

#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "../shell/shell.h"

// The Add chooser's first kind; the media layer's registered extensions join them.
static const char CHOOSER_EXTENSIONS[] = "rmi\0mid\0wav\0avi\0cda\0";
static const char CHOOSER_KIND[] = "Media files (*.rmi, *.mid, *.wav, *.avi, *.cda)";
static const char CHOOSER_PATTERN[] = "*.rmi;*.mid;*.wav;*.avi;*.cda";
static const char REGISTERED_KIND[] = "All media files the system plays";
static const char ALL_FILES_KIND[] = "All files (*.*)";
static const char ALL_FILES_PATTERN[] = "*.*";
static const char CHOOSER_TITLE[] = "Choose media file to Vireo";
static const char TOO_MANY_CHOSEN[] = "Too many files chosen at once; none were added.";
// No limit on a pattern is documented; a system with many kinds registered
// still shows the ones that fit, and "All files" the rest.
static const size_t PATTERN_CAPACITY = 1024;
static const size_t FILTER_CAPACITY = PATTERN_CAPACITY + 256;
// Room for hundreds of names; the record counts it in a 32-bit field, the
// chooser reports a shortfall in the first two bytes.
static const DWORD CHOSEN_FILES_CAPACITY = 32768;
static const DWORD CHOOSER_FLAGS =
    OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER;

// Windows 95 keeps the media layer's extensions in this win.ini section; NT
// maps the section onto the registry key, which is what Wine keeps too,
// though Wine does not map the section.
static const char MCI_EXTENSIONS_SECTION[] = "mci extensions";
static const char MCI_EXTENSIONS_KEY[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";
// Media Foundation's kinds, one key per extension (".flac") beside keys
// named by a MIME type ("audio/mp4"), which name no extension.
static const char FOUNDATION_KINDS_KEY[] = "SOFTWARE\\Microsoft\\Windows Media Foundation\\ByteStreamHandlers";
// A longer registry name is no extension worth reading.
static const DWORD EXTENSION_NAME_CAPACITY = 32;

static void AddProfileExtensions(char* list, size_t capacity)
{
    char section[EXTENSION_LIST_CAPACITY];
    DWORD length = GetProfileStringA(MCI_EXTENSIONS_SECTION, NULL, "", section, sizeof section);
    // A section that did not fit ends in a name cut short.
    bool cut = length == sizeof section - 2;
    for (char* item = section; *item != '\0';) {
        char* next = item + std::strlen(item) + 1;
        if (cut && *next == '\0')
            break;
        AddExtensionToList(list, capacity, item);
        item = next;
    }
}

static void AddRegistryExtensions(char* list, size_t capacity)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MCI_EXTENSIONS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        char name[EXTENSION_NAME_CAPACITY];
        DWORD nameLength = sizeof name;
        LONG result = RegEnumValueA(key, index, name, &nameLength, NULL, NULL, NULL, NULL);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        AddExtensionToList(list, capacity, name);
    }
    RegCloseKey(key);
}

static void AddFoundationExtensions(char* list, size_t capacity)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, FOUNDATION_KINDS_KEY, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        char name[EXTENSION_NAME_CAPACITY];
        DWORD nameLength = sizeof name;
        LONG result = RegEnumKeyExA(key, index, name, &nameLength, NULL, NULL, NULL, NULL);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        if (name[0] == '.')
            AddExtensionToList(list, capacity, name + 1);
    }
    RegCloseKey(key);
}

void ReadMediaExtensions(char* list, size_t capacity)
{
    std::memcpy(list, CHOOSER_EXTENSIONS, sizeof CHOOSER_EXTENSIONS);
    AddProfileExtensions(list, capacity);
    AddRegistryExtensions(list, capacity);
    AddFoundationExtensions(list, capacity);
}

// Our kinds first, as the default; then every registered kind; then all files.
static void BuildMediaFilter(char* filter, size_t capacity)
{
    char extensions[EXTENSION_LIST_CAPACITY];
    ReadMediaExtensions(extensions, sizeof extensions);
    char pattern[PATTERN_CAPACITY];
    FormatExtensionPattern(pattern, sizeof pattern, extensions);
    size_t used = 0;
    filter[0] = '\0';
    const char* parts[] = {CHOOSER_KIND, CHOOSER_PATTERN, REGISTERED_KIND, pattern, ALL_FILES_KIND, ALL_FILES_PATTERN};
    for (const char* part : parts)
        AppendFilterText(filter, capacity, &used, part);
}

// The preview chooser builds on the plain one with a template of its own;
// where it cannot show the Explorer form with several files allowed, the
// plain chooser is shown instead.
static BOOL ShowMediaChooser(OPENFILENAMEA* choice)
{
    if (GetOpenFileNamePreviewA(choice))
        return TRUE;
    DWORD error = CommDlgExtendedError();
    if (error == 0 || error == FNERR_BUFFERTOOSMALL)
        return FALSE;
    return GetOpenFileNameA(choice);
}

static void AddChosenFiles(HWND window, const char* files, size_t capacity, size_t fileOffset)
{
    ChosenFiles chosen;
    if (!ReadChosenFiles(&chosen, files, capacity, fileOffset)) {
        SetStatusText(window, TOO_MANY_CHOSEN);
        return;
    }
    AddMailbox mailbox;
    OpenAddMailbox(window, &mailbox);
    // A path the mailbox would cut names another file: it is passed over.
    char path[MAILBOX_CAPACITY];
    while (TakeChosenFile(&chosen, path, sizeof path))
        AddPathOrPlaylist(&mailbox, path);
    CloseAddMailbox(&mailbox);
}

void ChooseMediaToAdd(HWND window)
{
    char filter[FILTER_CAPACITY];
    BuildMediaFilter(filter, sizeof filter);
    // One spare zero after what the chooser may fill.
    char* files = static_cast<char*>(std::calloc(CHOSEN_FILES_CAPACITY + 1, 1));
    if (files == NULL)
        return;
    OPENFILENAMEA choice;
    PrepareChooser(&choice, window, filter, CHOOSER_TITLE, files, CHOSEN_FILES_CAPACITY, CHOOSER_FLAGS);
    if (ShowMediaChooser(&choice))
        AddChosenFiles(window, files, CHOSEN_FILES_CAPACITY, choice.nFileOffset);
    else if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        SetStatusText(window, TOO_MANY_CHOSEN);
    std::free(files);
}
