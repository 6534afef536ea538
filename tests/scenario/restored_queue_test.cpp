// A start with a kept queue: the queue comes back stopped with its place,
// the first Start goes on there, every change is kept as it happens, and a
// request is carried out on top of the queue.
#include "scenario.h"

#include <ddeml.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "../../app/dde_text.h"

namespace {

class RestoredQueueScenario : public Scenario {
protected:
    // A queue kept by hand, and the store opened on it as a new process opens it.
    void KeepByHand(const std::string& lines)
    {
        KeptQueueFiles files = KeptFiles();
        DeleteFileA(files.place);
        WriteBytes(files.queue, "VireoQueue\t1\r\nsaved\t7\r\n" + lines + "end\r\n");
    }
    // Exit, and a new start of the program. Stopped first: the process-wide
    // play state lives on in this one.
    void Exit()
    {
        Command(IDM_STOP);
        Command(IDC_EXIT);
        ASSERT_FALSE(IsWindow(window));
        FakeMediaClearCommands();
    }
    void ExitAndStartAgain(const char* tail = "")
    {
        Exit();
        Open(tail);
    }
    bool Sent(const std::string& command)
    {
        const std::vector<std::string>& sent = FakeMediaCommands();
        return std::find(sent.begin(), sent.end(), command) != sent.end();
    }
    bool Playing() { return g_playState == PLAY_PLAYING; }
    // The list changes are written once they pause, as the timers find.
    void LetChangesSettle()
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 600) {
            MSG message;
            while (PeekMessageA(&message, NULL, WM_TIMER, WM_TIMER, PM_REMOVE))
                if (message.wParam != PROGRESS_TIMER_ID)
                    DispatchMessageA(&message);
            Sleep(10);
        }
        FinishQueueWrites(SAVE_QUEUE_WAIT_MS);
    }
};

HDDEDATA CALLBACK OnClientTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

// One execute in a conversation of its own, as the shell sends each item.
bool Execute(const std::string& execute)
{
    DWORD instance = 0;
    DdeInitializeA(&instance, OnClientTransaction, APPCMD_CLIENTONLY, 0);
    HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, DDE_TOPIC_NAME, CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, NULL);
    DWORD result = 0;
    std::string bytes = execute;
    bool done = conversation != NULL &&
                DdeClientTransaction(reinterpret_cast<LPBYTE>(&bytes[0]), static_cast<DWORD>(bytes.size() + 1),
                                     conversation, NULL, 0, XTYP_EXECUTE, 5000, &result) != NULL;
    if (conversation != NULL)
        DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    return done;
}

}  // namespace

TEST_F(RestoredQueueScenario, AStartBringsTheQueueBackStoppedAndTheFirstStartGoesOnWhereItWas)
{
    Open();
    FakeMediaAddFile("C:\\Waves\\a.wav", 10000);
    FakeMediaAddFile("C:\\Waves\\b.wav", 20000);
    FakeMediaAddFile("C:\\Waves\\c.wav", 30000);
    Add("C:\\Waves\\a.wav");
    Add("C:\\Waves\\b.wav");
    Add("C:\\Waves\\c.wav");
    PlayEntryNow(window, 1);
    Play(12000);
    Tick();
    ExitAndStartAgain();

    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "c.wav"}), Items());
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("0:12", Text(IDC_TIME));
    EXPECT_FALSE(Playing());
    EXPECT_TRUE(Opened().empty()) << "nothing plays by itself";

    Command(IDM_START);
    Pump();
    EXPECT_EQ(std::vector<std::string>{"C:\\Waves\\b.wav"}, Opened());
    EXPECT_TRUE(Sent("play VireoMedia from 12000 notify"));
    EXPECT_EQ(1, Selection());
    EXPECT_EQ(1, CurrentEntryIndex(window));
    Play(8000);
    EXPECT_EQ(2, CurrentEntryIndex(window)) << "then on in list order";

    // Every later Start plays from the first entry.
    Command(IDM_STOP);
    FakeMediaClearCommands();
    Command(IDM_START);
    Pump();
    EXPECT_EQ(std::vector<std::string>{"C:\\Waves\\a.wav"}, Opened());
    EXPECT_TRUE(Sent("play VireoMedia notify"));
}

