// Files read and written whole: playlists and the kept queue. A write goes
// to a new file that replaces the old one only once it is complete and on
// the disk, so that a crash, a power cut or a full disk at any step leaves
// either the old file or the new one, never half of one.
#include <windows.h>

#include <cstdlib>

#include "playlist.h"
#include "../app/system_functions.h"

// REPLACEFILE_IGNORE_MERGE_ERRORS, for the function looked up at run time.
static const DWORD IGNORE_MERGE_ERRORS = 0x00000002;
// A file another program holds (a virus scanner, a backup) is asked for a
// while before it counts as held.
static const int HELD_ATTEMPTS = 5;
static const DWORD HELD_PAUSE_MS = 100;

static HANDLE OpenToRead(const char* name)
{
    for (int attempt = 1;; ++attempt) {
        HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                  NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || attempt == HELD_ATTEMPTS)
            return file;
        Sleep(HELD_PAUSE_MS);
    }
}

char* ReadWholeFile(const char* name, size_t* size)
{
    HANDLE file = OpenToRead(name);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    char* text = NULL;
    DWORD got = 0;
    if (low != INVALID_FILE_SIZE && high == 0 && low < MAXDWORD)
        text = static_cast<char*>(std::malloc(static_cast<size_t>(low) + 1));
    if (text != NULL && (!ReadFile(file, text, low, &got, NULL) || got != low)) {
        std::free(text);
        text = NULL;
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    if (text != NULL) {
        text[low] = '\0';
        *size = low;
    }
    return text;
}

// The whole text, flushed to the disk before anything is renamed: a file
// renamed into place before its bytes are on the disk could hold zeros
// after a power cut.
static bool WriteAndFlush(const char* name, const char* bytes, size_t size)
{
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = size <= MAXDWORD && WriteFile(file, bytes, static_cast<DWORD>(size), &written, NULL) &&
                 written == size && FlushFileBuffers(file);
    DWORD error = GetLastError();
    if (!CloseHandle(file))
        whole = false;
    // A cut file is of use to no one, and on a full disk it holds space.
    if (!whole) {
        DeleteFileA(name);
        SetLastError(error);
    }
    return whole;
}

// The new file in the old one's place. 95, 98, ME and NT 4.0 have no
// atomic replace: between the two steps only the new file is left.
static bool PutInPlace(const char* name, const char* fresh)
{
    if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(fresh, name) != FALSE;
    BOOL(WINAPI * replace)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) = NULL;
    if (FindSystemFunction("kernel32.dll", "ReplaceFileA", &replace))
        return replace(name, fresh, NULL, IGNORE_MERGE_ERRORS, NULL, NULL) != FALSE;
    return DeleteFileA(name) && MoveFileA(fresh, name);
}

bool WriteWholeFile(const char* name, const char* fresh, const char* bytes, size_t size)
{
    if (!WriteAndFlush(fresh, bytes, size))
        return false;
    if (PutInPlace(name, fresh))
        return true;
    // Where the old file still stands the new one is litter; where the
    // steps stopped between delete and rename it is all there is.
    DWORD error = GetLastError();
    if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES)
        DeleteFileA(fresh);
    SetLastError(error);
    return false;
}
