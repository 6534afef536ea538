// The sequencer under the fake media layer: order of play, stepping, the
// options, failures, and what the window and the tray show at each step.
#include "playback_scenario.h"

#include <mmsystem.h>

#include <algorithm>
#include <string>
#include <vector>

TEST_F(PlaybackScenario, ThreeEntriesPlayInTurnThenStopAndReportDone)
{
    OpenRecording();
    AddFiles(3);
    Command(IDM_START);
    EXPECT_EQ("Starting playback...", Status());
    EXPECT_TRUE(Opened().empty()) << "the first entry opens after Start has returned";
    EXPECT_NE(0u, g_progressTimerId);
    ExpectTray(g_playingIcon, DEFAULT_TRAY_TIP, "start");
    ExpectPlayCommands(false, true, true, "start");
    EXPECT_TRUE(Enabled(IDC_PLAYLIST)) << "the list is the user's while it plays";
    EXPECT_TRUE(Enabled(IDC_ADD));
    Pump();
    EXPECT_EQ(0, Selection());
    EXPECT_EQ("play VireoMedia notify", FakeMediaCommands().back());
    ExpectStepCommands(false, true, "entry 0 after Start");

    Play(LENGTH_MS);
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("Finished playing e0.wav", Status());
    ExpectStepCommands(true, true, "entry 1");
    Play(LENGTH_MS);
    EXPECT_EQ(2, Selection());
    EXPECT_EQ("Finished playing e1.wav", Status());
    ExpectStepCommands(true, false, "last entry");
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);

    s_statusLog.clear();
    Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e2.wav"}), OpenedNames());
    EXPECT_EQ((std::vector<std::string>{"Finished playing e2.wav", "Playback stopped.", "Done with playlist."}),
              s_statusLog);
    EXPECT_EQ(-1, Selection());
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ("", FakeMediaElement("VireoMedia"));
    ExpectTray(g_idleIcon, DEFAULT_TRAY_TIP, "done");
    ExpectPlayCommands(true, false, false, "done");
    ExpectStepCommands(false, false, "done");
    EXPECT_TRUE(Enabled(IDC_PLAYLIST));
    EXPECT_FALSE(Enabled(IDC_REMOVE)) << "nothing is selected after the end";
    EXPECT_FALSE(KillTimer(window, g_progressTimerId)) << "the progress timer was killed at the stop";
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PlaybackScenario, EmptyListStopsAtOnceAndExitsWhenAskedTo)
{
    OpenRecording();
    Command(IDM_START);
    ASSERT_TRUE(Drain());
    EXPECT_EQ((std::vector<std::string>{"Starting playback...", "Playback stopped.", "Done with playlist."}),
              s_statusLog);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_TRUE(IsWindow(window));

    // A repeat pass that starts nothing is no reason to go round again.
    Command(IDM_REPEAT);
    s_statusLog.clear();
    Command(IDM_START);
    ASSERT_TRUE(Drain()) << "repeat over an empty list loops";
    EXPECT_EQ((std::vector<std::string>{"Starting playback...", "Playback stopped.", "Done with playlist."}),
              s_statusLog);
    Command(IDM_REPEAT);

    CheckDlgButton(window, IDC_AUTO_EXIT, BST_CHECKED);
    Command(IDM_START);
    ASSERT_TRUE(Drain());
    EXPECT_FALSE(IsWindow(window)) << "auto exit destroys the main window";
    ASSERT_FALSE(FakeTrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), FakeTrayCalls().back().action);
}

