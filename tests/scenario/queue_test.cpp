// The queue in the user's hands: an entry played at once, the list edited
// while it plays, in every mode, and nothing read or played that is gone.
#include "playback_scenario.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class QueueScenario : public PlaybackScenario {
protected:
    HWND List() { return GetDlgItem(window, IDC_PLAYLIST); }

    POINT ItemCentre(int index)
    {
        RECT rect = {};
        SendMessageA(List(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    void Mouse(UINT message, WPARAM keys, POINT at)
    {
        PostMessageA(List(), message, keys, MAKELPARAM(at.x, at.y));
    }

    // A double click as the platform delivers it.
    void DoubleClick(POINT at)
    {
        Mouse(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Mouse(WM_LBUTTONUP, 0, at);
        Mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        Mouse(WM_LBUTTONUP, 0, at);
        Pump();
    }

    void Drag(POINT from, POINT to)
    {
        Mouse(WM_LBUTTONDOWN, MK_LBUTTON, from);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON, to);
        Mouse(WM_LBUTTONUP, 0, to);
        Pump();
    }

    void Key(WPARAM key)
    {
        SetFocus(List());
        PostMessageA(List(), WM_KEYDOWN, key, 1);
        Pump();
    }
};

}  // namespace

TEST_F(QueueScenario, AnEntryPlaysAtOnceFromEveryState)
{
    OpenRecording();
    AddFiles(4);

    // Stopped: a double click starts playback at the entry clicked.
    DoubleClick(ItemCentre(2));
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ((std::vector<std::string>{"e2.wav"}), OpenedNames());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ("e2.wav", CurrentName());
    EXPECT_EQ(2, Selection());
    EXPECT_EQ("Playing e2.wav", Status());
    EXPECT_NE(0u, g_progressTimerId);
    ExpectTray(g_playingIcon, DEFAULT_TRAY_TIP, "played by a double click");
    ExpectPlayCommands(false, true, true, "played by a double click");
    Play(LENGTH_MS);
    EXPECT_EQ("e3.wav", CurrentName()) << "the list goes on after it";

    // Playing: Enter plays the selected entry, not the default button's Start.
    UserSelects(1);
    Key(VK_RETURN);
    EXPECT_EQ((std::vector<std::string>{"e2.wav", "e3.wav", "e1.wav"}), OpenedNames());
    EXPECT_EQ(0, FakeMediaPosition("VireoMedia"));

    // Paused: the pause is left for the entry chosen.
    Command(IDM_PAUSE);
    UserSelects(0);
    Command(IDM_PLAY_SELECTED);
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ("C:\\Media\\e0.wav", FakeMediaElement("VireoMedia"));
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ("&Pause", Text(IDM_PAUSE));
    EXPECT_FALSE(TrayChecked(IDM_PAUSE));
    ExpectTray(g_playingIcon, DEFAULT_TRAY_TIP, "played while paused");
    ExpectPlayCommands(false, true, true, "played while paused");

    // Below the last entry a double click plays nothing.
    RECT last = {};
    SendMessageA(List(), LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
    size_t opened = Opened().size();
    DoubleClick(POINT{last.left + 5, last.bottom + 5});
    EXPECT_EQ(opened, Opened().size());
    EXPECT_EQ("e0.wav", CurrentName());

    // Start keeps its rule: the first entry.
    Command(IDM_STOP);
    Command(IDM_START);
    Pump();
    EXPECT_EQ("e0.wav", OpenedNames().back());
    Command(IDM_STOP);
}

TEST_F(QueueScenario, TheEntryThatPlaysRemovedGivesWayToTheOneAfterIt)
{
    OpenRecording();
    AddFiles(4);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    Play(1000);
    ASSERT_EQ("e1.wav", CurrentName());

    // An entry before it goes: it plays on, where it was.
    UserSelects(0);
    Command(IDC_REMOVE);
    EXPECT_EQ((std::vector<std::string>{"e1.wav", "e2.wav", "e3.wav"}), Items());
    EXPECT_EQ(2u, Opened().size());
    EXPECT_EQ(1000, FakeMediaPosition("VireoMedia"));
    EXPECT_EQ(0, CurrentEntryIndex(window));

    // Delete on the entry that plays: the one after it plays at once.
    UserSelects(0);
    Key(VK_DELETE);
    EXPECT_EQ((std::vector<std::string>{"e2.wav", "e3.wav"}), Items());
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e2.wav"}), OpenedNames());
    EXPECT_EQ("e2.wav", CurrentName());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    // The last entry, as it plays: the pass ends as at its end.
    Play(LENGTH_MS);
    s_statusLog.clear();
    UserSelects(1);
    Command(IDC_REMOVE);
    EXPECT_EQ((std::vector<std::string>{"Playback stopped.", "Done with playlist."}), s_statusLog);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ("", FakeMediaElement("VireoMedia"));

    // With repeat on, the next pass begins.
    AddFile("e4.wav");
    Command(IDM_REPEAT);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    ASSERT_EQ("e4.wav", CurrentName());
    UserSelects(1);
    Command(IDC_REMOVE);
    Pump();
    EXPECT_EQ("e2.wav", CurrentName());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    Command(IDM_REPEAT);

    // Paused: removing the paused entry stops playback, as Stop does.
    Command(IDM_PAUSE);
    UserSelects(0);
    Command(IDC_REMOVE);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ("Playback stopped.", Status());
    EXPECT_TRUE(CurrentEntry() == NULL);
    EXPECT_TRUE(Items().empty());
}

TEST_F(QueueScenario, AHeldOrFailedEntryRemovedLeavesNothingBehind)
{
    OpenRecording();
    AddFiles(2);
    std::string gone = AddFile("gone.wav", LENGTH_MS, false, true);
    AddFile("e3.wav");
    AddFile("e4.wav");

    // Cue mode holds the entry after a finished one; removed, playback stops.
    Command(IDM_CUE_MODE);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    ASSERT_EQ(static_cast<int>(PLAY_PAUSED), g_playState);
    ASSERT_EQ("e1.wav", CurrentName());
    UserSelects(1);
    Command(IDC_REMOVE);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ("", FakeMediaElement("VireoMedia"));
    Command(IDM_CUE_MODE);

    // An entry that fails posts its skip; removed before the skip arrives,
    // the entry after it plays and the late skip passes it by.
    UserSelects(1);
    Command(IDM_PLAY_SELECTED);
    EXPECT_EQ(gone + " is not a valid media file.", Status());
    Command(IDC_REMOVE);
    EXPECT_EQ("e3.wav", CurrentName());
    Pump();
    EXPECT_EQ("e3.wav", CurrentName());
    EXPECT_EQ("C:\\Media\\e3.wav", FakeMediaElement("VireoMedia"));
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    // Cleared while it plays: stopped first, nothing left to read.
    Command(IDM_CLEAR_PLAYLIST);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_TRUE(Items().empty());
    EXPECT_TRUE(CurrentEntry() == NULL);
    EXPECT_FALSE(KillTimer(window, g_progressTimerId));
    s_statusLog.clear();
    Command(IDM_START);
    EXPECT_TRUE(Drain());
    EXPECT_EQ((std::vector<std::string>{"Starting playback...", "Playback stopped.", "Done with playlist."}),
              s_statusLog);
}

TEST_F(QueueScenario, MovesNeverInterruptAndTheEntryAfterTheCurrentOnePlaysNext)
{
    OpenRecording();
    AddFiles(5);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    Play(1000);
    ASSERT_EQ("e1.wav", CurrentName());

    UserSelects(3);
    Command(IDC_UP);
    Command(IDC_UP);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e3.wav", "e1.wav", "e2.wav", "e4.wav"}), Items());
    EXPECT_EQ(2, CurrentEntryIndex(window));
    EXPECT_EQ(2u, Opened().size());
    EXPECT_EQ(1000, FakeMediaPosition("VireoMedia"));

    // The entry that plays dragged to the top: it plays on, and the entry
    // now after it follows.
    Drag(ItemCentre(2), POINT{ItemCentre(0).x, ItemCentre(0).y - 2});
    EXPECT_EQ((std::vector<std::string>{"e1.wav", "e0.wav", "e3.wav", "e2.wav", "e4.wav"}), Items());
    EXPECT_EQ(0, Selection());
    EXPECT_EQ(1000, FakeMediaPosition("VireoMedia"));
    Play(LENGTH_MS);
    EXPECT_EQ("e0.wav", CurrentName());

    // A drop outside the list, or on the entry's own place, moves nothing.
    RECT client;
    GetClientRect(List(), &client);
    const std::vector<std::string> before = Items();
    Drag(ItemCentre(4), POINT{ItemCentre(4).x, client.bottom + 20});
    EXPECT_EQ(before, Items());
    Drag(ItemCentre(4), POINT{ItemCentre(4).x + 20, ItemCentre(4).y + 1});
    EXPECT_EQ(before, Items());
    EXPECT_EQ(-1, ListDropMark());

    // Down past the end of the list: the last entry plays last.
    UserSelects(1);
    for (int i = 0; i < 5; ++i)
        Command(IDC_DOWN);
    EXPECT_EQ("e0.wav", Items().back());
    for (int i = 0; i < 4; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e0.wav"}), OpenedNames());
    EXPECT_EQ("Done with playlist.", Status());
}

// The shuffle order holds entries: moves change nothing in it, an added
// entry joins what is still to come, a removed one leaves, one played now
// counts as played. Every entry plays once in the pass.
TEST_F(QueueScenario, AShuffledPassPlaysEachEntryOnceWhateverTheEdits)
{
    OpenRecording();
    AddFiles(5);
    Command(IDM_SHUFFLE);
    Command(IDM_START);  // with the generator at 1: e4, e1, e3, e2, e0
    Pump();
    ASSERT_EQ("e4.wav", CurrentName());

    UserSelects(0);
    Command(IDC_DOWN);
    Command(IDC_DOWN);
    UserSelects(2);
    Command(IDM_PLAY_SELECTED);  // e0, out of turn
    ASSERT_EQ("e0.wav", CurrentName());
    AddFile("e5.wav");  // the generator's next draw puts it after e1
    std::vector<std::string> items = Items();
    UserSelects(static_cast<int>(std::find(items.begin(), items.end(), "e3.wav") - items.begin()));
    Command(IDC_REMOVE);
    for (int i = 0; i < 5; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e4.wav", "e0.wav", "e1.wav", "e5.wav", "e2.wav"}), OpenedNames());
    EXPECT_EQ("Done with playlist.", Status());
}

// Commands that arrive while their control is disabled, from another program
// or a stale tray menu, change nothing.
TEST_F(QueueScenario, CommandsOfDisabledControlsDoNothing)
{
    OpenRecording();
    AddFiles(2);
    for (int id : {IDM_PAUSE, IDM_STOP, IDM_NEXT, IDM_PREVIOUS, IDC_REMOVE, IDC_UP, IDC_DOWN, IDM_PLAY_SELECTED})
        Command(id);
    Pump();
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_TRUE(Opened().empty());
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav"}), Items());
    EXPECT_TRUE(s_statusLog.empty());
    EXPECT_FALSE(Enabled(IDM_PAUSE));
}
