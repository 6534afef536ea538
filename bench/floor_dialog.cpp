// The platform's floor beside vireo.exe: the same main dialog template and
// resources, with only as much behind them as each measurement needs.
//   bench_floor                    show the window (start-up, size)
//   bench_floor --fill LIST        show it; on MSG_FLOOR_FILL put each line's
//                                  name into the list control and answer
//                                  the milliseconds it took (memory, probes)
//   bench_floor --play FILE        play one file to its end (cost while playing)
//   bench_floor --sequence LIST    play the list's files one after another (gaps)
// LIST is a playlist file: a header line, then one path per line.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>

#include "resource.h"

static const UINT MSG_FLOOR_FILL = WM_APP + 1;

enum Mode { MODE_SHOW, MODE_FILL, MODE_PLAY, MODE_SEQUENCE };

static Mode s_mode = MODE_SHOW;
// The list's lines, cut in place in one buffer; no C++ library beyond the
// C string functions, so that the program stays as small as it can be.
static char** s_lines = NULL;
static size_t s_lineCount = 0;
static size_t s_next = 0;

static bool ReadLines(const char* fileName)
{
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, NULL);
    HANDLE heap = GetProcessHeap();
    char* text = static_cast<char*>(HeapAlloc(heap, 0, size + 1));
    DWORD got = 0;
    bool read = text != NULL && ReadFile(file, text, size, &got, NULL) && got == size;
    CloseHandle(file);
    if (!read)
        return false;
    text[size] = '\0';
    size_t lines = 0;
    for (DWORD i = 0; i < size; ++i)
        lines += text[i] == '\n';
    s_lines = static_cast<char**>(HeapAlloc(heap, 0, (lines + 1) * sizeof(char*)));
    if (s_lines == NULL)
        return false;
    // The first line is the header.
    char* cursor = std::strchr(text, '\n');
    while (cursor != NULL && cursor[1] != '\0') {
        char* line = cursor + 1;
        cursor = std::strchr(line, '\n');
        if (cursor != NULL)
            *cursor = '\0';
        size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\r')
            line[--length] = '\0';
        if (length > 0)
            s_lines[s_lineCount++] = line;
    }
    return true;
}

// Opens and plays the next file the way the player does; false at the end.
static bool PlayNext(HWND window)
{
    mciSendStringA("stop FloorMedia", NULL, 0, NULL);
    mciSendStringA("close FloorMedia", NULL, 0, NULL);
    while (s_next < s_lineCount) {
        char open[MAX_PATH + 64];
        const char* element = s_lines[s_next++];
        if (std::strlen(element) > MAX_PATH)
            continue;
        lstrcpyA(open, "open ");
        lstrcatA(open, element);
        lstrcatA(open, " alias FloorMedia wait");
        if (mciSendStringA(open, NULL, 0, NULL) != 0)
            continue;
        mciSendStringA("set FloorMedia time format ms wait", NULL, 0, NULL);
        if (mciSendStringA("play FloorMedia notify", NULL, 0, window) == 0)
            return true;
    }
    return false;
}

// Returns the milliseconds the list control took.
static LRESULT Fill(HWND window)
{
    DWORD start = GetTickCount();
    for (size_t i = 0; i < s_lineCount; ++i) {
        const char* slash = std::strrchr(s_lines[i], '\\');
        const char* name = slash != NULL ? slash + 1 : s_lines[i];
        SendDlgItemMessageA(window, IDC_PLAYLIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    return static_cast<LRESULT>(GetTickCount() - start);
}

static INT_PTR CALLBACK FloorDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (s_mode == MODE_SHOW || s_mode == MODE_FILL)
            ShowWindow(window, SW_SHOW);
        else
            PostMessageA(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
        return TRUE;
    case MSG_FLOOR_FILL:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, Fill(window));
        return TRUE;
    case MM_MCINOTIFY:
        if (wParam == MCI_NOTIFY_SUCCESSFUL && !PlayNext(window))
            DestroyWindow(window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_EXIT || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(window);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_DESTROY:
        mciSendStringA("close FloorMedia", NULL, 0, NULL);
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc >= 3) {
        if (std::strcmp(__argv[1], "--fill") == 0)
            s_mode = MODE_FILL;
        else if (std::strcmp(__argv[1], "--play") == 0)
            s_mode = MODE_PLAY;
        else if (std::strcmp(__argv[1], "--sequence") == 0)
            s_mode = MODE_SEQUENCE;
        if (s_mode == MODE_PLAY) {
            static char* single[1];
            single[0] = __argv[2];
            s_lines = single;
            s_lineCount = 1;
        } else if (!ReadLines(__argv[2])) {
            return 2;
        }
    }
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, FloorDialogProc, 0);
    if (window == NULL)
        return 1;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
