// The kept queue of this process: where its files lie, and the list composed
// once its changes pause, the place apart from it; the disk is left to the
// writing thread (kept_queue_writer.cpp).
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "kept_queue_parts.h"
#include "../app/system_functions.h"
#include "../playback/playback.h"
#include "../shell/shell.h"
#include "resource.h"

const char QUEUE_NOT_KEPT_TEXT[] = "The playlist cannot be kept for the next start.";

static const char APP_FOLDER_NAME[] = "Vireo";
static const char QUEUE_NAME[] = "Queue.VireoQueue";
static const char FRESH_NAME[] = "Queue.VireoQueue.new";
static const char PLACE_NAME[] = "Place.VireoQueue";
// The values of CSIDL_APPDATA, CSIDL_FLAG_CREATE and SHGFP_TYPE_CURRENT.
static const int APPDATA_FOLDER = 0x001a;
static const int CREATE_FOLDER = 0x8000;
static const DWORD ONLY_CURRENT_PATH = 0;
// Changes that come closer together than this are one change.
static const DWORD QUEUE_QUIET_MS = 250;

static void WriteQueueWhenQuiet(HWND window);

static KeptQueueFiles s_files;
static bool s_opened = false;       // looked for
static bool s_usable = false;       // a folder was found, its names fit, and no queue there is held
static uint32_t s_queueCheck = 0;
static QuietTimer s_changes = {QUEUE_SAVE_TIMER_ID, QUEUE_QUIET_MS, WriteQueueWhenQuiet, 0, false};

// Where the system has no application-data folder (95, 98, ME and NT 4.0
// without SHFolder.dll), the player's own folder keeps its queue, as it
// keeps the player.
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
    HRESULT(WINAPI * folderPath)(HWND, int, HANDLE, DWORD, LPSTR) = NULL;
    // Shell32 has it from Windows 2000 on; SHFolder.dll, which programs may
    // install, brings it to the systems before.
    if (!FindSystemFunction("shell32.dll", "SHGetFolderPathA", &folderPath))
        FindSystemFunction("shfolder.dll", "SHGetFolderPathA", &folderPath, true);
    char appData[MAX_PATH];
    if (folderPath == NULL || folderPath(NULL, APPDATA_FOLDER | CREATE_FOLDER, NULL, ONLY_CURRENT_PATH, appData) != S_OK)
        return FindProgramFolder(folder, capacity);
    if (!JoinFolderPath(folder, capacity, appData, APP_FOLDER_NAME))
        return false;
    return CreateDirectoryA(folder, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool UseKeptQueueFolder(const char* folder)
{
    s_opened = true;
    s_usable = JoinFolderPath(s_files.queue, MAX_PATH, folder, QUEUE_NAME) &&
               JoinFolderPath(s_files.fresh, MAX_PATH, folder, FRESH_NAME) &&
               JoinFolderPath(s_files.place, MAX_PATH, folder, PLACE_NAME);
    s_queueCheck = 0;
    return s_usable;
}

const KeptQueueFiles* KeptQueueFileNames()
{
    if (!s_opened) {
        char folder[MAX_PATH];
        if (!FindKeptQueueFolder(folder, sizeof folder) || !UseKeptQueueFolder(folder))
            s_usable = false;
        s_opened = true;
    }
    return s_usable ? &s_files : NULL;
}

void SetKeptQueueCheck(uint32_t check)
{
    s_queueCheck = check;
}

void HoldKeptQueue(HWND window)
{
    // Writing over a queue no one has read would lose it.
    s_usable = false;
    StartQueueWriter(window);
    NoteQueueOutcome(false);
}

// The list control is found once for a whole pass over it: under Wine
// finding a dialog's control asks the server each time.
static void AppendListEntry(GrowingText* text, HWND list, int index)
{
    char display[TEXT_CAPACITY];
    char storedDisplay[STORED_LINE_CAPACITY];
    char storedPath[STORED_LINE_CAPACITY];
    GetListItemText(list, index, display);
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    const PlaylistEntry* entry = data != LB_ERR ? reinterpret_cast<const PlaylistEntry*>(data) : NULL;
    KeptEntry kept = {ENTRY_OTHER, MakeStoredText(display, storedDisplay, sizeof storedDisplay), "", 0, 0};
    if (entry != NULL && entry->kind == ENTRY_CD_TRACK) {
        kept.kind = ENTRY_CD_TRACK;
        kept.startMs = entry->startMs;
        kept.lengthMs = entry->lengthMs;
    } else if (entry != NULL) {
        kept.kind = static_cast<EntryKind>(entry->kind);
        kept.path = MakeStoredText(entry->path, storedPath, sizeof storedPath);
    }
    AppendKeptEntry(text, kept);
}

// The whole list and the place as the file holds them; false, nothing
// handed over, when no store can be had or memory ran out.
static bool HandQueueToWriter(HWND window)
{
    StartQueueWriter(window);
    const KeptQueueFiles* files = KeptQueueFileNames();
    GrowingText text = {NULL, 0, 0, false};
    int32_t positionMs = 0;
    int current = QueuePlace(window, &positionMs);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (files != NULL) {
        BeginKeptQueueText(&text, current, positionMs);
        for (int i = 0; i < count && !text.failed; ++i)
            AppendListEntry(&text, list, i);
        EndKeptQueueText(&text);
    }
    if (files == NULL || text.text == NULL) {
        NoteQueueOutcome(false);
        return false;
    }
    s_queueCheck = KeptTextCheck(text.text, text.length);
    HandToWriter(files, text.text, text.length, NULL);
    return true;
}

static void WriteQueueWhenQuiet(HWND window)
{
    HandQueueToWriter(window);
}

void SaveQueueSoon(HWND window)
{
    if (!PutOffUntilQuiet(window, &s_changes))
        HandQueueToWriter(window);
}

void SaveQueuePlace(HWND window)
{
    // A change of the list still to be written brings the place with it; an
    // index of the list as it is now would not fit the queue on disk.
    if (s_changes.waiting)
        return;
    StartQueueWriter(window);
    const KeptQueueFiles* files = KeptQueueFileNames();
    if (files == NULL) {
        NoteQueueOutcome(false);
        return;
    }
    KeptPlace place = {s_queueCheck, -1, 0};
    place.current = QueuePlace(window, &place.positionMs);
    HandToWriter(files, NULL, 0, &place);
}

bool SaveQueueNow(HWND window)
{
    StopQuietTimer(window, &s_changes);
    return HandQueueToWriter(window) && FinishQueueWrites(SAVE_QUEUE_WAIT_MS) && LastQueueWritten();
}

void ReportQueueNotKept(HWND window)
{
    SetStatusText(window, QUEUE_NOT_KEPT_TEXT);
}
