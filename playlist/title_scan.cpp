// The thread that reads titles and lengths, at low priority, off the
// window's thread: a file on a slow disk or a server never holds the window
// up. It takes jobs the window hands it and hands back what it read; the
// window places the results (title_place.cpp).
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "title_scan.h"
#include "resource.h"

// Kept small: the window feeds the visible rows first, and a long queue of
// jobs would keep them waiting behind the rest. Longer runs of results
// would cost the window fewer drawings of the list's scroll bar, but hold it
// up longer each: at 64 a round trip to it took three times as long.
static const int JOB_CAPACITY = 16;
static const int RESULT_CAPACITY = 32;
// The head of a file is read once: every reader looks at it first.
static const size_t HEAD_BYTES = TAG_BLOCK_BYTES;

static CRITICAL_SECTION s_lock;
static HANDLE s_jobsWaiting = NULL;     // set while jobs wait
static HANDLE s_roomForResults = NULL;  // set while results have room
static bool s_started = false;
static HWND s_window = NULL;
static TitleJob s_jobs[JOB_CAPACITY];
static int s_jobCount = 0;
static TitleResult s_results[RESULT_CAPACITY];
static int s_resultCount = 0;

// The open file, and its head read once.
struct FileBytes {
    HANDLE file;
    unsigned char head[HEAD_BYTES];
    size_t headSize;
};
static FileBytes s_bytes;

static size_t ReadFileAt(void* context, uint64_t offset, unsigned char* bytes, size_t count)
{
    FileBytes* file = static_cast<FileBytes*>(context);
    if (offset + count <= file->headSize) {
        std::memcpy(bytes, file->head + offset, count);
        return count;
    }
    LONG high = static_cast<LONG>(offset >> 32);
    DWORD got = 0;
    if (SetFilePointer(file->file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return 0;
    if (!ReadFile(file->file, bytes, static_cast<DWORD>(count), &got, NULL))
        return 0;
    return got;
}

static void ReadTags(const char* path, uint64_t size, MediaTags* tags)
{
    ClearMediaTags(tags);
    s_bytes.file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (s_bytes.file == INVALID_HANDLE_VALUE)
        return;
    DWORD got = 0;
    s_bytes.headSize = ReadFile(s_bytes.file, s_bytes.head, sizeof s_bytes.head, &got, NULL) ? got : 0;
    TagSource source;
    BeginTagSource(&source, size, ReadFileAt, &s_bytes);
    ReadMediaTags(&source, tags);
    CloseHandle(s_bytes.file);
}

// What the disk says of the file now; false when it is gone.
static bool LookAtFile(const char* path, uint64_t* size, uint64_t* time, char* name)
{
    WIN32_FIND_DATAA found;
    HANDLE search = std::strpbrk(path, "*?") == NULL ? FindFirstFileA(path, &found) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    *size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    *time = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 | found.ftLastWriteTime.dwLowDateTime;
    CopyBounded(name, TEXT_CAPACITY, found.cFileName);
    return true;
}

static void Work(const TitleJob& job, TitleResult* result)
{
    static MediaTags tags;
    *result = TitleResult{job.entry, job.serial, job.indexHint, false, false, "", "", 0, -1, 0, 0};
    // A file that is gone keeps its last title.
    if (!LookAtFile(job.path, &result->fileSize, &result->fileTime, result->name))
        return;
    result->found = true;
    if (job.fileSize == result->fileSize && job.fileTime == result->fileTime)
        return;
    ReadTags(job.path, result->fileSize, &tags);
    result->read = true;
    result->lengthMs = tags.lengthMs >= 0 && tags.lengthMs <= INT32_MAX ? static_cast<int32_t>(tags.lengthMs) : -1;
    ComposeTitle(tags.artist, tags.title, result->title, &result->artistLength);
}

static bool TakeJob(TitleJob* job)
{
    EnterCriticalSection(&s_lock);
    bool taken = s_jobCount > 0;
    if (taken) {
        *job = s_jobs[0];
        std::memmove(s_jobs, s_jobs + 1, sizeof *s_jobs * static_cast<size_t>(--s_jobCount));
    }
    if (s_jobCount == 0)
        ResetEvent(s_jobsWaiting);
    LeaveCriticalSection(&s_lock);
    return taken;
}

static void HandBack(const TitleResult& result)
{
    for (;;) {
        EnterCriticalSection(&s_lock);
        if (s_resultCount < RESULT_CAPACITY) {
            s_results[s_resultCount++] = result;
            // One notice for each run of results: the window takes them all.
            if (s_resultCount == 1)
                PostMessageA(s_window, MSG_TITLES_READ, 0, 0);
            LeaveCriticalSection(&s_lock);
            return;
        }
        ResetEvent(s_roomForResults);
        LeaveCriticalSection(&s_lock);
        WaitForSingleObject(s_roomForResults, INFINITE);
    }
}

static DWORD WINAPI RunTitleScan(LPVOID)
{
    static TitleResult result;
    for (;;) {
        WaitForSingleObject(s_jobsWaiting, INFINITE);
        TitleJob job;
        while (TakeJob(&job)) {
            Work(job, &result);
            HandBack(result);
        }
    }
}

static bool StartTitleScan(HWND window)
{
    if (s_started)
        return s_jobsWaiting != NULL;
    s_started = true;
    s_window = window;
    InitializeCriticalSection(&s_lock);
    s_jobsWaiting = CreateEventA(NULL, TRUE, FALSE, NULL);
    s_roomForResults = CreateEventA(NULL, TRUE, TRUE, NULL);
    DWORD id = 0;
    HANDLE thread = s_jobsWaiting != NULL && s_roomForResults != NULL
                        ? CreateThread(NULL, 0, RunTitleScan, NULL, CREATE_SUSPENDED, &id)
                        : NULL;
    if (thread == NULL) {
        // Without it titles stay the files' names, and lengths come as entries play.
        if (s_jobsWaiting != NULL)
            CloseHandle(s_jobsWaiting);
        s_jobsWaiting = NULL;
        return false;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
    ResumeThread(thread);
    CloseHandle(thread);
    return true;
}

int TitleJobRoom(HWND window)
{
    if (!StartTitleScan(window))
        return 0;
    EnterCriticalSection(&s_lock);
    s_window = window;
    int room = JOB_CAPACITY - s_jobCount;
    LeaveCriticalSection(&s_lock);
    return room;
}

void HandTitleJob(const TitleJob& job)
{
    EnterCriticalSection(&s_lock);
    if (s_jobCount < JOB_CAPACITY) {
        s_jobs[s_jobCount++] = job;
        SetEvent(s_jobsWaiting);
    }
    LeaveCriticalSection(&s_lock);
}

int TakeTitleResults(TitleResult* results, int capacity)
{
    if (!s_started || s_jobsWaiting == NULL)
        return 0;
    EnterCriticalSection(&s_lock);
    int count = s_resultCount < capacity ? s_resultCount : capacity;
    std::memcpy(results, s_results, sizeof *results * static_cast<size_t>(count));
    std::memmove(s_results, s_results + count, sizeof *s_results * static_cast<size_t>(s_resultCount - count));
    s_resultCount -= count;
    // Results left behind are taken at a notice of their own.
    if (s_resultCount > 0)
        PostMessageA(s_window, MSG_TITLES_READ, 0, 0);
    SetEvent(s_roomForResults);
    LeaveCriticalSection(&s_lock);
    return count;
}