TEST_F(RestoredQueueScenario, ACdTrackGoesOnFromItsPlaceOnTheDiscAndABadPlaceFromTheStart)
{
    FakeMediaInsertCd({{0, 1000}, {1000, 250000}});
    FakeMediaAddFile("C:\\Waves\\a.wav", 5000);
    KeepByHand("current\t1\t60000\r\n"
               "entry\twave\ta.wav\tC:\\Waves\\a.wav\r\n"
               "entry\tcd\tCD track #2\t1000\t250000\r\n"
               "entry\tnoise\r\n");
    Open();
    EXPECT_EQ((std::vector<std::string>{"a.wav", "CD track #2"}), Items());
    EXPECT_EQ(1, Selection());
    EXPECT_EQ("1:00 of 4:10", Text(IDC_TIME));
    EXPECT_EQ("Passed over 1 line of the kept playlist that could not be read.", Status());
    Command(IDM_START);
    Pump();
    EXPECT_TRUE(Sent("play VireoMedia from 61000 to 251000 notify"));

    // A place past the entry's end (the file changed since): from its start.
    Exit();
    KeepByHand("current\t0\t99000\r\n"
               "entry\twave\ta.wav\tC:\\Waves\\a.wav\r\n");
    Open();
    EXPECT_EQ("1:39", Text(IDC_TIME));
    Command(IDM_START);
    Pump();
    EXPECT_EQ(std::vector<std::string>{"C:\\Waves\\a.wav"}, Opened());
    EXPECT_TRUE(Sent("play VireoMedia notify"));
}

TEST_F(RestoredQueueScenario, EveryChangeIsKeptOnceTheChangesPause)
{
    Open();
    FakeMediaAddFile("C:\\Waves\\a.wav", 5000);
    FakeMediaAddFile("C:\\Waves\\b.wav", 5000);
    FakeMediaAddFile("C:\\Waves\\c.wav", 5000);
    Add("C:\\Waves\\a.wav");
    Add("C:\\Waves\\b.wav");
    Add("C:\\Waves\\c.wav");
    LetChangesSettle();
    EXPECT_NE(std::string::npos, KeptQueueBytes().find("current\t-1\t0\r\nentry\twave\ta.wav\tC:\\Waves\\a.wav\r\n"
                                                       "entry\twave\tb.wav\tC:\\Waves\\b.wav\r\n"
                                                       "entry\twave\tc.wav\tC:\\Waves\\c.wav\r\nend\r\n"));
    MoveEntry(window, 2, 0);
    RemoveEntry(window, 1);
    LetChangesSettle();
    EXPECT_NE(std::string::npos, KeptQueueBytes().find("entry\twave\tc.wav\tC:\\Waves\\c.wav\r\n"
                                                       "entry\twave\tb.wav\tC:\\Waves\\b.wav\r\nend\r\n"));

    // The place goes with the list's end, and with its entry.
    PlayEntryNow(window, 1);
    Play(5000);
    EXPECT_EQ("Done with playlist.", Status());
    ExitAndStartAgain();
    EXPECT_EQ(-1, Selection()) << "played to its end: a start begins at the top";
    EXPECT_EQ("", Text(IDC_TIME));

    PlayEntryNow(window, 0);
    Play(1000);
    Command(IDM_STOP);
    RemoveEntry(window, 0);
    ExitAndStartAgain();
    EXPECT_EQ(std::vector<std::string>{"b.wav"}, Items());
    EXPECT_EQ(-1, Selection()) << "the removed entry took its place along";
}

