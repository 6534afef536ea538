// Windows' media controls, faked at combase: what they show at each step of
// the sequencer, their buttons pressed on another thread, the media keys
// left to them, and controls that are missing or fail.
#include "scenario.h"

#include "../fakes/fake_media_controls.h"

namespace {

const int STOPPED = 2;
const int PLAYING = 3;
const int PAUSED = 4;
const int PLAY = 0;
const int PAUSE = 1;
const int STOP = 2;
const int NEXT = 6;
const int PREVIOUS = 7;
const char IDENTITY_KEY[] = "Software\\Classes\\AppUserModelId\\Tallgrass.Vireo";

class MediaControlsScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        // The tray menu is shared by the run, and put back to its start by Scenario.
        NoteCommandOffered(IDM_PREVIOUS, false);
        NoteCommandOffered(IDM_NEXT, false);
        ReleaseMediaControls();
        FakeControlsUse(FAKE_CONTROLS_WORKING);
    }

    void TearDown() override
    {
        ReleaseMediaControls();
        FakeControlsUse(FAKE_CONTROLS_REAL);
        UnregisterHotKey(NULL, 1);
        Scenario::TearDown();
    }

    void AddWaves(int count)
    {
        for (int i = 0; i < count; ++i) {
            std::string path = "C:\\Music\\t" + std::to_string(i) + ".wav";
            FakeMediaAddFile(path, 1000);
            Add(path.c_str());
        }
        Pump();
    }

    void Press(int button)
    {
        FakeControlsPress(button);
        Pump();
    }

    // What the controls show: status, Play, Pause, Stop, Previous, Next, the title.
    void Expect(int status, bool play, bool pauseStop, bool previous, bool next, const std::string& title,
                const char* when)
    {
        SCOPED_TRACE(when);
        const FakeControls& shown = FakeControlsNow();
        EXPECT_TRUE(shown.enabled);
        EXPECT_EQ(status, shown.status);
        EXPECT_EQ(play, shown.play);
        EXPECT_EQ(pauseStop, shown.pause);
        EXPECT_EQ(pauseStop, shown.stop);
        EXPECT_EQ(previous, shown.previous);
        EXPECT_EQ(next, shown.next);
        EXPECT_EQ(title, shown.title);
        EXPECT_EQ("", shown.artist);
        EXPECT_EQ(0, shown.liveStrings) << "every HSTRING made is deleted";
    }

    std::string IdentityText(const char* name)
    {
        char text[MAX_PATH] = "";
        DWORD size = sizeof text;
        RegGetValueA(HKEY_CURRENT_USER, IDENTITY_KEY, name, RRF_RT_ANY | RRF_NOEXPAND, NULL, text, &size);
        return text;
    }

    // Whether the test can take the Play/Pause key: not while Vireo holds it.
    bool PlayPauseKeyFree()
    {
        bool free = RegisterHotKey(NULL, 1, 0, VK_MEDIA_PLAY_PAUSE) != FALSE;
        UnregisterHotKey(NULL, 1);
        return free;
    }
};

