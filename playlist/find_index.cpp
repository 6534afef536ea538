// The find box's index of the queue: each entry's text and the long form of
// its path, lowered once so that a key only searches.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "playlist.h"
#include "../app/system_functions.h"
#include "resource.h"

typedef DWORD(WINAPI* LowerWideText)(LPWSTR, DWORD);
typedef DWORD(WINAPI* LongPathName)(LPCSTR, LPSTR, DWORD);

// An ANSI text never takes more UTF-16 units than it has bytes.
static const int FIND_UNITS_CAPACITY = 2 * MAX_PATH + 2;
static_assert(sizeof(WCHAR) == sizeof(char16_t), "the index holds the system's UTF-16 units");

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

static bool HasShortName(const char* text)
{
    return std::strchr(text, '~') != NULL;
}

// Stored paths are blank-free short forms where the disk has them, which the
// user does not know; a short name carries a '~'. Such paths are looked up
// by folder, each folder once: the long folder, then its names, from one
// listing of the folder where it holds several of them (a look-up of a
// short name lists the folder anyway under Wine).
struct ShortPath {
    int index;
    const char* path;
    size_t folderLength;
    char longPath[MAX_PATH];
};

static const size_t FEW_NAMES = 4;

static const char* NameOf(const ShortPath& entry)
{
    return entry.path + entry.folderLength;
}

static bool ByFolderAndName(const ShortPath& a, const ShortPath& b)
{
    if (a.folderLength != b.folderLength)
        return a.folderLength < b.folderLength;
    int folder = std::strncmp(a.path, b.path, a.folderLength);
    return folder != 0 ? folder < 0 : std::strcmp(NameOf(a), NameOf(b)) < 0;
}

// The group's names, sorted, that the found file's short name is.
static void NameFound(ShortPath* group, size_t count, const WIN32_FIND_DATAA& found)
{
    ShortPath* end = group + count;
    ShortPath* at = std::lower_bound(group, end, found.cAlternateFileName,
                                     [](const ShortPath& entry, const char* name) {
                                         return std::strcmp(NameOf(entry), name) < 0;
                                     });
    for (; at != end && std::strcmp(NameOf(*at), found.cAlternateFileName) == 0; ++at)
        CopyBounded(at->longPath, MAX_PATH, found.cFileName);
}

static void FindLongNames(ShortPath* group, size_t count, const char* folder)
{
    WIN32_FIND_DATAA found;
    if (count <= FEW_NAMES) {
        for (size_t i = 0; i < count; ++i) {
            if (!HasShortName(NameOf(group[i])))
                continue;
            HANDLE search = FindFirstFileA(group[i].path, &found);
            if (search != INVALID_HANDLE_VALUE) {
                CopyBounded(group[i].longPath, MAX_PATH, found.cFileName);
                FindClose(search);
            }
        }
        return;
    }
    char pattern[MAX_PATH];
    if (!JoinFolderPath(pattern, sizeof pattern, folder, "*"))
        return;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.cAlternateFileName[0] != '\0')
            NameFound(group, count, found);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// One folder's entries, sorted by name: each gets its long path, or keeps
// its stored one where a look-up fails.
static void LookUpFolder(ShortPath* group, size_t count, LongPathName longPathName)
{
    char folder[MAX_PATH];
    char longFolder[MAX_PATH];
    for (size_t i = 0; i < count; ++i)
        CopyBounded(group[i].longPath, MAX_PATH, NameOf(group[i]));
    // A bare name would be looked for in the current folder.
    size_t length = group[0].folderLength;
    if (length == 0 || length >= sizeof folder)
        return;
    std::memcpy(folder, group[0].path, length);
    folder[length] = '\0';
    CopyBounded(longFolder, sizeof longFolder, folder);
    if (HasShortName(folder) && longPathName != NULL) {
        DWORD found = longPathName(folder, longFolder, MAX_PATH);
        if (found == 0 || found >= MAX_PATH)
            CopyBounded(longFolder, sizeof longFolder, folder);
    }
    FindLongNames(group, count, folder);
    for (size_t i = 0; i < count; ++i) {
        char name[MAX_PATH];
        CopyBounded(name, sizeof name, group[i].longPath);
        if (!JoinFolderPath(group[i].longPath, MAX_PATH, longFolder, name))
            CopyBounded(group[i].longPath, MAX_PATH, group[i].path);
    }
}

