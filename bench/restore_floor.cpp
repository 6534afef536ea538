// The floor for restoring the kept queue: reads the same file in one piece
// and adds each entry line's list text to a bare list box of its own, its
// drawing held, as cheaply as the platform allows. Prints the milliseconds
// from opening the file to the list drawn again.
//   bench_restore_floor QUEUE_FILE
#include <windows.h>

#include <cstdio>
#include <cstring>

static const char ENTRY_TAG[] = "entry\t";

static double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The entry lines' list texts (the third field), cut in place; the count.
static int AddNames(HWND list, char* text)
{
    int added = 0;
    for (char* line = text; line != NULL && *line != '\0';) {
        char* end = std::strchr(line, '\n');
        if (end != NULL)
            *end = '\0';
        if (std::strncmp(line, ENTRY_TAG, sizeof ENTRY_TAG - 1) == 0) {
            char* name = std::strchr(line + sizeof ENTRY_TAG - 1, '\t');
            char* after = name != NULL ? std::strchr(name + 1, '\t') : NULL;
            if (after != NULL) {
                *after = '\0';
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name + 1));
                ++added;
            }
        }
        line = end != NULL ? end + 1 : NULL;
    }
    return added;
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    HWND list = CreateWindowExA(0, "LISTBOX", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL, 0, 0, 300, 400,
                                NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (list == NULL)
        return 3;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 4;
    DWORD size = GetFileSize(file, NULL);
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size + 1));
    DWORD got = 0;
    bool read = text != NULL && ReadFile(file, text, size, &got, NULL) && got == size;
    CloseHandle(file);
    if (!read)
        return 5;
    text[size] = '\0';
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    int added = AddNames(list, text);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    std::printf("kept_restore_floor_run %.2f\nkept_restore_floor_entries %d\n", Milliseconds(start, end), added);
    DestroyWindow(list);
    return 0;
}
