// The find box over a queue of 10,000 entries, timed inside one process:
// its opening (the queue indexed and every entry listed and drawn), each key
// of a query typed letter by letter and erased again, from the key to the
// rows drawn, an entry removed while it is open (the rows shown again), and
// the first key after an entry came, which indexes it. Prints "name
// milliseconds" lines.
//   bench_find_box FOLDER RUNS short   the entries are files in FOLDER, made there when
//                                      missing, kept by their short forms as the mailbox keeps them
//   bench_find_box FOLDER RUNS long    the same paths kept whole, as on a volume without short names
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../app/app.h"
#include "../playback/playback.h"
#include "../playlist/playlist.h"
#include "../shell/shell.h"
#include "resource.h"
#include "bench_timing.h"

static const int ENTRIES = 10000;
static const int FOLDERS = 100;

static INT_PTR CALLBACK BareDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowWindow(window, SW_SHOW);
        return TRUE;
    }
    return FALSE;
}

// Long names with blanks, as a music folder has them: the queue keeps
// their short forms, which the box looks up.
static std::string EntryPath(const char* folder, int i)
{
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\Album %02d (live)\\Artist %03d - Song number %05d.wav", folder,
                  i % FOLDERS, i % 331, i);
    return path;
}

static bool FillQueue(HWND window, const char* folder, bool shortForms)
{
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    for (int i = 0; i < ENTRIES; ++i) {
        std::string path = EntryPath(folder, i);
        std::string album = path.substr(0, path.rfind('\\'));
        CreateDirectoryA(album.c_str(), NULL);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        char text[MAILBOX_CAPACITY];
        char display[TEXT_CAPACITY];
        CopyBounded(text, sizeof text, path.c_str());
        CopyBounded(display, sizeof display, path.c_str() + path.rfind('\\') + 1);
        if (shortForms)
            LookUpFile(text, display);
        if (AppendListItem(list, display, NewFileEntry(ENTRY_WAVE, text)) < 0)
            return false;
    }
    return true;
}

static HWND FindBox()
{
    return FindWindowA("#32770", "Find in queue");
}

// A key's text set as the query, and the rows it shows drawn.
static double Key(HWND box, const std::string& query)
{
    double start = NowMs();
    SetDlgItemTextA(box, IDC_FIND_TEXT, query.c_str());
    UpdateWindow(box);
    return NowMs() - start;
}

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    bool shortForms = std::strcmp(argv[3], "short") == 0;
    g_instance = GetModuleHandleA(NULL);
    int runs = std::atoi(argv[2]);
    HWND window = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, BareDialogProc, 0);
    if (window == NULL || runs < 1)
        return 3;
    CreateDirectoryA(argv[1], NULL);
    if (!FillQueue(window, argv[1], shortForms))
        return 4;
    const std::string typed = "number 04217";
    std::vector<double> opens, keys, removals, appended;
    double worst = 0;
    for (int run = 0; run < runs; ++run) {
        double start = NowMs();
        OpenFindBox(window);
        HWND box = FindBox();
        if (box == NULL)
            return 5;
        UpdateWindow(box);
        opens.push_back(NowMs() - start);
        for (size_t length = 1; length <= typed.size(); ++length)
            keys.push_back(Key(box, typed.substr(0, length)));
        for (size_t length = typed.size(); length-- > 0;)
            keys.push_back(Key(box, typed.substr(0, length)));
        double removing = NowMs();
        RemoveEntry(window, 0);
        UpdateWindow(box);
        removals.push_back(NowMs() - removing);
        std::string path = EntryPath(argv[1], run);
        HWND list = GetDlgItem(window, IDC_PLAYLIST);
        int index = AppendListItem(list, "came.wav", NewFileEntry(ENTRY_WAVE, path.c_str()));
        QueueChanged(window, QUEUE_APPENDED, index, index);
        appended.push_back(Key(box, "song"));
        CloseFindBox();
    }
    for (double key : keys)
        worst = key > worst ? key : worst;
    const char* kind = shortForms ? "short" : "long";
    std::printf("find_%s_entries %d\nfind_%s_open_ms %.2f\nfind_%s_key_ms %.2f\nfind_%s_key_max_ms %.2f\n"
                "find_%s_removal_ms %.2f\nfind_%s_key_after_append_ms %.2f\nfind_%s_keys %lu\n",
                kind, GetEntryCount(window), kind, Median(opens), kind, Median(keys), kind, worst, kind,
                Median(removals), kind, Median(appended), kind, static_cast<unsigned long>(keys.size()));
    std::fflush(stdout);
    DestroyWindow(window);
    return 0;
}