TEST_F(PlaybackScenario, NextAndPreviousStepOneEntryWithoutLateNoticesSkippingAnother)
{
    OpenRecording();
    AddFiles(5);
    Command(IDM_START);
    Pump();
    ASSERT_EQ(0, Selection());

    // The halted play of entry 0 posts its notice after entry 1 has started.
    Command(IDM_NEXT);
    EXPECT_EQ(1, Selection()) << "the new entry plays when the command returns";
    Pump();
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav"}), OpenedNames());
    EXPECT_EQ(1, Selection());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    Play(LENGTH_MS);
    ASSERT_EQ(2, Selection());
    Play(LENGTH_MS / 2);
    Command(IDM_PREVIOUS);
    Pump();
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e2.wav", "e1.wav"}), OpenedNames());
    EXPECT_EQ(1, Selection());
    EXPECT_EQ(0, FakeMediaPosition("VireoMedia")) << "Previous plays the entry before from its start";

    // From a pause, Next plays the entry after at once.
    Command(IDM_PAUSE);
    Command(IDM_NEXT);
    Pump();
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ(2, Selection());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    // Pause and resume at once: the pause's aborted notice arrives while playing.
    Command(IDM_PAUSE);
    Command(IDM_PAUSE);
    Pump();
    EXPECT_EQ(5u, Opened().size());
    EXPECT_EQ(2, Selection());

    Play(LENGTH_MS);
    Play(LENGTH_MS);
    ASSERT_EQ(4, Selection());
    ExpectStepCommands(true, false, "last entry");
    size_t before = FakeMediaCommands().size();
    Command(IDM_NEXT);
    Pump();
    EXPECT_EQ(before, FakeMediaCommands().size()) << "Next on the last entry does nothing";
    EXPECT_EQ(4, Selection());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    Play(LENGTH_MS);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ(7u, Opened().size());
}

// In shuffle mode Previous and Next walk back and forth over what the pass
// has played; Next then goes on to entries not yet played, each once.
TEST_F(PlaybackScenario, ShuffledPreviousAndNextWalkThePassPlayedSoFar)
{
    OpenRecording();
    AddFiles(4);
    Command(IDM_SHUFFLE);
    Command(IDM_START);
    Pump();
    ExpectStepCommands(false, true, "the first of the pass");
    Command(IDM_NEXT);
    Command(IDM_NEXT);
    std::vector<std::string> played = OpenedNames();
    ASSERT_EQ(3u, played.size());
    Command(IDM_PREVIOUS);
    Command(IDM_PREVIOUS);
    ExpectStepCommands(false, true, "back at the first");
    Command(IDM_NEXT);
    Command(IDM_NEXT);
    Command(IDM_NEXT);
    std::vector<std::string> walked = OpenedNames();
    ASSERT_EQ(8u, walked.size());
    EXPECT_EQ((std::vector<std::string>{played[0], played[1], played[2], played[1], played[0], played[1], played[2]}),
              std::vector<std::string>(walked.begin(), walked.begin() + 7));
    EXPECT_EQ(1u, std::count(walked.begin(), walked.end(), walked[7])) << "the fourth is one not yet played";
    ExpectStepCommands(true, false, "every entry played");
    Command(IDM_STOP);
}

TEST_F(PlaybackScenario, RepeatGoesRoundWithANewShuffleOrderEachPass)
{
    OpenRecording();
    AddFiles(3);
    Command(IDM_REPEAT);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    Play(LENGTH_MS);
    Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e2.wav", "e0.wav"}), OpenedNames());
    EXPECT_FALSE(Logged("Playback stopped."));
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ(0, Selection());
    Command(IDM_STOP);

    // Five entries with the generator at 1: 4,1,3,2,0, then 0,2,3,4,1.
    for (int i = 3; i < 5; ++i)
        AddFile("e" + std::to_string(i) + ".wav");
    FakeMediaClearCommands();
    s_statusLog.clear();
    Command(IDM_SHUFFLE);
    Command(IDM_START);
    Pump();
    for (int i = 0; i < 10; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e4.wav", "e1.wav", "e3.wav", "e2.wav", "e0.wav", "e0.wav", "e2.wav",
                                        "e3.wav", "e4.wav", "e1.wav", "e4.wav"}),
              OpenedNames());
    EXPECT_FALSE(Logged("Playback stopped."));
    Command(IDM_STOP);
}

