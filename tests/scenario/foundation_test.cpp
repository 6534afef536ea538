// Entries the media control interface cannot open, played through Media
// Foundation (faked at the loader): in turn with the others, under every
// command, and through the faults of files and of the system.
#include "scenario.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class FoundationScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        SetFoundationVolume(100);
    }

    // As Exit would: nothing of this scenario stays open into the next.
    void TearDown() override
    {
        StopAndCloseMedia();
        Scenario::TearDown();
    }

    std::string AddFoundationFile(const std::string& name, const FakeFoundationFile& file = FakeFoundationFile())
    {
        std::string path = "C:\\Music\\" + name;
        FakeFoundationAddFile(path, file);
        Add(path.c_str());
        return path;
    }

    std::string AddWave(const std::string& name, int lengthMs)
    {
        std::string path = "C:\\Music\\" + name;
        FakeMediaAddFile(path, lengthMs);
        Add(path.c_str());
        return path;
    }

    // A bounded pump: a sequencer that keeps posting to itself fails the
    // test instead of hanging it.
    void Play(int ms)
    {
        FakeMediaAdvance(ms);
        EXPECT_TRUE(PumpAtMost(500)) << "the queue never ran dry";
    }

    // Ends the process: with 0 when all went as it should.
    void PlayWithoutFoundation(bool missing)
    {
        FakeFoundationMissing(missing);
        FakeFoundationStartFails(!missing);
        Open();
        AddFoundationFile("tone.flac");
        AddWave("after.wav", 2000);
        AddFoundationFile("song.m4a");
        Command(IDM_START);
        Pump();
        EXPECT_EQ("C:\\Music\\after.wav", FakeMediaElement("VireoMedia"));
        EXPECT_EQ("C:\\Music\\tone.flac is not a valid media file.", Status());
        Play(2000);
        EXPECT_EQ("Done with playlist.", Status());
        EXPECT_EQ(2, FakeFoundationLoads()) << "tried once, for its two libraries";
        ExpectNothingOpen("done");
        // The child's failures are not shown: its stderr is.
        if (::testing::Test::HasFailure())
            std::fprintf(stderr, "status \"%s\", %d loads\n", Status().c_str(), FakeFoundationLoads());
        std::exit(::testing::Test::HasFailure() ? 1 : 0);
    }

    void ExpectNothingOpen(const char* when)
    {
        EXPECT_EQ(0, FakeFoundationLiveSessions()) << when;
        EXPECT_EQ(0, FakeFoundationLiveSources()) << when;
        EXPECT_EQ("", FakeMediaElement("VireoMedia")) << when;
    }
};

FakeFoundationFile Lasting(int statedMs, int playsMs)
{
    FakeFoundationFile file;
    file.statedMs = statedMs;
    file.playsMs = playsMs;
    return file;
}

}  // namespace

