// The player as the benchmarks see it from outside its process: its window,
// where it keeps its queue, and how many entries a queue file holds.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

static const char* const KEPT_NAMES[] = {"Queue.VireoQueue", "Queue.VireoQueue.new", "Place.VireoQueue"};

struct DialogSearch {
    DWORD pid;
    bool visible;
    HWND found;
};

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[16];
    if (pid != search->pid || (search->visible && !IsWindowVisible(window)) ||
        GetClassNameA(window, name, sizeof name) == 0 || std::strcmp(name, "#32770") != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The process's dialog window (only a shown one if asked), or NULL.
inline HWND DialogOf(DWORD pid, bool visible)
{
    DialogSearch search = {pid, visible, NULL};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Where the player keeps its queue in this world.
inline std::string KeptFolder()
{
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, folder)))
        return "";
    std::string kept = std::string(folder) + "\\Vireo";
    CreateDirectoryA(kept.c_str(), NULL);
    return kept;
}

inline void ClearKept(const std::string& folder)
{
    for (const char* name : KEPT_NAMES)
        DeleteFileA((folder + "\\" + name).c_str());
}

// Entry lines in a queue file; -1 when it cannot be read. A line longer than
// the buffer comes in pieces, and only its first starts with the tag.
inline int EntryLines(const char* queue)
{
    std::FILE* file = std::fopen(queue, "rb");
    if (file == NULL)
        return -1;
    int entries = 0;
    char line[2048];
    while (std::fgets(line, sizeof line, file) != NULL)
        entries += std::strncmp(line, "entry\t", 6) == 0;
    std::fclose(file);
    return entries;
}

// A double click on a row in view, posted as the mouse sends it.
inline void PostDoubleClick(HWND list, int row)
{
    DWORD_PTR top = 0, height = 0;
    SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, 10000, &top);
    SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, 10000, &height);
    LPARAM at = MAKELPARAM(20, (row - static_cast<int>(top)) * static_cast<int>(height) + static_cast<int>(height) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}
