#include "process_harness.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "resource.h"

static const char MARKER_KEY[] = "Software\\Tallgrass\\Vireo\\running";

std::string BuildFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string TempFolder(const char* name)
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "vireo-tests";
    CreateDirectoryA(folder.c_str(), NULL);
    if (name != NULL) {
        folder += std::string("\\") + name;
        CreateDirectoryA(folder.c_str(), NULL);
    }
    return folder;
}

Started StartExe(const std::string& exe, const std::string& tail, const char* folder)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!tail.empty())
        commandLine += " " + tail;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    Started started;
    // Seen once under a loaded Wine: a start refused at once. It is said,
    // and tried once more, so that a test fails on the program, not on that.
    for (int attempt = 0; attempt < 2 && started.process == NULL; ++attempt) {
        if (attempt > 0)
            Sleep(500);
        std::vector<char> line(buffer);
        if (CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, folder, &startup, &info)) {
            CloseHandle(info.hThread);
            started.process = info.hProcess;
            started.pid = info.dwProcessId;
        } else {
            std::printf("StartExe: %s %s was not started (error %lu)\n", exe.c_str(), tail.substr(0, 80).c_str(),
                        GetLastError());
        }
    }
    return started;
}

Started StartExeW(const std::string& exe, const std::wstring& tail)
{
    WCHAR wideExe[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, exe.c_str(), -1, wideExe, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(wideExe) + L"\" " + tail;
    std::vector<WCHAR> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    Started started;
    if (CreateProcessW(wideExe, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
        CloseHandle(info.hThread);
        started.process = info.hProcess;
        started.pid = info.dwProcessId;
    }
    return started;
}

Started StartProgram(const std::string& program, const std::string& tail)
{
    return StartExe(BuildFolder() + "\\" + program, tail);
}

Started StartVireo(const std::string& tail)
{
    return StartProgram("vireo.exe", tail);
}

int WaitForExit(Started& started, DWORD timeoutMs)
{
    if (started.process == NULL)
        return -1;
    if (WaitForSingleObject(started.process, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(started.process, &code);
    return static_cast<int>(code);
}

void CloseStarted(Started& started)
{
    if (started.process != NULL)
        CloseHandle(started.process);
    started.process = NULL;
}

struct WindowSearch {
    DWORD pid;
    const char* title;
    bool visible;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    char className[32] = "";
    char title[64] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (strcmp(className, "#32770") == 0 && strcmp(title, search->title) == 0 &&
        (search->pid == 0 || pid == search->pid) && (!search->visible || IsWindowVisible(window))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD pid, const char* title, DWORD timeoutMs, bool visible)
{
    DWORD start = GetTickCount();
    do {
        WindowSearch search = {pid, title, visible, NULL};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL)
            return search.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND window = WaitForDialog(pid, "Vireo", timeoutMs);
    // The dialog is found before its controls are made, and a message to a
    // control not there yet answers 0, which reads as a first entry selected.
    // The mailbox is the last of them.
    while (window != NULL && GetDlgItem(window, IDC_MAILBOX) == NULL) {
        if (GetTickCount() - start >= timeoutMs || !IsWindow(window))
            return NULL;
        Sleep(10);
    }
    return window;
}

bool WaitUntil(bool (*check)(HWND), HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!check(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return check(window);
        Sleep(50);
    }
    return true;
}

std::vector<std::string> ListItems(HWND window, UINT codePage)
{
    std::vector<std::string> items;
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wine hands LB_GETTEXT from another process back in UTF-16 even to
        // SendMessageA, so the text is asked for wide and converted here.
        WCHAR wide[1024] = L"";
        char text[2048] = "";
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length >= 0 && length < static_cast<LRESULT>(sizeof wide / sizeof wide[0])) {
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(codePage, 0, wide, -1, text, sizeof text, NULL, NULL);
        }
        items.push_back(text);
    }
    return items;
}

std::string ControlText(HWND window, int id)
{
    char text[1024] = "";
    SendMessageA(GetDlgItem(window, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool ControlEnabled(HWND window, int id)
{
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

void PostCommand(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

static BOOL CALLBACK CountPlayerWindow(HWND window, LPARAM count)
{
    char className[32] = "";
    char title[64] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (strcmp(className, "#32770") == 0 && strcmp(title, "Vireo") == 0 && GetDlgItem(window, IDC_MAILBOX) != NULL)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int PlayerWindows()
{
    int count = 0;
    EnumWindows(CountPlayerWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

int ExitVireo(HWND window, Started& started)
{
    PostCommand(window, IDC_EXIT);
    return WaitForExit(started);
}

bool MarkerExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadMarkerPid(DWORD* pid)
{
    DWORD type = 0;
    DWORD size = sizeof *pid;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG result = RegQueryValueExA(key, "pid", NULL, &type, reinterpret_cast<BYTE*>(pid), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof *pid;
}

void ExpectMarkerNames(DWORD pid, const std::string& what)
{
    DWORD marked = 0;
    EXPECT_TRUE(ReadMarkerPid(&marked)) << what;
    EXPECT_EQ(pid, marked) << what;
}

void WriteMarker(const void* data, DWORD size, DWORD type)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "pid", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void DeleteMarker()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, MARKER_KEY);
}

void DeleteSettings()
{
    DeleteMarker();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo");
}

std::string KeptQueueFolder()
{
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, folder)))
        return "";
    return std::string(folder) + "\\Vireo";
}

void DeleteKeptQueue()
{
    std::string folder = KeptQueueFolder();
    for (const char* name : {"Queue.VireoQueue", "Queue.VireoQueue.new", "Place.VireoQueue"})
        DeleteFileA((folder + "\\" + name).c_str());
    // A test may have put a file where the folder belongs.
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        DeleteFileA(folder.c_str());
}

void EndAllVireo()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "vireo.exe") != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process != NULL) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

static void PutLittle(std::string& out, unsigned value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void WriteToneWav(const std::string& path, int hz, int ms)
{
    const unsigned rate = 22050;
    unsigned samples = rate * static_cast<unsigned>(ms) / 1000;
    std::string data;
    for (unsigned i = 0; i < samples; ++i) {
        double value = std::sin(2.0 * 3.14159265358979 * hz * i / rate) * 12000.0;
        PutLittle(data, static_cast<unsigned>(static_cast<int>(value)) & 0xFFFF, 2);
    }
    std::string wav = "RIFF";
    PutLittle(wav, 36 + static_cast<unsigned>(data.size()), 4);
    wav += "WAVEfmt ";
    PutLittle(wav, 16, 4);
    PutLittle(wav, 1, 2);
    PutLittle(wav, 1, 2);
    PutLittle(wav, rate, 4);
    PutLittle(wav, rate * 2, 4);
    PutLittle(wav, 2, 2);
    PutLittle(wav, 16, 2);
    wav += "data";
    PutLittle(wav, static_cast<unsigned>(data.size()), 4);
    WriteTextFile(path, wav + data);
}

void WriteTextFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file != NULL) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

void ProcessTest::SetUp()
{
    EndAllVireo();
    DeleteSettings();
    DeleteKeptQueue();
}

void ProcessTest::TearDown()
{
    EndAllVireo();
    DeleteSettings();
    DeleteKeptQueue();
}