// Media Foundation is loaded at the first entry that needs it (a missing
// file is not one), and each way hands over to the other at an end.
TEST_F(FoundationScenario, EntriesOfBothWaysPlayInTurnAndLoadTheSecondWayOnlyWhenNeeded)
{
    Open();
    Add("C:\\Music\\gone.wav");
    AddWave("first.wav", 3000);
    const std::string flac = AddFoundationFile("tone.flac", Lasting(4000, 4000));
    AddFoundationFile("song.m4a", Lasting(5000, 5000));
    AddWave("last.wav", 2000);
    Command(IDM_START);
    Pump();
    EXPECT_EQ("C:\\Music\\gone.wav is not a valid media file.", Status());
    EXPECT_EQ("C:\\Music\\first.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(0, FakeFoundationLoads()) << "neither a missing file nor a wave loads Media Foundation";

    Play(3000);
    EXPECT_EQ(2, Selection());
    EXPECT_EQ(flac, FakeFoundationPath());
    EXPECT_TRUE(FakeFoundationPlaying());
    EXPECT_EQ(2, FakeFoundationLoads()) << "mfplat.dll and mf.dll";
    Play(1500);
    Tick();
    EXPECT_EQ("0:01 of 0:04", Text(IDC_TIME));
    EXPECT_EQ("0:01 of 0:04 in tone.flac", LastTray().tip);

    Play(2500);
    EXPECT_EQ("Finished playing tone.flac", Status());
    EXPECT_EQ(3, Selection());
    EXPECT_EQ("C:\\Music\\song.m4a", FakeFoundationPath());
    EXPECT_EQ(1, FakeFoundationLiveSessions()) << "the ended entry's session is shut down";
    Play(5000);
    EXPECT_EQ("Finished playing song.m4a", Status());
    EXPECT_EQ("C:\\Music\\last.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(0, FakeFoundationLiveSessions());
    EXPECT_EQ(2, FakeFoundationLoads()) << "loaded once";
    Play(2000);
    EXPECT_EQ("Done with playlist.", Status());
    ExpectNothingOpen("done");
}

// Pause keeps the place, cue mode holds the next entry opened but not
// started, steps and Stop release the session, and so does the session's end.
TEST_F(FoundationScenario, PauseCueModeStepsAndStopTreatAFoundationEntryAsAnyOther)
{
    Open();
    AddFoundationFile("a.flac", Lasting(5000, 5000));
    AddFoundationFile("b.opus", Lasting(5000, 5000));
    AddFoundationFile("x.flac", Lasting(5000, 5000));
    AddWave("c.wav", 5000);
    AddWave("z.wav", 5000);
    AddFoundationFile("y.m4a", Lasting(5000, 5000));
    Command(IDM_CUE_MODE);
    Command(IDM_START);
    Pump();
    Play(2000);
    Command(IDM_PAUSE);
    EXPECT_EQ("Playback paused.", Status());
    EXPECT_FALSE(FakeFoundationPlaying());
    EXPECT_FALSE(MediaIsPlaying());
    Play(4000);
    EXPECT_EQ(2000, FakeFoundationPositionMs()) << "no time passes while paused";
    EXPECT_EQ(0, Selection());
    Command(IDM_PAUSE);
    EXPECT_TRUE(FakeFoundationPlaying());
    Play(3000);

    // The end of a.flac: b.opus is held, opened and not started.
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("C:\\Music\\b.opus", FakeFoundationPath());
    EXPECT_FALSE(FakeFoundationPlaying());
    EXPECT_EQ("&Play next", Text(IDM_PAUSE));
    EXPECT_EQ(1, FakeFoundationLiveSessions());
    Play(9000);
    EXPECT_EQ(0, FakeFoundationPositionMs());
    Command(IDM_PAUSE);
    EXPECT_TRUE(FakeFoundationPlaying());
    Play(1000);
    Command(IDM_PREVIOUS);
    EXPECT_EQ(0, Selection());
    EXPECT_EQ("C:\\Music\\a.flac", FakeFoundationPath());
    EXPECT_EQ(0, FakeFoundationPositionMs()) << "played from its start";
    EXPECT_EQ(1, FakeFoundationLiveSessions());

    Command(IDM_CUE_MODE);
    for (int step = 0; step < 3; ++step)
        Command(IDM_NEXT);
    EXPECT_EQ(3, Selection());
    EXPECT_EQ("C:\\Music\\c.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(0, FakeFoundationLiveSessions());
    Command(IDM_NEXT);
    Command(IDM_NEXT);
    Pump();
    EXPECT_EQ(5, Selection()) << "the halted waves' notices end nothing";
    EXPECT_EQ("C:\\Music\\y.m4a", FakeFoundationPath());
    EXPECT_TRUE(FakeFoundationPlaying());
    Command(IDM_STOP);
    ExpectNothingOpen("stop");

    Command(IDM_START);
    Pump();
    EXPECT_EQ(1, FakeFoundationLiveSessions());
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    ExpectNothingOpen("session end");
}

// The volume applies at once to the playing entry and to every later one.
TEST_F(FoundationScenario, TheVolumeReachesThePlayingEntryAndEveryLaterOne)
{
    Open();
    AddFoundationFile("a.flac", Lasting(3000, 3000));
    AddFoundationFile("b.flac", Lasting(3000, 3000));
    Command(IDM_START);
    Pump();
    EXPECT_FLOAT_EQ(1.0f, FakeFoundationVolume());
    SetMediaVolume(40);
    EXPECT_FLOAT_EQ(0.4f, FakeFoundationVolume());
    Play(3000);
    EXPECT_EQ("C:\\Music\\b.flac", FakeFoundationPath());
    EXPECT_FLOAT_EQ(0.4f, FakeFoundationVolume());
    SetMediaVolume(250);
    EXPECT_FLOAT_EQ(1.0f, FakeFoundationVolume()) << "held to the range";
}

// A session that never says it has closed (shut down all the same once the
// platform's 5 s have passed), files both ways refuse, one whose source
// never opens (given up after 5 s), kinds without a decoder, plays that
// fail, no length or a wrong one: each entry is reported or ends, the next
// plays, and nothing stays open.
TEST_F(FoundationScenario, FaultyFilesAreReportedOrEndAndTheNextPlays)
{
    Open();
    FakeFoundationFile deaf = Lasting(1000, 1000);
    deaf.closes = false;
    AddFoundationFile("deaf.flac", deaf);
    FakeFoundationFile refused;
    refused.opens = false;
    AddFoundationFile("corrupt.flac", refused);
    FakeFoundationFile stuck;
    stuck.hangs = true;
    AddFoundationFile("stuck.m4a", stuck);
    FakeFoundationFile undecodable;
    undecodable.decodes = false;
    AddFoundationFile("voice.opus", undecodable);
    FakeFoundationFile cut = Lasting(8000, 8000);
    cut.failsAtMs = 1500;
    AddFoundationFile("cut.flac", cut);
    AddFoundationFile("removed.flac", Lasting(9000, 9000));
    AddFoundationFile("stream.m4a", Lasting(-1, 2000));
    AddFoundationFile("short.flac", Lasting(5000, 1000));
    AddFoundationFile("long.flac", Lasting(1000, 3000));
    Command(IDM_START);
    Pump();
    Play(1000);
    EXPECT_EQ(4, Selection()) << Status();
    EXPECT_EQ("C:\\Music\\cut.flac", FakeFoundationPath());
    EXPECT_EQ(1, FakeFoundationLiveSessions()) << "refused opens leave nothing behind, nor does the deaf session";
    EXPECT_EQ(1, FakeFoundationLiveSources());

    Play(1500);
    EXPECT_EQ("C:\\Music\\cut.flac is not a valid media file.", Status());
    EXPECT_EQ(5, Selection());

    // Removed while paused: said at the resume, not while nobody listens.
    Play(1000);
    Command(IDM_PAUSE);
    FakeFoundationBreak();
    Pump();
    EXPECT_EQ("Playback paused.", Status());
    Command(IDM_PAUSE);
    Pump();
    EXPECT_EQ("C:\\Music\\removed.flac is not a valid media file.", Status());
    EXPECT_EQ(6, Selection());

    Play(1000);
    Tick();
    EXPECT_EQ("0:01 of 0:00", Text(IDC_TIME));
    Play(1000);
    EXPECT_EQ(7, Selection());
    Play(1000);
    EXPECT_EQ("Finished playing short.flac", Status());
    EXPECT_EQ(8, Selection());
    Play(1500);
    Tick();
    EXPECT_EQ("0:01 of 0:01", Text(IDC_TIME));
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    Play(1500);
    EXPECT_EQ("Done with playlist.", Status());
    ExpectNothingOpen("done");
}

// Media Foundation is started once for the process, so a system without it,
// or with one that does not start, is shown in a process of its own: the
// entries of its kinds are reported as today, and the rest plays.
TEST_F(FoundationScenario, WithoutAWorkingMediaFoundationItsKindsAreReportedAndTheRestPlays)
{
    for (bool missing : {true, false}) {
        EXPECT_EXIT(PlayWithoutFoundation(missing), ::testing::ExitedWithCode(0), "")
            << (missing ? "missing" : "not starting");
    }
}

// Kept at its place by Stop and Exit, a Media Foundation entry goes on from
// there at the next start's first Start: its session starts at the place.
TEST_F(FoundationScenario, AnEntryKeptAtItsPlaceGoesOnThereAtTheNextStart)
{
    Open();
    const std::string flac = AddFoundationFile("kept.flac", Lasting(10000, 10000));
    Command(IDM_START);
    Pump();
    Play(4000);
    Command(IDM_STOP);
    Command(IDC_EXIT);
    Open();
    EXPECT_EQ(0, Selection());
    EXPECT_EQ("0:04", Text(IDC_TIME));
    Command(IDM_START);
    Pump();
    EXPECT_EQ(flac, FakeFoundationPath());
    EXPECT_TRUE(FakeFoundationPlaying());
    EXPECT_EQ(4000, FakeFoundationPositionMs());
}
