// Files dropped on the main window join the playlist as Add... and Open
// playlist... add them, in the order given; a folder gives the media files
// it holds itself, in name order, and leaves its playlists alone: they
// mostly list the same files again.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "playlist.h"

static const UINT DROP_COUNT_QUERY = 0xFFFFFFFF;

static const size_t FIRST_NAME_CAPACITY = 64;

// The names of a folder's media files, on the run-time heap.
struct FolderNames {
    char (*names)[TEXT_CAPACITY];
    size_t count;
    size_t capacity;
};

static bool AddFolderName(FolderNames* names, const char* name)
{
    if (names->count == names->capacity) {
        size_t grown = names->capacity == 0 ? FIRST_NAME_CAPACITY : names->capacity * 2;
        void* more = std::realloc(names->names, grown * sizeof *names->names);
        if (more == NULL)
            return false;
        names->names = static_cast<char (*)[TEXT_CAPACITY]>(more);
        names->capacity = grown;
    }
    CopyBounded(names->names[names->count++], TEXT_CAPACITY, name);
    return true;
}

// The order a folder window shows: by name, whatever the case.
static int CompareNames(const void* a, const void* b)
{
    return lstrcmpiA(static_cast<const char*>(a), static_cast<const char*>(b));
}

// False when memory ran out: then nothing of the folder is added.
static bool FindFolderMedia(const char* folder, FolderNames* names)
{
    char pattern[TEXT_CAPACITY];
    if (!JoinFolderPath(pattern, sizeof pattern, folder, "*"))
        return true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    char extensions[EXTENSION_LIST_CAPACITY];
    ReadMediaExtensions(extensions, sizeof extensions);
    bool complete = true;
    do {
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && HasListedExtension(found.cFileName, extensions) &&
            ClassifyPlaylistName(found.cFileName) == PLAYLIST_NONE)
            complete = AddFolderName(names, found.cFileName);
    } while (complete && FindNextFileA(search, &found));
    FindClose(search);
    return complete;
}

static void AddFolderMedia(AddMailbox* mailbox, const char* folder)
{
    FolderNames found = {NULL, 0, 0};
    if (FindFolderMedia(folder, &found) && found.count > 0) {
        std::qsort(found.names, found.count, sizeof *found.names, CompareNames);
        for (size_t i = 0; i < found.count; ++i) {
            // A path the mailbox would cut names another file: it is passed over.
            char path[MAILBOX_CAPACITY];
            if (JoinFolderPath(path, sizeof path, folder, found.names[i]))
                PostToOpenMailbox(mailbox, path);
        }
    }
    std::free(found.names);
}

static void AddDroppedPath(AddMailbox* mailbox, const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        AddFolderMedia(mailbox, path);
    else
        AddPathOrPlaylist(mailbox, path);
}

void AddDroppedFiles(HWND window, HDROP drop)
{
    AddMailbox mailbox;
    OpenAddMailbox(window, &mailbox);
    UINT count = DragQueryFileA(drop, DROP_COUNT_QUERY, NULL, 0);
    for (UINT i = 0; i < count; ++i) {
        // A path the mailbox would cut names another file: it is passed over.
        if (DragQueryFileA(drop, i, NULL, 0) >= static_cast<UINT>(MAILBOX_CAPACITY))
            continue;
        char path[MAILBOX_CAPACITY];
        if (DragQueryFileA(drop, i, path, sizeof path) > 0)
            AddDroppedPath(&mailbox, path);
    }
    CloseAddMailbox(&mailbox);
    DragFinish(drop);
}
