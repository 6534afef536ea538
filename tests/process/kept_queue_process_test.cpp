// The kept queue between real runs of vireo.exe: kept across Exit and a
// kill, brought back with its place and heard going on from there, requests
// carried out on top of it (Explorer's selection of playlists among them), a
// damaged file and a folder that cannot hold it.
#include "process_harness.h"
#include "hearing.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"

namespace {

const int KILLED_CODE = 99;

class KeptQueueProcess : public ProcessTest {
protected:
    void TearDown() override
    {
        for (const std::string& path : made)
            DeleteFileA(path.c_str());
        ProcessTest::TearDown();
    }
    std::string Tone(const char* name, int hz, int ms)
    {
        made.push_back(TempFolder() + "\\" + name);
        WriteToneWav(made.back(), hz, ms);
        return made.back();
    }
    // The window is found while it is still being made: a start brings the
    // queue back before later starts or the request may add to it.
    HWND Start(Started* vireo, const std::string& tail = "", size_t restored = 0)
    {
        *vireo = StartVireo(tail);
        HWND window = WaitForMainWindow(vireo->pid);
        wanted = restored;
        if (window != NULL)
            WaitUntil([](HWND w) { return ListItems(w).size() >= wanted; }, window, 10000);
        return window;
    }
    static size_t wanted;
    std::string Situation(HWND window)
    {
        return "status \"" + TextOf(window, IDC_STATUS) + "\", time \"" + TextOf(window, IDC_TIME) +
               "\", selection " + std::to_string(SelectedIndex(window));
    }
    std::vector<std::string> made;
};

size_t KeptQueueProcess::wanted = 0;

void Kill(Started& started)
{
    TerminateProcess(started.process, KILLED_CODE);
    WaitForSingleObject(started.process, 5000);
    CloseStarted(started);
}

// "m:ss" as seconds; -1 for anything else.
int Seconds(const std::string& time)
{
    size_t colon = time.find(':');
    if (colon == std::string::npos || colon == 0 || time.size() != colon + 3)
        return -1;
    return std::atoi(time.c_str()) * 60 + std::atoi(time.c_str() + colon + 1);
}

bool Playing(HWND window)
{
    return ControlEnabled(window, IDM_PAUSE);
}

// A playlist of one entry.
void WriteList(const std::string& path, const std::string& entry)
{
    WriteTextFile(path, "[VIREO 1.0]\r\n" + entry + "\r\n");
}

}  // namespace

