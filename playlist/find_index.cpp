// The find box's index of the queue: each entry's text and the long form of
// its path, lowered once when the box opens so that a key only searches.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "../app/system_functions.h"

typedef DWORD(WINAPI* LowerWideText)(LPWSTR, DWORD);
typedef DWORD(WINAPI* LongPathName)(LPCSTR, LPSTR, DWORD);

// An ANSI text never takes more UTF-16 units than it has bytes.
static const int FIND_UNITS_CAPACITY = 2 * MAX_PATH + 2;

// CharLowerBuffW lowers every script the same way on the NT family; 95, 98
// and ME export a stub that lowers nothing, and there the ANSI text is
// lowered in its own code page before it is converted.
static LowerWideText FindWideLowering()
{
    LowerWideText lower = NULL;
    if (!FindSystemFunction("user32.dll", "CharLowerBuffW", &lower))
        return NULL;
    WCHAR probe[] = {L'A'};
    return lower(probe, 1) == 1 && probe[0] == L'a' ? lower : NULL;
}

// The text lowered into units; its length, 0 for a text that does not convert.
static int LowerText(const char* text, LowerWideText lowerWide, WCHAR* units, int capacity)
{
    char lowered[MAX_PATH];
    if (lowerWide == NULL) {
        CopyBounded(lowered, sizeof lowered, text);
        CharLowerBuffA(lowered, static_cast<DWORD>(std::strlen(lowered)));
        text = lowered;
    }
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, units, capacity);
    if (length <= 1)
        return 0;
    if (lowerWide != NULL)
        lowerWide(units, static_cast<DWORD>(length - 1));
    return length - 1;
}

size_t LowerFindQuery(const char* text, char16_t* units, size_t capacity)
{
    WCHAR wide[FIND_UNITS_CAPACITY];
    int length = LowerText(text, FindWideLowering(), wide, FIND_UNITS_CAPACITY);
    size_t count = static_cast<size_t>(length) < capacity ? static_cast<size_t>(length) : capacity;
    std::memcpy(units, wide, count * sizeof(char16_t));
    return count;
}

// The last folder looked up: a queue's entries mostly share their folders.
struct LongFolder {
    char shortForm[MAX_PATH];
    char longForm[MAX_PATH];
};

static bool HasShortName(const char* text)
{
    return std::strchr(text, '~') != NULL;
}

// Stored paths are blank-free short forms where the disk has them, which the
// user does not know; a short name carries a '~', and only such a folder or
// name is looked up. Where a look-up fails the stored form stays.
static void LongPathOf(const char* path, const LeadBytes& leads, LongPathName longPathName, LongFolder* memo,
                       char* out, size_t capacity)
{
    CopyBounded(out, capacity, path);
    if (!HasShortName(path) || std::strpbrk(path, "*?") != NULL)
        return;
    const char* name = NameAfterLastBackslash(path, leads);
    char folder[MAX_PATH];
    size_t folderLength = static_cast<size_t>(name - path);
    if (folderLength >= sizeof folder)
        return;
    std::memcpy(folder, path, folderLength);
    folder[folderLength] = '\0';
    const char* longFolder = folder;
    if (HasShortName(folder) && longPathName != NULL) {
        if (std::strcmp(memo->shortForm, folder) != 0) {
            DWORD length = longPathName(folder, memo->longForm, MAX_PATH);
            if (length == 0 || length >= MAX_PATH)
                CopyBounded(memo->longForm, MAX_PATH, folder);
            CopyBounded(memo->shortForm, MAX_PATH, folder);
        }
        longFolder = memo->longForm;
    }
    char longName[MAX_PATH];
    CopyBounded(longName, sizeof longName, name);
    WIN32_FIND_DATAA found;
    HANDLE search = HasShortName(name) ? FindFirstFileA(path, &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        CopyBounded(longName, sizeof longName, found.cFileName);
        FindClose(search);
    }
    if (!JoinFolderPath(out, capacity, longFolder, longName))
        CopyBounded(out, capacity, path);
}

bool IndexQueueForFind(HWND window, FindIndex* index)
{
    EmptyFindIndex(index);
    LowerWideText lowerWide = FindWideLowering();
    // Windows 98 and 2000 on; 95 and NT 4.0 match a folder by its stored form.
    LongPathName longPathName = NULL;
    FindSystemFunction("kernel32.dll", "GetLongPathNameA", &longPathName);
    LeadBytes leads;
    GetAnsiLeadBytes(&leads);
    LongFolder memo = {};
    int count = GetEntryCount(window);
    for (int i = 0; i < count; ++i) {
        WCHAR wide[FIND_UNITS_CAPACITY];
        char text[MAX_PATH];
        GetEntryText(window, i, text);
        int length = LowerText(text, lowerWide, wide, FIND_UNITS_CAPACITY);
        wide[length++] = 0;
        // A CD track has its text alone.
        const PlaylistEntry* entry = GetEntry(window, i);
        if (entry != NULL && entry->kind != ENTRY_CD_TRACK) {
            LongPathOf(entry->path, leads, longPathName, &memo, text, sizeof text);
            length += LowerText(text, lowerWide, wide + length, FIND_UNITS_CAPACITY - length);
            wide[length++] = 0;
        }
        char16_t units[FIND_UNITS_CAPACITY];
        std::memcpy(units, wide, static_cast<size_t>(length) * sizeof(char16_t));
        if (!AddFindRecord(index, entry, units, static_cast<size_t>(length)))
            return false;
    }
    return true;
}
