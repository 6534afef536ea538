// The once-a-second progress display: the time text, the tray tip and icon.
#include "scenario.h"

#include <string>
#include <vector>

namespace {

class ProgressScenario : public Scenario {
protected:
    // The commands the media layer received since the mark.
    std::vector<std::string> CommandsSince(size_t mark)
    {
        const std::vector<std::string>& all = FakeMediaCommands();
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(mark), all.end());
    }

    // Handles the next queued message only; false when there is none.
    bool DispatchOne()
    {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT || message.message == WM_TIMER)
                continue;
            DispatchMessageA(&message);
            return true;
        }
        return false;
    }
};

const std::vector<std::string> FILE_QUERIES = {"status VireoMedia position wait", "status VireoMedia length wait"};

}  // namespace

TEST_F(ProgressScenario, FileShowsPositionAndLengthInTheWindowAndTheTip)
{
    Open();
    FakeMediaAddFile("C:\\Media\\song.wav", 200999);
    Add("C:\\Media\\song.wav");
    Command(IDM_START);
    Pump();
    Play(65432);
    size_t mark = FakeMediaCommands().size();
    Tick();
    EXPECT_EQ(FILE_QUERIES, CommandsSince(mark));
    EXPECT_EQ("1:05 of 3:20", Text(IDC_TIME));
    EXPECT_EQ(g_playingIcon, LastTray().icon);
    EXPECT_EQ("1:05 of 3:20 in song.wav", LastTray().tip);

    // A failed position reads 0; the length still answers.
    FakeMediaFailPositionQueries(true);
    Tick();
    EXPECT_EQ("0:00 of 3:20", Text(IDC_TIME));
    EXPECT_EQ("0:00 of 3:20 in song.wav", LastTray().tip);
    FakeMediaFailPositionQueries(false);

    // Paused: the paused picture and tip on every tick, the time text kept.
    Play(1000);
    Tick();
    ASSERT_EQ("1:06 of 3:20", Text(IDC_TIME));
    Command(IDM_PAUSE);
    EXPECT_EQ(DEFAULT_TRAY_TIP, LastTray().tip);
    Play(3000);
    for (int i = 0; i < 2; ++i) {
        size_t before = FakeTrayCalls().size();
        mark = FakeMediaCommands().size();
        Tick();
        EXPECT_EQ(before + 1, FakeTrayCalls().size());
        EXPECT_EQ(g_pausedIcon, LastTray().icon);
        EXPECT_EQ("Vireo paused; click to resume.", LastTray().tip);
        EXPECT_EQ("1:06 of 3:20", Text(IDC_TIME));
        EXPECT_TRUE(CommandsSince(mark).empty()) << "a paused tick asks the media layer nothing";
    }
    Command(IDM_PAUSE);
    EXPECT_EQ(g_playingIcon, LastTray().icon);
    EXPECT_EQ(DEFAULT_TRAY_TIP, LastTray().tip) << "the resume replaces the paused tip";
    Play(2000);
    Tick();
    EXPECT_EQ("1:08 of 3:20", Text(IDC_TIME));
    Command(IDM_STOP);
    EXPECT_EQ("1:08 of 3:20", Text(IDC_TIME)) << "Stop leaves the last time shown";
    EXPECT_EQ(g_idleIcon, LastTray().icon);
    EXPECT_EQ(DEFAULT_TRAY_TIP, LastTray().tip);
}

TEST_F(ProgressScenario, NothingOpenReadsZeroOfZero)
{
    Open();
    Add("C:\\Media\\gone.wav");  // unknown to the media layer: its open fails
    Add("C:\\Media\\gone2.wav");
    Command(IDM_START);
    ASSERT_TRUE(DispatchOne());  // the advance: gone.wav fails, the skip is posted
    ASSERT_EQ(0, Selection());
    ASSERT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    size_t mark = FakeMediaCommands().size();
    Tick();
    EXPECT_EQ(FILE_QUERIES, CommandsSince(mark));
    EXPECT_EQ("0:00 of 0:00", Text(IDC_TIME));
    EXPECT_EQ("0:00 of 0:00 in gone.wav", LastTray().tip);
    Pump();
    EXPECT_EQ(static_cast<int>(PLAY_STOPPED), g_playState);
}

TEST_F(ProgressScenario, CdTrackCountsWholeSecondsFromItsStartWithoutALengthQuery)
{
    Open();
    FakeMediaInsertCd({{323999, 245500}});
    Add("D:\\Track01.cda");
    Command(IDM_START);
    Pump();
    ASSERT_EQ("play VireoMedia from 323999 to 569499 notify", FakeMediaCommands().back());
    size_t mark = FakeMediaCommands().size();
    Tick();
    EXPECT_EQ(std::vector<std::string>{"status VireoMedia position wait"}, CommandsSince(mark));
    EXPECT_EQ("0:00 of 4:05", Text(IDC_TIME));

    Play(65001);  // disc position 389000
    Tick();
    EXPECT_EQ("1:06 of 4:05", Text(IDC_TIME)) << "389 s minus 323 s, not 65.001 s";
    EXPECT_EQ("1:06 of 4:05 in CD track #1", LastTray().tip);
    EXPECT_EQ(g_playingIcon, LastTray().icon);

    FakeMediaFailPositionQueries(true);
    Tick();
    EXPECT_EQ("-5:-23 of 4:05", Text(IDC_TIME));
    FakeMediaFailPositionQueries(false);
    Command(IDM_STOP);
}

TEST_F(ProgressScenario, LongNameIsCutInTheTipOnly)
{
    Open();
    std::string name = std::string(120, 'n') + ".wav";
    std::string path = "C:\\Media\\" + name;
    FakeMediaAddFile(path, 200999);
    Add(path.c_str());
    ASSERT_EQ(name, Items().at(0));
    Command(IDM_START);
    Pump();
    Play(61000);
    Tick();
    EXPECT_EQ("1:01 of 3:20", Text(IDC_TIME));
    EXPECT_EQ(("1:01 of 3:20 in " + name).substr(0, 62), LastTray().tip);
    EXPECT_TRUE(LastTray().tipTerminatedAt63);
    Command(IDM_STOP);
}