// Three entries kept across Exit; the player killed four seconds into the
// second; the next start shows them with the second selected and its place,
// and its Start is heard going on in the second, for what was left of it,
// then the third. Then first starts with a path and with "/play" add to
// that queue.
TEST_F(KeptQueueProcess, KeptAcrossExitAndAKillAndHeardGoingOnWhereItWas)
{
    const std::string first = Tone("kept first.wav", 440, 2000);
    const std::string second = Tone("kept second.wav", 660, 8000);
    const std::string third = Tone("kept third.wav", 880, 2000);
    const std::string silence = Tone("kept silence.wav", 0, 500);
    const std::vector<std::string> three = {"kept first.wav", "kept second.wav", "kept third.wav"};

    Started vireo;
    HWND window = Start(&vireo);
    ASSERT_TRUE(window != NULL);
    Started client = StartProgram("mailbox_client.exe", "\"" + first + "\" \"" + second + "\" \"" + third + "\"");
    ASSERT_EQ(0, WaitForExit(client));
    CloseStarted(client);
    ASSERT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);

    window = Start(&vireo, "", 3);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ(three, ListItems(window)) << "kept across Exit";
    SendMessageA(GetDlgItem(window, IDC_PLAYLIST), LB_SETCURSEL, 1, 0);
    PostCommand(window, IDM_PLAY_SELECTED);
    ASSERT_TRUE(WaitUntil([](HWND w) { return TextOf(w, IDC_STATUS) == "Playing kept second.wav"; }, window, 10000))
        << Situation(window);
    ASSERT_TRUE(WaitUntil([](HWND w) { return Seconds(TextOf(w, IDC_TIME).substr(0, 4)) >= 4; }, window, 10000))
        << Situation(window);
    Kill(vireo);

    window = Start(&vireo, "", 3);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ(three, ListItems(window)) << "kept across a kill";
    EXPECT_TRUE(WaitUntil([](HWND w) { return SelectedIndex(w) == 1 && Seconds(TextOf(w, IDC_TIME)) > 0; }, window, 5000))
        << Situation(window);
    int placeSeconds = Seconds(TextOf(window, IDC_TIME));
    EXPECT_GE(placeSeconds, 3) << Situation(window);
    EXPECT_LE(placeSeconds, 5) << Situation(window);
    Sleep(500);
    EXPECT_FALSE(Playing(window)) << "nothing plays by itself";

    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    bool done = RecordUntil(recording, [&] { return TextOf(window, IDC_STATUS) == "Done with playlist."; }, 20000);
    RecordFor(recording, 300);
    StopRecording(recording);
    ASSERT_TRUE(done) << Situation(window);
    std::vector<ToneRun> tones = FindTones(recording.samples);
    std::printf("place %d s; heard: %s\n", placeSeconds, Describe(tones).c_str());
    ASSERT_EQ((std::vector<int>{660, 880}), Pitches(tones)) << Describe(tones);
    int secondMs = tones[0].endMs - tones[0].startMs;
    EXPECT_NEAR(8000 - placeSeconds * 1000, secondMs, 1200) << "the rest of the second, not all of it";
    EXPECT_LT(secondMs, 6500);
    ASSERT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);

    // A first start with a path: appended to the kept queue; nothing plays.
    const std::string fourth = Tone("kept fourth.wav", 1320, 2000);
    window = Start(&vireo, "\"" + fourth + "\"", 4);
    ASSERT_TRUE(window != NULL);
    std::vector<std::string> four = three;
    four.push_back("kept fourth.wav");
    EXPECT_TRUE(WaitUntil([](HWND w) { return ListItems(w).size() == 4; }, window, 10000));
    EXPECT_EQ(four, ListItems(window));
    EXPECT_FALSE(IsWindowVisible(window));
    Sleep(500);
    EXPECT_FALSE(Playing(window));
    ASSERT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);

    // A first start with "/play": appended, and played from its first entry
    // to the end of the list, where the player exits by itself.
    const std::string list = TempFolder() + "\\kept play.VireoList";
    made.push_back(list);
    WriteTextFile(list, "[VIREO 1.0]\r\n" + third + "\r\n" + fourth + "\r\n");
    window = Start(&vireo, "/play \"" + list + "\"", 6);
    ASSERT_TRUE(window != NULL);
    EXPECT_TRUE(WaitUntil([](HWND w) {
        return SelectedIndex(w) == 4 && TextOf(w, IDC_STATUS) == "Playing kept third.wav";
    }, window, 10000)) << Situation(window);
    EXPECT_EQ(6u, ListItems(window).size());
    EXPECT_EQ(0, WaitForExit(vireo, 20000)) << "auto-exit at the end of the list";
    CloseStarted(vireo);
}