TEST_F(RestoredQueueScenario, ARequestAtAFirstStartIsCarriedOutOnTheKeptQueue)
{
    FakeMediaAddFile("C:\\Waves\\a.wav", 5000);
    FakeMediaAddFile("C:\\Waves\\b.wav", 5000);
    FakeMediaAddFile("C:\\Waves\\x.wav", 5000);
    FakeMediaAddFile("C:\\Waves\\y.wav", 5000);
    const std::string list = ScratchFolder("vireo-restored") + "\\evening.VireoList";
    WriteBytes(list, "[VIREO 1.0]\r\nC:\\Waves\\x.wav\r\nC:\\Waves\\y.wav\r\n");
    const std::string kept = "current\t1\t3000\r\n"
                             "entry\twave\ta.wav\tC:\\Waves\\a.wav\r\n"
                             "entry\twave\tb.wav\tC:\\Waves\\b.wav\r\n";

    // "/play": the kept queue, then the list, played from its first entry.
    KeepByHand(kept);
    Open(("/play " + list).c_str());
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "x.wav", "y.wav"}), Items());
    EXPECT_TRUE(Playing());
    EXPECT_EQ(std::vector<std::string>{"C:\\Waves\\x.wav"}, Opened());
    EXPECT_EQ(2, CurrentEntryIndex(window));
    EXPECT_FALSE(Visible());
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT));
    // Stopped and started again: the list's own first entry, not the kept place.
    Command(IDM_STOP);
    FakeMediaClearCommands();
    Command(IDM_START);
    Pump();
    EXPECT_EQ(std::vector<std::string>{"C:\\Waves\\a.wav"}, Opened());
    Exit();

    // A media path is appended and nothing plays.
    KeepByHand(kept);
    FakeMediaClearCommands();
    Open("C:\\Waves\\y.wav");
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "y.wav"}), Items());
    EXPECT_FALSE(Playing());
    EXPECT_EQ(1, Selection());
    Exit();

    // "/play" of a list that appends nothing starts as Start does: in place.
    KeepByHand(kept);
    FakeMediaClearCommands();
    Open(("/play " + list + ".missing").c_str());
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Items());
    EXPECT_TRUE(Sent("play VireoMedia from 3000 notify"));
    EXPECT_EQ(1, CurrentEntryIndex(window));
    Exit();

    // Brought back by Windows: the queue in the tray, nothing asked of it.
    KeepByHand(kept);
    FakeMediaClearCommands();
    FakeFilesReset();
    Open("/restart");
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), Items());
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(Playing());
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT));
    ASSERT_EQ(1u, FakeRestartRegistrations().size()) << "registered once the window exists";
    EXPECT_EQ(L"/restart", FakeRestartRegistrations()[0].commandLine);
    // Closed by the restart manager to be started again: it ends, the queue kept.
    DeleteFileA(KeptFiles().queue);
    EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
    SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(std::string::npos, KeptQueueBytes().find("entry\twave\tb.wav\tC:\\Waves\\b.wav\r\nend\r\n"));
}

// Explorer's "Play" on a selection of playlists: one execute after another,
// each answered before the next. The first plays from its first entry, the
// rest are appended; a play chosen later on its own plays at once.
TEST_F(RestoredQueueScenario, ASelectionOfPlaylistsPlaysItsFirstAndAppendsTheRest)
{
    const std::string folder = ScratchFolder("vireo-restored");
    std::vector<std::string> lists;
    for (const char* name : {"one", "two", "three", "four"}) {
        std::string path = std::string("C:\\Waves\\") + name + ".wav";
        FakeMediaAddFile(path, 60000);
        lists.push_back(folder + "\\" + name + ".VireoList");
        WriteBytes(lists.back(), "[VIREO 1.0]\r\n" + path + "\r\n");
    }
    KeepByHand("current\t0\t3000\r\nentry\twave\tkept.wav\tC:\\Waves\\kept.wav\r\n");
    // The first item on the command line of the player the shell starts.
    Open(("/play " + lists[0]).c_str());
    g_runningMarker = AcquireRunningMarker();
    StartDdeService(window);
    bool done[5] = {};
    std::thread explorer([&] {
        done[0] = Execute("[]");
        done[1] = Execute("[play(\"" + lists[1] + "\")]");
        done[2] = Execute("[play(\"" + lists[2] + "\")]");
        // Chosen on its own, seconds later.
        Sleep(2500);
        done[3] = Execute("[play(\"" + lists[3] + "\")]");
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 0), 0);
    });
    RunMainLoop(window);
    explorer.join();
    ReleaseRunningMarker(g_runningMarker);
    g_runningMarker = NULL;
    EXPECT_TRUE(done[0] && done[1] && done[2] && done[3]);
    EXPECT_EQ((std::vector<std::string>{"C:\\Waves\\one.wav", "C:\\Waves\\four.wav"}), Opened());
    Open();
    EXPECT_EQ((std::vector<std::string>{"kept.wav", "one.wav", "two.wav", "three.wav", "four.wav"}), Items());
}