TEST_F(PlaybackScenario, RepeatOverEntriesThatAllFailEndsPlayback)
{
    OpenRecording();
    std::string gone = AddFile("gone.wav", LENGTH_MS, false, true);
    std::string mute = AddFile("mute.wav", LENGTH_MS, true);
    Command(IDM_REPEAT);
    Command(IDM_START);
    ASSERT_TRUE(Drain()) << "a pass that starts no entry loops";
    EXPECT_EQ((std::vector<std::string>{"Starting playback...", gone + " is not a valid media file.",
                                        mute + " is not a valid media file.", "Playback stopped.",
                                        "Done with playlist."}),
              s_statusLog);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);

    // One good entry among them: the pass started something, so it repeats.
    AddFile("good.wav");
    FakeMediaClearCommands();
    Command(IDM_START);
    ASSERT_TRUE(Drain());
    Play(LENGTH_MS);
    ASSERT_TRUE(Drain());
    EXPECT_EQ((std::vector<std::string>{"gone.wav", "mute.wav", "good.wav", "gone.wav", "mute.wav", "good.wav"}),
              OpenedNames());
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ(2, Selection());
    Command(IDM_STOP);

    // No sound output: every play is taken and then fails. Each is reported,
    // the pass played nothing, and repeat ends there without exiting.
    FakeMediaRemoveOutput(true);
    CheckDlgButton(window, IDC_AUTO_EXIT, BST_CHECKED);
    s_statusLog.clear();
    Command(IDM_START);
    ASSERT_TRUE(Drain()) << "failed plays keep the pass going round";
    EXPECT_EQ((std::vector<std::string>{"Starting playback...", gone + " is not a valid media file.",
                                        mute + " is not a valid media file.",
                                        "C:\\Media\\good.wav is not a valid media file.", "Playback stopped.",
                                        "Done with playlist."}),
              s_statusLog);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_TRUE(IsWindow(window)) << "auto exit is not offered while repeat is on";
}