// A queue cut in the middle of a line keeps every whole line; a file where
// the queue's folder belongs (root passes every permission under Wine, so a
// read-only folder would not refuse it) makes every write fail: the player
// works on and says so once.
TEST_F(KeptQueueProcess, ACutQueueAndAFolderThatCannotHoldIt)
{
    const std::string folder = KeptQueueFolder();
    CreateDirectoryA(folder.c_str(), NULL);
    WriteTextFile(folder + "\\Queue.VireoQueue", "VireoQueue\t1\r\nsaved\t3\r\ncurrent\t1\t2000\r\n"
                                                 "entry\twave\ta.wav\tC:\\Cut\\a.wav\r\n"
                                                 "entry\twave\tb.wav\tC:\\Cut\\b.wav\r\n"
                                                 "entry\twave\tc.wav\tC:\\Cut\\c.wav\r\n"
                                                 "entry\twave\td.wav\tC:\\Cu");
    Started vireo;
    HWND window = Start(&vireo, "", 3);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "c.wav"}), ListItems(window));
    // The list may be read while the start still sets the place and the
    // status (a call to the shell lets other programs' questions in).
    EXPECT_TRUE(WaitUntil([](HWND w) {
        return SelectedIndex(w) == 1 && TextOf(w, IDC_TIME) == "0:02" &&
               TextOf(w, IDC_STATUS) == "Passed over 1 line of the kept playlist that could not be read.";
    }, window, 5000)) << Situation(window);
    ASSERT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    std::string kept = ReadFileBytes(folder + "\\Queue.VireoQueue");
    EXPECT_NE(std::string::npos, kept.find("entry\twave\tc.wav\tC:\\Cut\\c.wav\t-1\t0\t0\t\r\nend\r\n")) << "written whole again";

    DeleteKeptQueue();
    ASSERT_TRUE(RemoveDirectoryA(folder.c_str()));
    WriteTextFile(folder, "not a folder");
    const std::string tone = Tone("kept nowhere.wav", 440, 1500);
    window = Start(&vireo);
    ASSERT_TRUE(window != NULL);
    Started client = StartProgram("mailbox_client.exe", "\"" + tone + "\" C:\\Nowhere\\b.wav");
    ASSERT_EQ(0, WaitForExit(client));
    CloseStarted(client);
    EXPECT_TRUE(WaitUntil([](HWND w) { return TextOf(w, IDC_STATUS) == "The playlist cannot be kept for the next start."; },
                          window, 5000))
        << Situation(window);
    // It plays on, and a later change that cannot be kept either says nothing more.
    PostCommand(window, IDM_START);
    EXPECT_TRUE(WaitUntil([](HWND w) { return TextOf(w, IDC_STATUS) == "Playing kept nowhere.wav" ||
                                              SelectedIndex(w) == 0; }, window, 10000))
        << Situation(window);
    Started more = StartProgram("mailbox_client.exe", "C:\\Nowhere\\c.wav");
    EXPECT_EQ(0, WaitForExit(more));
    CloseStarted(more);
    EXPECT_TRUE(WaitUntil([](HWND w) { return ListItems(w).size() == 3; }, window, 10000));
    Sleep(1000);
    EXPECT_NE("The playlist cannot be kept for the next start.", TextOf(window, IDC_STATUS));
    EXPECT_EQ(0, ExitVireo(window, vireo)) << "Exit is not held up by a queue it cannot keep";
    CloseStarted(vireo);
    EXPECT_EQ("not a folder", ReadFileBytes(folder));
}

// Explorer's Open on twelve selected playlists, with no player running: the
// first on the command line of the player it starts, then one execute after
// another. The first plays from its first entry, the others are appended
// without taking playback away from it; a play chosen on its own later
// plays at once.
TEST_F(KeptQueueProcess, ExplorerPlayOnTwelvePlaylistsPlaysTheFirstAndAppendsTheRest)
{
    const std::string folder = TempFolder("kept-selection");
    WriteToneWav(folder + "\\selected.wav", 440, 15000);
    WriteToneWav(folder + "\\chosen later.wav", 660, 1500);
    std::vector<std::string> lists;
    std::vector<std::string> entries = {"selected.wav"};
    std::string executes;
    for (int i = 0; i < 12; ++i) {
        lists.push_back(folder + "\\selection " + std::to_string(i) + ".VireoList");
        if (i == 0) {
            WriteList(lists.back(), folder + "\\selected.wav");
            continue;
        }
        std::string name = "item " + std::to_string(i) + ".wav";
        WriteList(lists.back(), "C:\\Selection\\" + name);
        entries.push_back(name);
        executes += " \"[play(\\\"" + lists.back() + "\\\")]\"";
    }
    Started vireo = StartVireo("/play \"" + lists[0] + "\"");
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    ASSERT_TRUE(WaitUntil([](HWND w) { return ControlText(w, IDC_STATUS) == "Playing selected.wav"; }, window, 10000));
    Started explorer = StartProgram("dde_client.exe", "\"[]\"" + executes);
    EXPECT_EQ(12, WaitForExit(explorer, 60000)) << "each item acknowledged";
    CloseStarted(explorer);
    EXPECT_EQ(entries, ListItems(window));
    EXPECT_EQ(0, SelectedIndex(window));
    EXPECT_EQ("Playing selected.wav", ControlText(window, IDC_STATUS)) << "the first item plays on";

    Sleep(2500);
    const std::string later = folder + "\\chosen later.VireoList";
    WriteList(later, folder + "\\chosen later.wav");
    explorer = StartProgram("dde_client.exe", "\"[play(\\\"" + later + "\\\")]\"");
    EXPECT_EQ(1, WaitForExit(explorer, 20000));
    CloseStarted(explorer);
    EXPECT_TRUE(WaitUntil([](HWND w) { return SelectedIndex(w) == 12; }, window, 5000))
        << "a play chosen later plays at once";
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
}