// The list asked directly: finding it by its id for each entry costs more
// than the rest of the index under Wine.
static const PlaylistEntry* ItemEntry(HWND list, int index)
{
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data != LB_ERR ? reinterpret_cast<const PlaylistEntry*>(data) : NULL;
}

// The entries from first on whose paths hold short names, each with its
// long path, in the list's order; null when there are none, or no memory
// for them (the stored forms stay).
static ShortPath* LookUpShortPaths(HWND list, int first, int entries, size_t* count)
{
    *count = 0;
    if (first >= entries)
        return NULL;
    ShortPath* found = static_cast<ShortPath*>(std::malloc(static_cast<size_t>(entries - first) * sizeof(ShortPath)));
    if (found == NULL)
        return NULL;
    LeadBytes leads;
    GetAnsiLeadBytes(&leads);
    for (int i = first; i < entries; ++i) {
        const PlaylistEntry* entry = ItemEntry(list, i);
        if (entry == NULL || entry->kind == ENTRY_CD_TRACK || !HasShortName(entry->path) ||
            std::strpbrk(entry->path, "*?") != NULL)
            continue;
        ShortPath& path = found[(*count)++];
        path.index = i;
        path.path = entry->path;
        path.folderLength = static_cast<size_t>(NameAfterLastBackslash(entry->path, leads) - entry->path);
    }
    std::sort(found, found + *count, ByFolderAndName);
    LongPathName longPathName = NULL;
    // Windows 98 and 2000 on; 95 and NT 4.0 match a folder by its stored form.
    FindSystemFunction("kernel32.dll", "GetLongPathNameA", &longPathName);
    for (size_t first = 0, last; first < *count; first = last) {
        for (last = first + 1; last < *count && found[last].folderLength == found[first].folderLength &&
                               std::strncmp(found[last].path, found[first].path, found[first].folderLength) == 0;
             ++last) {
        }
        LookUpFolder(found + first, last - first, longPathName);
    }
    // Back in the list's order.
    std::sort(found, found + *count, [](const ShortPath& a, const ShortPath& b) { return a.index < b.index; });
    return found;
}

bool IndexQueueForFind(HWND window, FindIndex* index)
{
    LowerWideText lowerWide = FindWideLowering();
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    int first = static_cast<int>(index->count);
    int count = GetEntryCount(window);
    size_t shortCount = 0;
    ShortPath* shortPaths = LookUpShortPaths(list, first, count, &shortCount);
    size_t nextShort = 0;
    bool whole = true;
    for (int i = first; i < count && whole; ++i) {
        WCHAR wide[FIND_UNITS_CAPACITY];
        char text[TEXT_CAPACITY];
        GetListItemText(list, i, text);
        int length = LowerText(text, lowerWide, wide, FIND_UNITS_CAPACITY);
        wide[length++] = 0;
        // A CD track has its text alone.
        const PlaylistEntry* entry = ItemEntry(list, i);
        if (entry != NULL && entry->kind != ENTRY_CD_TRACK) {
            const char* path = entry->path;
            if (nextShort < shortCount && shortPaths[nextShort].index == i)
                path = shortPaths[nextShort++].longPath;
            length += LowerText(path, lowerWide, wide + length, FIND_UNITS_CAPACITY - length);
            wide[length++] = 0;
        }
        char16_t units[FIND_UNITS_CAPACITY];
        std::memcpy(units, wide, static_cast<size_t>(length) * sizeof(char16_t));
        whole = AddFindRecord(index, entry, units, static_cast<size_t>(length));
    }
    std::free(shortPaths);
    return whole;
}
