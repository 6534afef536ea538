// Real vireo.exe processes, driven from outside the way a UI automation
// client drives them: the window found by class and title, list and text
// messages sent across, the registry read back with the platform's calls.
#ifndef VIREO_PROCESS_HARNESS_H
#define VIREO_PROCESS_HARNESS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Started {
    HANDLE process = NULL;
    DWORD pid = 0;
};

// The folder of this test program, where vireo.exe and the test tools are built.
std::string BuildFolder();
// The tests' temporary folder, or a folder of it by the given name; made if need be.
std::string TempFolder(const char* name = NULL);
// Starts a program by its full path, in the given current folder (NULL: this one's).
Started StartExe(const std::string& exe, const std::string& tail, const char* folder = NULL);
// The same with a Unicode tail, as Explorer starts programs.
Started StartExeW(const std::string& exe, const std::wstring& tail);
// Starts a program from the build folder with the given command-line tail.
Started StartProgram(const std::string& program, const std::string& tail);
Started StartVireo(const std::string& tail = "");
// The exit code, or -1 if the process still runs after timeoutMs.
int WaitForExit(Started& started, DWORD timeoutMs = 20000);
void CloseStarted(Started& started);

// A dialog window of the given process (0: of any) by its title, waiting up
// to timeoutMs for it; with visible, only once it is shown.
HWND WaitForDialog(DWORD pid, const char* title, DWORD timeoutMs, bool visible = false);
// The main window of a given Vireo process, waiting up to timeoutMs for it.
HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs = 15000);
// Waits until check() holds or the time is up; the last check's result.
bool WaitUntil(bool (*check)(HWND), HWND window, DWORD timeoutMs);

// The list's texts, in the given code page (this process's own by default).
std::vector<std::string> ListItems(HWND window, UINT codePage = CP_ACP);
std::string ControlText(HWND window, int id);
bool ControlEnabled(HWND window, int id);
void PostCommand(HWND window, int id);
// Exit through the Exit command and wait for the process to end: its exit code.
int ExitVireo(HWND window, Started& started);
// Main windows of players (a message box of theirs has the same class and
// title, but no mailbox), however many run.
int PlayerWindows();

// The running-instance marker.
bool MarkerExists();
bool ReadMarkerPid(DWORD* pid);
// Expects the marker to name the process; what says which case failed.
void ExpectMarkerNames(DWORD pid, const std::string& what = std::string());
void WriteMarker(const void* data, DWORD size, DWORD type);
void DeleteMarker();
void DeleteSettings();
// The user's application-data folder's "Vireo", where the queue is kept
// (the world's own under tools/winerun), and its files removed, so that no
// start finds a queue an earlier one kept.
std::string KeptQueueFolder();
void DeleteKeptQueue();

// Ends every Vireo process still running (the tests' own leftovers).
void EndAllVireo();

// A WAV file of a sine tone, 16-bit mono at 22050 Hz.
void WriteToneWav(const std::string& path, int hz, int ms);
void WriteTextFile(const std::string& path, const std::string& bytes);
// A file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

#endif