TEST_F(MediaControlsScenario, FollowEveryTransitionAndEntryUntilExit)
{
    Open();
    EXPECT_EQ(0, FakeControlsNow().made) << "nothing is made while the queue is empty";
    AddWaves(3);
    ASSERT_EQ(1, FakeControlsNow().made);
    std::vector<std::string> items = Items();
    Expect(STOPPED, true, false, false, false, "", "stopped with a queue");

    Command(IDM_START);
    Pump();
    Expect(PLAYING, true, true, false, true, items[0], "first entry");
    Command(IDM_PAUSE);
    Expect(PAUSED, true, true, false, true, items[0], "paused");
    Command(IDM_PAUSE);
    Expect(PLAYING, true, true, false, true, items[0], "resumed");
    Play(1000);
    Expect(PLAYING, true, true, true, true, items[1], "second entry");
    Command(IDM_CUE_MODE);
    Play(1000);
    Expect(PAUSED, true, true, true, false, items[2], "the last entry cued");
    Command(IDM_CUE_MODE);
    Command(IDM_PAUSE);
    Play(1000);
    Expect(STOPPED, true, false, false, false, "", "done with the playlist");

    Command(IDM_CLEAR_PLAYLIST);
    EXPECT_FALSE(FakeControlsNow().enabled) << "nothing is shown for an empty queue";
    EXPECT_EQ("", FakeControlsNow().title);
    AddWaves(1);
    EXPECT_TRUE(FakeControlsNow().enabled);
    EXPECT_EQ(1, FakeControlsNow().made);

    EXPECT_EQ("Vireo", IdentityText("DisplayName")) << "Windows' name for the program";
    EXPECT_NE(std::string::npos, IdentityText("IconUri").find("\\vireo.png")) << "the build puts it beside us";
    RegDeleteKeyA(HKEY_CURRENT_USER, IDENTITY_KEY);

    Command(IDC_EXIT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(FakeControlsNow().enabled) << "gone from the flyout at Exit";
    EXPECT_FALSE(FakeControlsNow().handlerHeld);
    EXPECT_EQ(0, FakeControlsNow().references);
}

TEST_F(MediaControlsScenario, ButtonsPressedOnAnotherThreadActOnceEachAndKeysAreTheirs)
{
    Open();
    AddWaves(3);
    std::vector<std::string> items = Items();
    Press(PLAY);
    Expect(PLAYING, true, true, false, true, items[0], "Play from a stop");
    EXPECT_TRUE(PlayPauseKeyFree()) << "the controls have the media keys, not a hot key";
    Press(NEXT);
    EXPECT_EQ(1, CurrentEntryIndex(window)) << "one press, one step";
    Press(PAUSE);
    EXPECT_EQ(PLAY_PAUSED, g_playState);
    Press(PAUSE);
    EXPECT_EQ(PLAY_PAUSED, g_playState) << "a Pause that meets a pause does not resume";
    Press(PLAY);
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    Press(PLAY);
    EXPECT_EQ(1, CurrentEntryIndex(window)) << "a Play that meets playback does not start over";
    EXPECT_EQ(2u, Opened().size());
    Press(PREVIOUS);
    Expect(PLAYING, true, true, false, true, items[0], "Previous");
    Press(STOP);
    EXPECT_EQ(PLAY_STOPPED, g_playState);

    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(FakeControlsNow().handlerHeld) << "released at the session's end";
    EXPECT_EQ(0, FakeControlsNow().references);
}

// Each way the controls may be missing or fail: the player plays on, says
// nothing, keeps the media keys itself, and holds nothing of the controls.
class BrokenMediaControlsScenario : public MediaControlsScenario,
                                    public ::testing::WithParamInterface<FakeControlsKind> {};

TEST_P(BrokenMediaControlsScenario, LeaveThePlayerAsItWas)
{
    FakeControlsKind kind = GetParam();
    FakeControlsUse(kind);
    Open();
    AddWaves(2);
    Command(IDM_START);
    Pump();
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    EXPECT_EQ(0, CurrentEntryIndex(window));
    Command(IDM_NEXT);
    EXPECT_EQ(1, CurrentEntryIndex(window));
    bool keysToControls = kind == FAKE_CONTROLS_SETTERS_FAIL;
    EXPECT_EQ(keysToControls, MediaKeysGoToControls());
    EXPECT_EQ(keysToControls, PlayPauseKeyFree()) << "without controls' buttons the hot keys are held as before";
    if (kind == FAKE_CONTROLS_NO_EVENTS) {
        EXPECT_EQ(PLAYING, FakeControlsNow().status) << "controls without buttons still show";
        EXPECT_FALSE(FakeControlsNow().play || FakeControlsNow().next) << "and offer no button";
    }
    EXPECT_TRUE(FakeMessageBoxes().empty());
    Command(IDC_EXIT);
    EXPECT_EQ(0, FakeControlsNow().references);
    EXPECT_EQ(0, FakeControlsNow().liveStrings);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrokenMediaControlsScenario,
                         ::testing::Values(FAKE_CONTROLS_REAL, FAKE_CONTROLS_CLASS_MISSING,
                                           FAKE_CONTROLS_NONE_FOR_WINDOW, FAKE_CONTROLS_NO_EVENTS,
                                           FAKE_CONTROLS_SETTERS_FAIL));

}  // namespace
