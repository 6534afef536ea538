// Command-line requests: handled by a first start itself, or forwarded by a
// later start to the running instance.
#include "process_harness.h"

#include <string>
#include <vector>

#include "resource.h"

namespace {

// A folder of this file's own: the Wine prefix's drive is shared between runs.
std::string Folder()
{
    return TempFolder("playlist-requests");
}

// Like StartVireo, in a given current folder (relative playlist names).
Started StartVireoIn(const std::string& folder, const std::string& tail)
{
    return StartExe(BuildFolder() + "\\vireo.exe", tail, folder.c_str());
}

void WriteList(const std::string& path, const std::vector<std::string>& lines)
{
    std::string bytes = "[VIREO 1.0]\r\n";
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    WriteTextFile(path, bytes);
}

bool AutoExitTicked(HWND window)
{
    return SendMessageA(GetDlgItem(window, IDC_AUTO_EXIT), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ListSelection(HWND window)
{
    return static_cast<int>(SendMessageA(GetDlgItem(window, IDC_PLAYLIST), LB_GETCURSEL, 0, 0));
}

int s_wantedSelection = 0;

bool HasWantedSelection(HWND window)
{
    return ListSelection(window) == s_wantedSelection;
}

bool IsShown(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

bool IsStillRunning(Started& started)
{
    return WaitForSingleObject(started.process, 0) == WAIT_TIMEOUT;
}

}  // namespace

TEST_F(ProcessTest, FirstStartWithPlayStaysHiddenPlaysTheListToItsEndAndExits)
{
    const std::string folder = Folder();
    WriteToneWav(folder + "\\first.wav", 440, 1500);
    WriteToneWav(folder + "\\second.wav", 660, 1500);
    WriteList(folder + "\\play.VireoList", {folder + "\\first.wav", folder + "\\second.wav"});
    Started vireo = StartVireo("/play " + folder + "\\play.VireoList");
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_TRUE(WaitUntil(AutoExitTicked, window, 10000));
    EXPECT_EQ((std::vector<std::string>{"first.wav", "second.wav"}), ListItems(window));
    EXPECT_FALSE(IsWindowVisible(window));

    // The selection follows the entries as they play, until the exit.
    std::vector<int> selections;
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    DWORD start = GetTickCount();
    while (IsStillRunning(vireo) && GetTickCount() - start < 30000) {
        int selection = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        // A list gone during the query answers 0 for it.
        if (!IsWindow(list))
            break;
        if (selections.empty() || selections.back() != selection)
            selections.push_back(selection);
        EXPECT_FALSE(IsWindowVisible(window));
        Sleep(20);
    }
    EXPECT_EQ(0, WaitForExit(vireo, 5000));
    std::vector<int> played;
    for (int selection : selections)
        if (selection >= 0)
            played.push_back(selection);
    EXPECT_EQ((std::vector<int>{0, 1}), played);
    EXPECT_FALSE(MarkerExists());
    CloseStarted(vireo);
}

TEST_F(ProcessTest, FirstStartLoadShowsTheWindowWhileOtherTextsAreOneHiddenMediaPath)
{
    const std::string list = Folder() + "\\forms.VireoList";
    WriteList(list, {"C:\\Loaded\\a.wav", "C:\\Loaded\\b.wav"});
    {
        Started vireo = StartVireo("/load " + list);
        HWND window = WaitForMainWindow(vireo.pid);
        ASSERT_TRUE(window != NULL);
        EXPECT_TRUE(WaitUntil(IsShown, window, 10000));
        EXPECT_TRUE(AutoExitTicked(window));
        EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), ListItems(window));
        // A start would play the two missing files, finish and exit at once.
        Sleep(1500);
        EXPECT_TRUE(IsStillRunning(vireo));
        EXPECT_EQ("Vireo ready", ControlText(window, IDC_STATUS));
        EXPECT_EQ(-1, ListSelection(window));
        EXPECT_EQ(0, ExitVireo(window, vireo));
        CloseStarted(vireo);
    }
    struct Case {
        std::string tail;
        std::string shown;
    };
    const Case cases[] = {
        {"C:\\Bare\\song.wav", "song.wav"},
        {"/Play " + list, "forms.VireoList"},
        {"/load" + list, "forms.VireoList"},
    };
    for (const Case& c : cases) {
        // Each case from an empty queue: the one before kept its own.
        DeleteKeptQueue();
        Started vireo = StartVireo(c.tail);
        HWND window = WaitForMainWindow(vireo.pid);
        ASSERT_TRUE(window != NULL) << c.tail;
        EXPECT_TRUE(WaitUntil(AutoExitTicked, window, 10000)) << c.tail;
        EXPECT_EQ((std::vector<std::string>{c.shown}), ListItems(window)) << c.tail;
        EXPECT_FALSE(IsWindowVisible(window)) << c.tail;
        EXPECT_EQ("Vireo ready", ControlText(window, IDC_STATUS)) << c.tail;
        EXPECT_EQ(0, ExitVireo(window, vireo)) << c.tail;
        CloseStarted(vireo);
    }
}

TEST_F(ProcessTest, LaterPlayAppendsAndPlaysFromItsFirstEntryLeavingTheRunningWindowAlone)
{
    const std::string folder = Folder();
    Started running = StartVireo();
    HWND window = WaitForMainWindow(running.pid);
    ASSERT_TRUE(window != NULL);
    WriteToneWav(folder + "\\r1.wav", 440, 2000);
    WriteToneWav(folder + "\\r2.wav", 550, 20000);
    Started client = StartProgram("mailbox_client.exe", folder + "\\r1.wav " + folder + "\\r2.wav");
    EXPECT_EQ(0, WaitForExit(client));
    PostCommand(window, IDCANCEL);
    PostCommand(window, IDM_START);
    s_wantedSelection = 1;
    ASSERT_TRUE(WaitUntil(HasWantedSelection, window, 15000)) << "the second entry plays";
    ASSERT_FALSE(IsWindowVisible(window));

    WriteToneWav(folder + "\\l1.wav", 660, 20000);
    WriteList(folder + "\\later.VireoList", {folder + "\\l1.wav", "C:\\Later\\l2.wav"});
    Started later = StartVireo("/play " + folder + "\\later.VireoList");
    EXPECT_EQ(0, WaitForExit(later));
    EXPECT_EQ((std::vector<std::string>{"r1.wav", "r2.wav", "l1.wav", "l2.wav"}), ListItems(window));
    s_wantedSelection = 2;
    EXPECT_TRUE(WaitUntil(HasWantedSelection, window, 5000)) << "the list plays from its first entry appended";
    EXPECT_EQ("Playing l1.wav", ControlText(window, IDC_STATUS));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(AutoExitTicked(window));
    ExpectMarkerNames(running.pid);
    EXPECT_EQ(0, ExitVireo(window, running));
    CloseStarted(running);
    CloseStarted(client);
    CloseStarted(later);
}

TEST_F(ProcessTest, PlayNamesKeepALeadingBlankAndAMissingPlaylistStillStarts)
{
    const std::string folder = Folder();
    WriteToneWav(folder + "\\blank.wav", 440, 2000);
    WriteList(folder + "\\ list.VireoList", {folder + "\\blank.wav"});
    WriteList(folder + "\\list.VireoList", {"C:\\Trimmed\\wrong.wav"});
    Started running = StartVireo();
    HWND window = WaitForMainWindow(running.pid);
    ASSERT_TRUE(window != NULL);

    Started later = StartVireoIn(folder, "/play  list.VireoList");
    EXPECT_EQ(0, WaitForExit(later));
    EXPECT_EQ((std::vector<std::string>{"blank.wav"}), ListItems(window));
    s_wantedSelection = 0;
    EXPECT_TRUE(WaitUntil(HasWantedSelection, window, 10000)) << "the start was posted";
    s_wantedSelection = -1;
    ASSERT_TRUE(WaitUntil(HasWantedSelection, window, 15000));
    ASSERT_EQ("Done with playlist.", ControlText(window, IDC_STATUS));

    Started missing = StartVireo("/play " + folder + "\\missing.VireoList");
    EXPECT_EQ(0, WaitForExit(missing));
    s_wantedSelection = 0;
    EXPECT_TRUE(WaitUntil(HasWantedSelection, window, 10000)) << "the start was posted";
    EXPECT_EQ(1u, ListItems(window).size());
    EXPECT_EQ(0, ExitVireo(window, running));
    CloseStarted(running);
    CloseStarted(later);
    CloseStarted(missing);
}

// As Explorer, a shortcut or "Send to" hands files over: each path with a
// blank in quotes, several on one line, to a first start and to a later one.
TEST_F(ProcessTest, QuotedAndSeveralPathsArriveInTheirOrder)
{
    const std::string folder = Folder();
    const std::string spaced = folder + "\\My Music";
    CreateDirectoryA(spaced.c_str(), NULL);
    WriteToneWav(spaced + "\\a song.wav", 440, 500);
    WriteToneWav(folder + "\\b.wav", 440, 500);
    WriteList(spaced + "\\c list.VireoList", {folder + "\\d.wav"});
    Started vireo = StartVireo("\"" + spaced + "\\a song.wav\" " + folder + "\\b.wav \"" + spaced +
                               "\\c list.VireoList\"");
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_TRUE(WaitUntil(AutoExitTicked, window, 10000));
    EXPECT_EQ((std::vector<std::string>{"a song.wav", "b.wav", "d.wav"}), ListItems(window));
    EXPECT_FALSE(IsWindowVisible(window)) << "a playlist among the paths is loaded without showing the window";

    Started later = StartVireo("\"" + spaced + "\\a song.wav\"");
    EXPECT_EQ(0, WaitForExit(later));
    Started play = StartVireo("/play \"" + spaced + "\\c list.VireoList\"");
    EXPECT_EQ(0, WaitForExit(play));
    EXPECT_EQ((std::vector<std::string>{"a song.wav", "b.wav", "d.wav", "a song.wav", "d.wav"}), ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    CloseStarted(later);
    CloseStarted(play);
}

TEST_F(ProcessTest, TwoLaterStartsLoadingAtOnceLoseNoLine)
{
    const std::string folder = Folder();
    std::vector<std::string> one;
    std::vector<std::string> two;
    std::vector<std::string> shownOne;
    std::vector<std::string> shownTwo;
    for (int i = 0; i < 100; ++i) {
        one.push_back("C:\\One\\a" + std::to_string(i) + ".wav");
        two.push_back("C:\\Two\\b" + std::to_string(i) + ".wav");
        shownOne.push_back("a" + std::to_string(i) + ".wav");
        shownTwo.push_back("b" + std::to_string(i) + ".wav");
    }
    WriteList(folder + "\\one.VireoList", one);
    WriteList(folder + "\\two.VireoList", two);
    Started running = StartVireo();
    HWND window = WaitForMainWindow(running.pid);
    ASSERT_TRUE(window != NULL);
    PostCommand(window, IDCANCEL);

    Started x = StartVireo("/load " + folder + "\\one.VireoList");
    Started y = StartVireo("/load " + folder + "\\two.VireoList");
    EXPECT_EQ(0, WaitForExit(x, 120000));
    EXPECT_EQ(0, WaitForExit(y, 120000));
    std::vector<std::string> items = ListItems(window);
    EXPECT_EQ(200u, items.size());
    std::vector<std::string> gotOne;
    std::vector<std::string> gotTwo;
    for (const std::string& item : items)
        (item[0] == 'a' ? gotOne : gotTwo).push_back(item);
    EXPECT_EQ(shownOne, gotOne);
    EXPECT_EQ(shownTwo, gotTwo);
    EXPECT_TRUE(IsWindowVisible(window)) << "a forwarded load shows the running window";
    EXPECT_EQ(0, ExitVireo(window, running));
    CloseStarted(running);
    CloseStarted(x);
    CloseStarted(y);
}

// Another player's list named by a later start, relative to that start's
// own folder as its paths are to the list's: the running player gets the
// paths, and its status line says what was passed over.
TEST_F(ProcessTest, ALaterStartLoadsAnotherPlayersListAndTheRunningWindowSaysWhatWasPassedOver)
{
    const std::string folder = Folder();
    CreateDirectoryA((folder + "\\radio").c_str(), NULL);
    WriteTextFile(folder + "\\radio\\evening.pls",
                  "[playlist]\r\nFile2=http://radio.example/live\r\nFile1=near.wav\r\nNumberOfEntries=5\r\n");
    Started running = StartVireo();
    HWND window = WaitForMainWindow(running.pid);
    ASSERT_TRUE(window != NULL);
    Started later = StartVireoIn(folder, "radio\\evening.pls");
    EXPECT_EQ(0, WaitForExit(later));
    EXPECT_EQ((std::vector<std::string>{"near.wav"}), ListItems(window));
    EXPECT_EQ("Passed over 1 line that names nothing Vireo can play.", ControlText(window, IDC_STATUS));
    EXPECT_EQ(0, ExitVireo(window, running));
    CloseStarted(running);
    CloseStarted(later);
}
