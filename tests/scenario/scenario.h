// The real main window from the real resources, driven the way its message
// loop drives it; only the outside world (fake_world.h) is replaced.
#ifndef VIREO_SCENARIO_H
#define VIREO_SCENARIO_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../fakes/fake_world.h"
#include "../../app/app.h"
#include "../../playback/playback.h"
#include "../../playlist/playlist.h"
#include "../../shell/shell.h"
#include "resource.h"

class Scenario : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window as the entry does, with the tail as its parameter.
    HWND Open(const char* tail = "");
    // Handles everything queued, as the main loop would; timer messages are
    // dropped so that a test ticks the progress display itself.
    void Pump();
    // The same, for at most limit messages: false when the queue never ran dry.
    bool PumpAtMost(int limit);
    void Command(int id);
    void PostCommand(int id);
    void Tray(UINT mouseMessage, UINT iconId = TRAY_ICON_ID);
    // Adds a path through the add mailbox, as every door does.
    void Add(const char* path);
    // The clock moves on and the resulting notices are handled.
    void Play(int ms);
    void Tick();

    std::string Text(int id);
    std::string Status() { return Text(IDC_STATUS); }
    bool Enabled(int id);
    bool Visible();
    UINT TrayMenuState(int id);
    std::vector<std::string> Items();
    int Selection() { return GetSelectedIndex(window); }
    // Media elements opened, in order, under the playback alias.
    std::vector<std::string> Opened();
    const FakeTrayCall& LastTray();

    HWND window = NULL;
};

// The settings key, removed before every scenario so none leaks into the next.
void DeleteSettingsKey();

// A drop as the shell hands it over, with these paths in this order.
HDROP MakeDrop(const std::vector<std::string>& paths);

// A folder of the temporary folder by the given name, made if need be.
std::string ScratchFolder(const char* name);
void WriteBytes(const std::string& path, const std::string& bytes);
// A file's bytes, or "<none>" where it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The kept queue's files where a start finds them, and the queue's text
// ("<none>" when there is none).
KeptQueueFiles KeptFiles();
std::string KeptQueueBytes();

// The oldest forms of the records handed to the shell, the only sizes that
// 95, 98, ME and NT 4.0 accept (every later system takes them too).
#if defined(__i386__)
const DWORD FIRST_FORM_CHOOSER_SIZE = 76;
const DWORD FIRST_FORM_TRAY_SIZE = 88;
#else
const DWORD FIRST_FORM_CHOOSER_SIZE = 136;
const DWORD FIRST_FORM_TRAY_SIZE = 104;
#endif

// A chooser as every one of ours is shown: owned by the window, its record in
// the first form, an empty name buffer (of 260 characters unless given),
// and the given kind, filter, title and flags.
void ExpectChooser(const FakeChooser& chooser, HWND owner, bool preview, const char* filter, const char* title,
                   DWORD flags, DWORD maxFile = 259);

#endif