TEST_F(PlaybackScenario, AnEndNoticeOfAnEarlierPlayEndsNothing)
{
    OpenRecording();
    AddFiles(5);
    Command(IDM_START);
    Pump();
    ASSERT_EQ(0, Selection());

    // Entry 0 reaches its end just as the user steps on: its notice is queued
    // when the entry Next plays starts.
    FakeMediaAdvance(LENGTH_MS);
    Command(IDM_NEXT);
    Pump();
    EXPECT_EQ(1, Selection());
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav"}), OpenedNames());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    // A driver that posts its notices only after the next play has started.
    PostMessageA(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    PostMessageA(window, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 1);
    Pump();
    // The tick finds the entry still playing: the notice was not its own.
    Tick();
    Pump();
    EXPECT_EQ(1, Selection());
    EXPECT_EQ(2u, Opened().size());
    EXPECT_FALSE(Logged("Finished playing e1.wav"));

    // Its own end still moves on.
    Play(LENGTH_MS);
    EXPECT_EQ(2, Selection());
    EXPECT_EQ("Finished playing e1.wav", Status());
    Command(IDM_STOP);
}

// Wine's MPEG device (MP3) posts its end while it still says it plays: the
// notice looks like an earlier play's, and the tick after the device has
// stopped takes it as the end after all, once.
TEST_F(PlaybackScenario, AnEndNoticeBeforeTheDeviceStopsEndsTheEntryAtTheNextTick)
{
    OpenRecording();
    AddFiles(3);
    FakeMediaEndsBeforeStopping(true);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    EXPECT_EQ(0, Selection()) << "the notice came while the device said it played";
    FakeMediaAdvance(10);
    Tick();
    Pump();
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("Finished playing e0.wav", Status());
    Tick();
    Pump();
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav"}), OpenedNames());

    FakeMediaEndsBeforeStopping(false);
    Play(LENGTH_MS);
    Play(LENGTH_MS);
    EXPECT_EQ("Done with playlist.", Status());
    EXPECT_EQ(PLAY_STOPPED, g_playState);
}

TEST_F(PlaybackScenario, CueModeHoldsEachEntryAfterAFinishedOneUnstarted)
{
    OpenRecording();
    AddFiles(2);
    std::string gone = AddFile("gone.wav", LENGTH_MS, false, true);
    AddFile("e3.wav");
    std::string mute = AddFile("mute.wav", LENGTH_MS, true);
    AddFile("e5.wav");
    Command(IDM_CUE_MODE);
    Command(IDM_START);
    Pump();
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia")) << "Start is not cued";
    EXPECT_EQ("&Pause", Text(IDM_PAUSE));

    s_statusLog.clear();
    FakeMediaClearCommands();
    Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"Finished playing e0.wav", "Playback paused."}), s_statusLog);
    // Opened and held at its start: a play stopped at once would be heard.
    EXPECT_EQ((std::vector<std::string>{"status VireoMedia mode wait", "pause VireoMedia wait", "stop VireoMedia",
                                        "close VireoMedia",
                                        "open C:\\Media\\e1.wav alias VireoMedia wait",
                                        "set VireoMedia time format ms wait", "setaudio VireoMedia volume to 1000 wait"}),
              FakeMediaCommands());
    EXPECT_EQ(1, Selection());
    EXPECT_EQ(static_cast<int>(PLAY_PAUSED), g_playState);
    EXPECT_EQ("&Play next", Text(IDM_PAUSE));
    EXPECT_EQ("C:\\Media\\e1.wav", FakeMediaElement("VireoMedia"));
    EXPECT_FALSE(FakeMediaPlaying("VireoMedia"));
    ExpectTray(g_pausedIcon, DEFAULT_TRAY_TIP, "cued");
    EXPECT_TRUE(TrayChecked(IDM_PAUSE));
    ExpectPlayCommands(true, true, true, "cued");
    Play(LENGTH_MS);
    EXPECT_EQ(1, Selection()) << "a cued entry waits for the user";

    Command(IDM_PAUSE);
    EXPECT_EQ("Playback resumed.", Status());
    EXPECT_EQ("play VireoMedia notify", FakeMediaCommands().back());
    EXPECT_EQ("&Pause", Text(IDM_PAUSE));
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ(0, FakeMediaPosition("VireoMedia"));
    ExpectTray(g_playingIcon, DEFAULT_TRAY_TIP, "resumed");
    EXPECT_FALSE(TrayChecked(IDM_PAUSE));

    // A missing entry after a finished one is skipped, not held with nothing open.
    s_statusLog.clear();
    Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"Finished playing e1.wav", gone + " is not a valid media file."}),
              s_statusLog);
    EXPECT_EQ(3, Selection());
    EXPECT_EQ("C:\\Media\\e3.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));

    // One that opens but will not play is found out when the user lets it go:
    // reported, and the entry after it plays.
    Play(LENGTH_MS);
    ASSERT_EQ(4, Selection());
    ASSERT_EQ(static_cast<int>(PLAY_PAUSED), g_playState);
    s_statusLog.clear();
    Command(IDM_START);
    Pump();
    EXPECT_EQ((std::vector<std::string>{"Playback resumed.", mute + " is not a valid media file."}), s_statusLog);
    EXPECT_EQ(5, Selection());
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ("C:\\Media\\e5.wav", FakeMediaElement("VireoMedia"));
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    Play(LENGTH_MS);
    EXPECT_EQ("Done with playlist.", Status());
}

