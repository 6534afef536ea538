// The media keys' messages: a real press is a process test; this is the one
// case no keyboard can time.
#include "scenario.h"

TEST_F(Scenario, AMediaKeyPressedAsPlaybackStopsStartsNothing)
{
    Open();
    FakeMediaAddFile("C:\\a.wav", 5000);
    Add("C:\\a.wav");
    // Stop lets the keys go, but a press may already wait in the queue.
    PostMessageA(window, WM_HOTKEY, HOTKEY_PLAY_PAUSE, 0);
    Pump();
    EXPECT_EQ(PLAY_STOPPED, g_playState);
    EXPECT_TRUE(Opened().empty());
}
