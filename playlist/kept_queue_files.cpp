// The kept queue's files: where they lie, a write that never leaves a cut
// queue behind, and the rule a start follows to find the good one.
//
// A write goes whole to "Queue.VireoQueue.new", is flushed, and then takes
// the place of "Queue.VireoQueue": with ReplaceFile where the system has it
// (Windows 2000 and later), else in two steps (the old file deleted, the new
// one renamed). Whichever step a crash or a power cut stops, the complete
// new file or the old one is left, and a start takes the new one when it is
// complete (it ends with the end marker), else the old one.
#include <windows.h>

#include <cstring>

#include "playlist.h"

static const char APP_FOLDER_NAME[] = "Vireo";
static const char QUEUE_NAME[] = "Queue.VireoQueue";
static const char FRESH_NAME[] = "Queue.VireoQueue.new";
static const char PLACE_NAME[] = "Place.VireoQueue";
// The values of CSIDL_APPDATA, CSIDL_FLAG_CREATE, SHGFP_TYPE_CURRENT and
// REPLACEFILE_IGNORE_MERGE_ERRORS: the functions are looked up at run time,
// and the headers that name them are not needed for that.
static const int APPDATA_FOLDER = 0x001a;
static const int CREATE_FOLDER = 0x8000;
static const DWORD ONLY_CURRENT_PATH = 0;
static const DWORD IGNORE_MERGE_ERRORS = 0x00000002;
// Enough of either end of a file to tell its header and its end marker.
static const DWORD END_BYTES = 32;
// A file another program holds (a virus scanner, a backup) is asked for a
// while before it counts as held.
static const int HELD_ATTEMPTS = 5;
static const DWORD HELD_PAUSE_MS = 100;

typedef HRESULT(WINAPI* FolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);
typedef BOOL(WINAPI* ReplaceFileFunction)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

bool NameKeptQueueFiles(const char* folder, KeptQueueFiles* files)
{
    return JoinFolderPath(files->queue, MAX_PATH, folder, QUEUE_NAME) &&
           JoinFolderPath(files->fresh, MAX_PATH, folder, FRESH_NAME) &&
           JoinFolderPath(files->place, MAX_PATH, folder, PLACE_NAME);
}

// Shell32 has it from Windows 2000 on; SHFolder.dll, which programs may
// install, brings it to 95, 98, ME and NT 4.0.
static FolderPathFunction FindFolderPathFunction()
{
    HMODULE shell = GetModuleHandleA("shell32.dll");
    FARPROC found = shell != NULL ? GetProcAddress(shell, "SHGetFolderPathA") : NULL;
    if (found == NULL) {
        HMODULE folders = LoadLibraryA("shfolder.dll");
        found = folders != NULL ? GetProcAddress(folders, "SHGetFolderPathA") : NULL;
    }
    return reinterpret_cast<FolderPathFunction>(reinterpret_cast<void*>(found));
}

// Where the system has no application-data folder, the player's own folder
// keeps its queue, as it keeps the player.
static bool FindProgramFolder(char* folder, size_t capacity)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return false;
    LeadBytes leads;
    GetAnsiLeadBytes(&leads);
    size_t folderLength = static_cast<size_t>(NameAfterLastBackslash(program, leads) - program);
    if (folderLength == 0 || folderLength >= capacity)
        return false;
    std::memcpy(folder, program, folderLength);
    folder[folderLength] = '\0';
    return true;
}