TEST_F(PlaybackScenario, MissingFileIsReportedByItsStoredPathAndSkipped)
{
    OpenRecording();
    AddFile("e0.wav");
    std::string gone = AddFile("Gone Away.wav", LENGTH_MS, false, true);
    AddFile("e2.wav");
    ASSERT_EQ("Gone Away.wav", Items()[1]);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    EXPECT_TRUE(Logged(gone + " is not a valid media file."));
    EXPECT_EQ(2, Selection());
    EXPECT_EQ("C:\\Media\\e2.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(3, GetEntryCount(window)) << "the failed entry stays in the list";
    Command(IDM_STOP);
}

TEST_F(PlaybackScenario, PauseResumeStopAndStartShowTheRightStateEachTime)
{
    OpenRecording();
    AddFiles(3);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    Play(2000);
    ASSERT_EQ(1, Selection());

    Command(IDM_PAUSE);
    EXPECT_EQ("Playback paused.", Status());
    EXPECT_EQ("&Resume", Text(IDM_PAUSE));
    EXPECT_EQ("stop VireoMedia wait", FakeMediaCommands().back());
    ExpectTray(g_pausedIcon, DEFAULT_TRAY_TIP, "paused");
    EXPECT_TRUE(TrayChecked(IDM_PAUSE));
    ExpectPlayCommands(true, true, true, "paused");
    Pump();
    Play(5000);
    EXPECT_EQ(2000, FakeMediaPosition("VireoMedia")) << "a paused entry keeps its place";
    EXPECT_EQ(1, Selection());

    // Start while paused resumes where the entry stopped.
    Command(IDM_START);
    EXPECT_EQ("Playback resumed.", Status());
    EXPECT_EQ("&Pause", Text(IDM_PAUSE));
    EXPECT_EQ("play VireoMedia notify", FakeMediaCommands().back());
    EXPECT_EQ(2u, Opened().size());
    ExpectTray(g_playingIcon, DEFAULT_TRAY_TIP, "resumed by Start");
    EXPECT_FALSE(TrayChecked(IDM_PAUSE));
    ExpectPlayCommands(false, true, true, "resumed by Start");
    Play(LENGTH_MS - 2000);
    EXPECT_EQ(2, Selection());

    // Pause, Stop, Start: the list starts over, and the label waits for the next press.
    Command(IDM_PAUSE);
    Command(IDM_STOP);
    EXPECT_EQ("Playback stopped.", Status());
    EXPECT_EQ("&Resume", Text(IDM_PAUSE));
    EXPECT_TRUE(TrayChecked(IDM_PAUSE));
    ExpectTray(g_idleIcon, DEFAULT_TRAY_TIP, "stopped");
    ExpectPlayCommands(true, false, false, "stopped");
    EXPECT_EQ(-1, Selection());
    EXPECT_EQ("", FakeMediaElement("VireoMedia"));
    EXPECT_FALSE(KillTimer(window, g_progressTimerId));
    Pump();
    Command(IDM_START);
    Pump();
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "e2.wav", "e0.wav"}), OpenedNames());
    EXPECT_EQ(0, Selection());
    EXPECT_EQ("&Resume", Text(IDM_PAUSE));
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_NE(0u, g_progressTimerId);
    Command(IDM_STOP);
}

