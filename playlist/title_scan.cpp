// The thread that reads titles and lengths, at low priority, off the
// window's thread: a file on a slow disk or a server never holds the window
// up. It takes jobs the window hands it and hands back what it read; the
// window places the results at its title timer's ticks (title_place.cpp).
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "title_scan.h"
#include "resource.h"

// Enough for a tick of the window's title timer: the window places results
// and hands out jobs a tick at a time, so that it is busy a moment now and
// then rather than at every file. The rows in view are handed out first.
static const int JOB_CAPACITY = 512;
static const int RESULT_CAPACITY = 512;
// The head of a file is read once: every reader looks at it first.
static const size_t HEAD_BYTES = TAG_BLOCK_BYTES;

// A queue that wraps round in its array.
struct Ring {
    int first;
    int count;
};

static CRITICAL_SECTION s_lock;
static HANDLE s_jobsWaiting = NULL;     // set while jobs wait
static HANDLE s_roomForResults = NULL;  // set while results have room
static bool s_started = false;
static TitleJob* s_jobs = NULL;
static Ring s_jobRing = {0, 0};
static TitleResult* s_results = NULL;
static Ring s_resultRing = {0, 0};
static bool s_working = false;          // a job taken and not handed back yet

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

// What the open file says of itself.
static void LookAtOpenFile(HANDLE file, uint64_t* size, uint64_t* time)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    *size = low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR ? 0 : static_cast<uint64_t>(high) << 32 | low;
    FILETIME written = {0, 0};
    GetFileTime(file, NULL, NULL, &written);
    *time = static_cast<uint64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
}

// The file's long name, for a title its tags no longer give: the list shows
// the name an entry was added under until then.
static void FindLongName(const char* path, char* name)
{
    WIN32_FIND_DATAA found;
    HANDLE search = std::strpbrk(path, "*?") == NULL ? FindFirstFileA(path, &found) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return;
    FindClose(search);
    CopyBounded(name, TEXT_CAPACITY, found.cFileName);
}

// Opened once: its size and time tell whether it has changed since it was
// last read, and a file that is gone keeps its last title.
static void Work(const TitleJob& job, TitleResult* result)
{
    static MediaTags tags;
    *result = TitleResult{job.entry, job.serial, job.indexHint, false, false, "", "", 0, -1, 0, 0};
    s_bytes.file = CreateFileA(job.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (s_bytes.file == INVALID_HANDLE_VALUE)
        return;
    result->found = true;
    LookAtOpenFile(s_bytes.file, &result->fileSize, &result->fileTime);
    if (job.fileSize != result->fileSize || job.fileTime != result->fileTime) {
        DWORD got = 0;
        s_bytes.headSize = ReadFile(s_bytes.file, s_bytes.head, sizeof s_bytes.head, &got, NULL) ? got : 0;
        TagSource source;
        BeginTagSource(&source, result->fileSize, ReadFileAt, &s_bytes);
        ClearMediaTags(&tags);
        ReadMediaTags(&source, &tags);
        result->read = true;
        result->lengthMs = tags.lengthMs >= 0 && tags.lengthMs <= INT32_MAX ? static_cast<int32_t>(tags.lengthMs) : -1;
        ComposeTitle(tags.artist, tags.title, result->title, &result->artistLength);
    }
    CloseHandle(s_bytes.file);
    if (result->read && result->title[0] == '\0' && job.wantsName)
        FindLongName(job.path, result->name);
}

static bool TakeJob(TitleJob* job)
{
    EnterCriticalSection(&s_lock);
    bool taken = s_jobRing.count > 0;
    if (taken) {
        *job = s_jobs[s_jobRing.first];
        s_jobRing.first = (s_jobRing.first + 1) % JOB_CAPACITY;
        --s_jobRing.count;
    } else {
        ResetEvent(s_jobsWaiting);
    }
    s_working = taken;
    LeaveCriticalSection(&s_lock);
    return taken;
}

static void HandBack(const TitleResult& result)
{
    for (;;) {
        EnterCriticalSection(&s_lock);
        if (s_resultRing.count < RESULT_CAPACITY) {
            s_results[(s_resultRing.first + s_resultRing.count) % RESULT_CAPACITY] = result;
            ++s_resultRing.count;
            s_working = false;
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

static bool StartTitleScan()
{
    if (s_started)
        return s_jobsWaiting != NULL;
    s_started = true;
    s_jobs = static_cast<TitleJob*>(std::malloc(sizeof(TitleJob) * JOB_CAPACITY));
    s_results = static_cast<TitleResult*>(std::malloc(sizeof(TitleResult) * RESULT_CAPACITY));
    InitializeCriticalSection(&s_lock);
    s_jobsWaiting = CreateEventA(NULL, TRUE, FALSE, NULL);
    s_roomForResults = CreateEventA(NULL, TRUE, TRUE, NULL);
    DWORD id = 0;
    HANDLE thread = s_jobs != NULL && s_results != NULL && s_jobsWaiting != NULL && s_roomForResults != NULL
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

int TitleJobRoom()
{
    if (!StartTitleScan())
        return 0;
    EnterCriticalSection(&s_lock);
    int room = JOB_CAPACITY - s_jobRing.count;
    LeaveCriticalSection(&s_lock);
    return room;
}

void HandTitleJob(const TitleJob& job)
{
    EnterCriticalSection(&s_lock);
    if (s_jobRing.count < JOB_CAPACITY) {
        s_jobs[(s_jobRing.first + s_jobRing.count) % JOB_CAPACITY] = job;
        ++s_jobRing.count;
        SetEvent(s_jobsWaiting);
    }
    LeaveCriticalSection(&s_lock);
}

int TakeTitleResults(TitleResult* results, int capacity, bool* busy)
{
    *busy = false;
    if (!s_started || s_jobsWaiting == NULL)
        return 0;
    EnterCriticalSection(&s_lock);
    int count = s_resultRing.count < capacity ? s_resultRing.count : capacity;
    for (int i = 0; i < count; ++i)
        results[i] = s_results[(s_resultRing.first + i) % RESULT_CAPACITY];
    s_resultRing.first = (s_resultRing.first + count) % RESULT_CAPACITY;
    s_resultRing.count -= count;
    *busy = s_jobRing.count > 0 || s_working || s_resultRing.count > 0;
    SetEvent(s_roomForResults);
    LeaveCriticalSection(&s_lock);
    return count;
}
