#include "scenario.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

static bool s_resourcesLoaded = false;

void DeleteSettingsKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo\\running");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo");
}

std::string ScratchFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

// The header, then the ANSI paths, each zero-terminated, and a second zero
// after the last.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    char* bytes = static_cast<char*>(GlobalLock(memory));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(bytes + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file != NULL) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// The scenarios keep their queue where a start finds it, in the world's own
// application-data folder (tools/winerun), emptied before each of them so
// that none restores what another left.
KeptQueueFiles KeptFiles()
{
    KeptQueueFiles files = {};
    EXPECT_TRUE(KeptQueueFileNames() != NULL);
    if (KeptQueueFileNames() != NULL)
        files = *KeptQueueFileNames();
    return files;
}

std::string ReadFileBytes(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return "<none>";
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, n);
    fclose(file);
    return bytes;
}

std::string KeptQueueBytes()
{
    FinishQueueWrites(SAVE_QUEUE_WAIT_MS);
    return ReadFileBytes(KeptFiles().queue);
}

static void EmptyKeptQueue()
{
    char folder[MAX_PATH];
    ASSERT_TRUE(FindKeptQueueFolder(folder, sizeof folder) && UseKeptQueueFolder(folder));
    // No place of an earlier scenario's list is this one's.
    ForgetEntry(CurrentEntry());
    KeepNoPlace(NULL);
    FinishQueueWrites(SAVE_QUEUE_WAIT_MS);
    KeptQueueFiles files = KeptFiles();
    for (const char* name : {files.queue, files.fresh, files.place})
        DeleteFileA(name);
}

void Scenario::SetUp()
{
    if (!s_resourcesLoaded) {
        LoadSharedResources(GetModuleHandleA(NULL));
        s_resourcesLoaded = true;
    }
    // The tray menu is shared by the whole run: put its start states back.
    EnableMenuItem(g_trayMenu, IDM_START, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(g_trayMenu, IDM_STOP, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(g_trayMenu, IDM_PAUSE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(g_trayMenu, IDM_PREVIOUS, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(g_trayMenu, IDM_NEXT, MF_BYCOMMAND | MF_GRAYED);
    CheckMenuItem(g_trayMenu, IDM_PAUSE, MF_BYCOMMAND | MF_UNCHECKED);
    FakeMediaReset();
    FakeDialogsReset();
    DeleteSettingsKey();
    EmptyKeptQueue();
    g_playState = PLAY_STOPPED;
    g_progressTimerId = 0;
    g_playOptions = PlayOptions{0, 0, 0};
    ClearShuffleOrder();
    SeedRandom(1);
}

void Scenario::TearDown()
{
    // A window opened with the marker held serves executes; the next scenario's window is another.
    StopDdeService();
    if (window != NULL && IsWindow(window)) {
        KillTimer(window, PROGRESS_TIMER_ID);
        DestroyWindow(window);
    }
    Pump();
    window = NULL;
    DeleteSettingsKey();
}

HWND Scenario::Open(const char* tail)
{
    window = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc,
                                reinterpret_cast<LPARAM>(tail));
    EXPECT_TRUE(window != NULL);
    Pump();
    return window;
}

bool Scenario::PumpAtMost(int limit)
{
    MSG message;
    for (int handled = 0; handled < limit; ++handled) {
        if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            return true;
        if (message.message == WM_QUIT || message.message == WM_TIMER)
            continue;
        if (window != NULL && IsWindow(window) && TranslateWindowKeys(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}

void Scenario::Pump()
{
    while (!PumpAtMost(1000)) {
    }
}

void Scenario::Command(int id)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Scenario::PostCommand(int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Scenario::Tray(UINT mouseMessage, UINT iconId)
{
    SendMessageA(window, MSG_TRAY, iconId, mouseMessage);
}

void Scenario::Add(const char* path)
{
    PostToAddMailbox(window, path);
}

void Scenario::Play(int ms)
{
    FakeMediaAdvance(ms);
    Pump();
}

void Scenario::Tick()
{
    OnProgressTick(window, WM_TIMER, PROGRESS_TIMER_ID, 0);
}

std::string Scenario::Text(int id)
{
    char text[512] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

bool Scenario::Enabled(int id)
{
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

bool Scenario::Visible()
{
    return IsWindowVisible(window) != FALSE;
}

UINT Scenario::TrayMenuState(int id)
{
    return GetMenuState(g_trayMenu, id, MF_BYCOMMAND);
}

std::vector<std::string> Scenario::Items()
{
    std::vector<std::string> items;
    int count = GetEntryCount(window);
    for (int i = 0; i < count; ++i) {
        char text[TEXT_CAPACITY];
        GetEntryText(window, i, text);
        items.push_back(text);
    }
    return items;
}

std::vector<std::string> Scenario::Opened()
{
    std::vector<std::string> opened;
    const char prefix[] = "open ";
    const char suffix[] = " alias VireoMedia wait";
    for (const std::string& command : FakeMediaCommands()) {
        if (command.compare(0, 5, prefix) != 0)
            continue;
        size_t at = command.rfind(suffix);
        if (at != std::string::npos && at + sizeof suffix - 1 == command.size())
            opened.push_back(command.substr(5, at - 5));
    }
    return opened;
}

const FakeTrayCall& Scenario::LastTray()
{
    static FakeTrayCall none{};
    return FakeTrayCalls().empty() ? none : FakeTrayCalls().back();
}

void ExpectChooser(const FakeChooser& chooser, HWND owner, bool preview, const char* filter, const char* title,
                   DWORD flags, DWORD maxFile)
{
    SCOPED_TRACE(title);
    EXPECT_EQ(preview, chooser.preview);
    EXPECT_EQ(owner, chooser.owner);
    EXPECT_EQ(filter, chooser.filter);
    EXPECT_EQ(title, chooser.title);
    EXPECT_EQ(flags, chooser.flags);
    EXPECT_EQ(FIRST_FORM_CHOOSER_SIZE, chooser.structSize);
    EXPECT_EQ(maxFile, chooser.maxFile);
    EXPECT_EQ("", chooser.initialFile);
}