TEST_F(PlaybackScenario, RandomSwitchedDuringAPass)
{
    OpenRecording();
    AddFiles(5);
    // On from the start: 4, 1, then switched off, list order after entry 1.
    Command(IDM_SHUFFLE);
    Command(IDM_START);
    Pump();
    Play(LENGTH_MS);
    Command(IDM_SHUFFLE);
    for (int i = 0; i < 4; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e4.wav", "e1.wav", "e2.wav", "e3.wav", "e4.wav"}), OpenedNames());
    EXPECT_EQ("Done with playlist.", Status());

    // Off from the start, on while entry 0 plays: an order is built, not the
    // pass ended, and the entry that plays counts as played in it.
    FakeMediaClearCommands();
    SeedRandom(1);
    Command(IDM_START);
    Pump();
    Command(IDM_SHUFFLE);
    Play(LENGTH_MS);
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    for (int i = 0; i < 4; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e4.wav", "e1.wav", "e3.wav", "e2.wav"}), OpenedNames());
    EXPECT_EQ("Done with playlist.", Status());
}

TEST_F(PlaybackScenario, ListChangedDuringPlayback)
{
    OpenRecording();
    AddFiles(2);
    Command(IDM_START);
    Pump();
    EXPECT_TRUE(Enabled(IDC_ADD));
    AddFile("late.wav");
    Play(LENGTH_MS);
    Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e0.wav", "e1.wav", "late.wav"}), OpenedNames());
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);

    // Emptied one item at a time while late.wav plays: the pass ends as the
    // entry that plays goes, as at the last entry's end.
    s_statusLog.clear();
    while (GetEntryCount(window) > 0)
        RemoveEntry(window, 0);
    EXPECT_EQ((std::vector<std::string>{"Playback stopped.", "Done with playlist."}), s_statusLog);
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
    EXPECT_EQ("", FakeMediaElement("VireoMedia"));
    EXPECT_TRUE(CurrentEntry() == NULL);
    Play(LENGTH_MS);
    EXPECT_EQ(3u, Opened().size());

    // Random: the playing entry removed, the next of the order plays; a
    // removed entry still to come leaves the order.
    AddFiles(5);
    FakeMediaClearCommands();
    SeedRandom(1);
    Command(IDM_SHUFFLE);
    Command(IDM_START);
    Pump();
    ASSERT_EQ(4, Selection());
    RemoveEntry(window, 4);
    RemoveEntry(window, 3);
    for (int i = 0; i < 4; ++i)
        Play(LENGTH_MS);
    EXPECT_EQ((std::vector<std::string>{"e4.wav", "e1.wav", "e2.wav", "e0.wav"}), OpenedNames());
    EXPECT_EQ("Done with playlist.", Status());
}

TEST_F(PlaybackScenario, CdTracksPlayTheirRangeAndResumePlaysOnToTheDiscEnd)
{
    OpenRecording();
    FakeMediaInsertCd({{2000, 10000}, {12000, 10000}, {22000, 10000}});
    Add("D:\\Track01.cda");
    Add("D:\\Track02.cda");
    Command(IDM_START);
    Pump();
    EXPECT_EQ("play VireoMedia from 2000 to 12000 notify", FakeMediaCommands().back());
    Play(3000);
    Command(IDM_PAUSE);
    Command(IDM_PAUSE);
    EXPECT_EQ("play VireoMedia notify", FakeMediaCommands().back()) << "resume has no range";
    Play(10000);
    EXPECT_EQ(0, Selection()) << "the resumed track plays past its own end";
    EXPECT_EQ(15000, FakeMediaPosition("VireoMedia"));
    Play(17000);
    EXPECT_EQ(1, Selection()) << "its end comes at the end of the disc";
    EXPECT_EQ("play VireoMedia from 12000 to 22000 notify", FakeMediaCommands().back());
    Command(IDM_STOP);

    // A cued track starts with its own range when the user lets it go.
    Command(IDM_CUE_MODE);
    Command(IDM_START);
    Pump();
    Play(10000);
    ASSERT_EQ(1, Selection());
    ASSERT_EQ(static_cast<int>(PLAY_PAUSED), g_playState);
    EXPECT_EQ("cdaudio", FakeMediaElement("VireoMedia"));
    EXPECT_FALSE(FakeMediaPlaying("VireoMedia")) << "opened, not started";
    Command(IDM_PAUSE);
    EXPECT_EQ("play VireoMedia from 12000 to 22000 notify", FakeMediaCommands().back());
    Play(10000);
    EXPECT_EQ("Done with playlist.", Status()) << "the cued track ended at its own end";
}

TEST_F(PlaybackScenario, AddingACdTrackLeavesThePlayingEntryAlone)
{
    OpenRecording();
    FakeMediaInsertCd({{2000, 10000}, {12000, 20000}});
    AddFile("e0.wav");
    Command(IDM_START);
    Pump();
    Play(1000);
    Add("D:\\Track02.cda");
    Pump();
    EXPECT_EQ("C:\\Media\\e0.wav", FakeMediaElement("VireoMedia"));
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ(1000, FakeMediaPosition("VireoMedia"));
    const PlaylistEntry* track = GetEntry(window, 1);
    ASSERT_TRUE(track != NULL);
    EXPECT_EQ(static_cast<int32_t>(ENTRY_CD_TRACK), track->kind);
    EXPECT_EQ(12000, track->startMs) << "not the file device's numbers";
    EXPECT_EQ(20000, track->lengthMs);
    EXPECT_EQ(1u, Opened().size());

    // The file plays on to its end, and the new track follows with its range.
    Play(LENGTH_MS);
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("play VireoMedia from 12000 to 32000 notify", FakeMediaCommands().back());

    // While the CD itself plays, a third track is read from the playing device.
    Add("D:\\Track01.cda");
    Pump();
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ("cdaudio", FakeMediaElement("VireoMedia"));
    track = GetEntry(window, 2);
    ASSERT_TRUE(track != NULL);
    EXPECT_EQ(2000, track->startMs);
    EXPECT_EQ(10000, track->lengthMs);
    Play(20000);
    EXPECT_EQ(2, Selection());
    EXPECT_EQ("play VireoMedia from 2000 to 12000 notify", FakeMediaCommands().back());
    Command(IDM_STOP);
}