bool FindKeptQueueFolder(char* folder, size_t capacity)
{
    FolderPathFunction folderPath = FindFolderPathFunction();
    char appData[MAX_PATH];
    if (folderPath == NULL || folderPath(NULL, APPDATA_FOLDER | CREATE_FOLDER, NULL, ONLY_CURRENT_PATH, appData) != S_OK)
        return FindProgramFolder(folder, capacity);
    if (!JoinFolderPath(folder, capacity, appData, APP_FOLDER_NAME))
        return false;
    return CreateDirectoryA(folder, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The whole text, flushed to the disk before anything is renamed: a file
// renamed into place before its bytes are on the disk could hold zeros
// after a power cut.
static bool WriteWholeFile(const char* name, const char* bytes, size_t size)
{
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = size <= MAXDWORD && WriteFile(file, bytes, static_cast<DWORD>(size), &written, NULL) &&
                 written == size && FlushFileBuffers(file);
    if (!CloseHandle(file))
        whole = false;
    // A cut file is of use to no one, and on a full disk it holds space.
    if (!whole)
        DeleteFileA(name);
    return whole;
}

static bool FileExists(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// The fresh file, complete and flushed, in the queue's place. 95, 98, ME and
// NT 4.0 have no atomic replace: between the two steps only the fresh file
// is left, and the start's rule takes it.
static bool PutFreshInPlace(const KeptQueueFiles* files)
{
    if (!FileExists(files->queue))
        return MoveFileA(files->fresh, files->queue) != FALSE;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ReplaceFileFunction replace = reinterpret_cast<ReplaceFileFunction>(
        reinterpret_cast<void*>(kernel != NULL ? GetProcAddress(kernel, "ReplaceFileA") : NULL));
    if (replace != NULL)
        return replace(files->queue, files->fresh, NULL, IGNORE_MERGE_ERRORS, NULL, NULL) != FALSE;
    return DeleteFileA(files->queue) && MoveFileA(files->fresh, files->queue);
}

bool KeepQueueText(const KeptQueueFiles* files, const char* text, size_t size)
{
    return WriteWholeFile(files->fresh, text, size) && PutFreshInPlace(files);
}

HANDLE OpenKeptFile(const char* name, DWORD flags)
{
    for (int attempt = 1;; ++attempt) {
        HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, flags, NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || attempt == HELD_ATTEMPTS)
            return file;
        Sleep(HELD_PAUSE_MS);
    }
}

bool ReadFileEnds(const char* name, char* head, DWORD* headSize, char* tail, DWORD* tailSize, DWORD capacity)
{
    HANDLE file = OpenKeptFile(name, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, NULL);
    DWORD tailStart = size > capacity ? size - capacity : 0;
    bool read = size != INVALID_FILE_SIZE && ReadFile(file, head, capacity, headSize, NULL) &&
                SetFilePointer(file, static_cast<LONG>(tailStart), NULL, FILE_BEGIN) == tailStart &&
                ReadFile(file, tail, capacity, tailSize, NULL);
    CloseHandle(file);
    return read;
}

enum Completeness {
    HELD = -1,          // there, but it cannot be read
    NOT_A_QUEUE = 0,    // missing, or no kept queue
    STARTS = 1,         // it starts as one
    COMPLETE = 2
};

static Completeness CompletenessOf(const char* name)
{
    char head[END_BYTES];
    char tail[END_BYTES];
    DWORD headSize = 0;
    DWORD tailSize = 0;
    if (!ReadFileEnds(name, head, &headSize, tail, &tailSize, END_BYTES)) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NOT_A_QUEUE : HELD;
    }
    if (!HasKeptQueueHeader(head, headSize))
        return NOT_A_QUEUE;
    return EndsWithKeptQueueEnd(tail, tailSize) ? COMPLETE : STARTS;
}

// A complete fresh file is the newest queue: it is flushed before anything
// else happens to the queue. Without a complete one, what can be read; a
// queue that is there but cannot be read is left alone.
const char* PickKeptQueueFile(const KeptQueueFiles* files, bool* held)
{
    Completeness fresh = CompletenessOf(files->fresh);
    *held = false;
    if (fresh == COMPLETE)
        return files->fresh;
    Completeness queue = CompletenessOf(files->queue);
    *held = queue == HELD;
    if (queue >= STARTS)
        return files->queue;
    return fresh == STARTS && queue == NOT_A_QUEUE ? files->fresh : NULL;
}

const char* SettleKeptQueue(const KeptQueueFiles* files, const char* picked)
{
    return picked == files->fresh && PutFreshInPlace(files) ? files->queue : picked;
}

// Over itself, unflushed: the other slot stands if this write is cut.
bool WriteKeptPlace(const KeptQueueFiles* files, const KeptPlaceRecord& record)
{
    HANDLE file = CreateFileA(files->place, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char slot[KEPT_PLACE_SLOT_SIZE];
    FormatKeptPlaceSlot(slot, record);
    DWORD offset = static_cast<DWORD>(KeptPlaceSlotOf(record.sequence) * KEPT_PLACE_SLOT_SIZE);
    DWORD written = 0;
    bool whole = SetFilePointer(file, static_cast<LONG>(offset), NULL, FILE_BEGIN) == offset &&
                 WriteFile(file, slot, sizeof slot, &written, NULL) && written == sizeof slot;
    return CloseHandle(file) && whole;
}

void ReadKeptPlaces(const KeptQueueFiles* files, KeptPlaceRecord* records)
{
    char slots[KEPT_PLACE_SLOTS * KEPT_PLACE_SLOT_SIZE];
    DWORD size = 0;
    HANDLE file = CreateFileA(files->place, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, slots, sizeof slots, &size, NULL))
        size = 0;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    for (int i = 0; i < KEPT_PLACE_SLOTS; ++i) {
        size_t start = static_cast<size_t>(i) * KEPT_PLACE_SLOT_SIZE;
        size_t held = size > start ? size - start : 0;
        ParseKeptPlaceSlot(slots + start, held < KEPT_PLACE_SLOT_SIZE ? held : KEPT_PLACE_SLOT_SIZE, &records[i]);
    }
}
