// The keyboard's media keys against a real vireo.exe, pressed from this
// process as a keyboard would press them.
#include "process_harness.h"

#include <string>

#include "resource.h"

namespace {

// This process's own hot keys, standing for another program's.
const int OTHERS_PREVIOUS = 1;
const int OTHERS_PLAY_PAUSE = 2;
const int TONE_MS = 20000;
const DWORD STEP_WAIT_MS = 5000;

void Press(WORD key)
{
    INPUT strokes[2] = {};
    strokes[0].type = INPUT_KEYBOARD;
    strokes[0].ki.wVk = key;
    strokes[1] = strokes[0];
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof(INPUT));
}

// Whether a press of this thread's hot key arrived within the time.
bool HotKeyArrived(int id, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, NULL, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
            if (static_cast<int>(message.wParam) == id)
                return true;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

int Selection(HWND window)
{
    return static_cast<int>(SendMessageA(GetDlgItem(window, IDC_PLAYLIST), LB_GETCURSEL, 0, 0));
}

std::string s_status;

bool StatusIs(HWND window)
{
    return ControlText(window, IDC_STATUS) == s_status;
}

bool WaitForStatus(HWND window, const char* status)
{
    s_status = status;
    return WaitUntil(StatusIs, window, STEP_WAIT_MS);
}

}  // namespace

TEST_F(ProcessTest, MediaKeysReachVireoFromStartToStopAndNoKeyAnotherProgramHolds)
{
    const std::string folder = TempFolder("media-keys");
    std::string list = "[VIREO 1.0]\r\n";
    for (const char* name : {"one.wav", "two.wav", "three.wav"}) {
        WriteToneWav(folder + "\\" + name, 440, TONE_MS);
        list += folder + "\\" + name + "\r\n";
    }
    WriteTextFile(folder + "\\keys.VireoList", list);
    ASSERT_TRUE(RegisterHotKey(NULL, OTHERS_PREVIOUS, 0, VK_MEDIA_PREV_TRACK));

    Started vireo = StartVireo("/play " + folder + "\\keys.VireoList");
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    // Only a start selects the first of the three.
    ASSERT_TRUE(WaitUntil([](HWND w) { return ListItems(w).size() == 3 && Selection(w) == 0; }, window, 15000));
    EXPECT_FALSE(RegisterHotKey(NULL, OTHERS_PLAY_PAUSE, 0, VK_MEDIA_PLAY_PAUSE)) << "Vireo holds it while playing";

    // Next plays the entry after the current one, as the menu's Next does.
    Press(VK_MEDIA_NEXT_TRACK);
    EXPECT_TRUE(WaitUntil([](HWND w) { return Selection(w) == 1; }, window, STEP_WAIT_MS));
    Press(VK_MEDIA_PREV_TRACK);
    EXPECT_TRUE(HotKeyArrived(OTHERS_PREVIOUS, STEP_WAIT_MS)) << "the key another program held stays with it";
    EXPECT_EQ(1, Selection(window));

    Press(VK_MEDIA_PLAY_PAUSE);
    EXPECT_TRUE(WaitForStatus(window, "Playback paused."));
    Press(VK_MEDIA_PLAY_PAUSE);
    EXPECT_TRUE(WaitForStatus(window, "Playback resumed."));
    Press(VK_MEDIA_STOP);
    EXPECT_TRUE(WaitForStatus(window, "Playback stopped."));

    // Stopped, Vireo has let the keys go: another program can have them.
    EXPECT_TRUE(RegisterHotKey(NULL, OTHERS_PLAY_PAUSE, 0, VK_MEDIA_PLAY_PAUSE));
    Press(VK_MEDIA_PLAY_PAUSE);
    EXPECT_TRUE(HotKeyArrived(OTHERS_PLAY_PAUSE, STEP_WAIT_MS));
    EXPECT_EQ("Playback stopped.", ControlText(window, IDC_STATUS));

    UnregisterHotKey(NULL, OTHERS_PLAY_PAUSE);
    UnregisterHotKey(NULL, OTHERS_PREVIOUS);
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
}
