// Up, Down and Remove, and the list's own notifications.
#include "scenario.h"

#include <string>
#include <vector>

namespace {

HWND List(HWND window)
{
    return GetDlgItem(window, IDC_PLAYLIST);
}

void Notify(HWND window, int code)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAYLIST, code), reinterpret_cast<LPARAM>(List(window)));
}

// The user clicks an item (or clears the selection with -1).
void UserSelects(HWND window, int index)
{
    SendMessageA(List(window), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Notify(window, LBN_SELCHANGE);
}

std::vector<PlaylistEntry*> Records(HWND window)
{
    std::vector<PlaylistEntry*> records;
    for (int i = 0; i < GetEntryCount(window); ++i)
        records.push_back(GetEntry(window, i));
    return records;
}

}  // namespace

TEST_F(Scenario, UpDownAndRemoveMoveTheSameRecordsAndLeaveTheButtonsAlone)
{
    Open();
    for (const char* name : {"one.wav", "two.mid", "three.avi", "four.rmi", "five.wav"})
        Add((std::string("C:\\List\\") + name).c_str());
    std::vector<PlaylistEntry*> r = Records(window);

    UserSelects(window, 2);
    EXPECT_TRUE(Enabled(IDC_REMOVE) && Enabled(IDC_UP) && Enabled(IDC_DOWN));
    Command(IDC_UP);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "three.avi", "two.mid", "four.rmi", "five.wav"}), Items());
    EXPECT_EQ((std::vector<PlaylistEntry*>{r[0], r[2], r[1], r[3], r[4]}), Records(window));
    EXPECT_EQ(1, Selection());
    EXPECT_STREQ("C:\\List\\three.avi", GetEntry(window, 1)->path);

    Command(IDC_DOWN);
    Command(IDC_DOWN);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.mid", "four.rmi", "three.avi", "five.wav"}), Items());
    EXPECT_EQ((std::vector<PlaylistEntry*>{r[0], r[1], r[3], r[2], r[4]}), Records(window));
    EXPECT_EQ(3, Selection());

    const std::vector<PlaylistEntry*> before = Records(window);
    UserSelects(window, 0);
    Command(IDC_UP);
    EXPECT_EQ(before, Records(window));
    EXPECT_EQ(0, Selection());
    UserSelects(window, 4);
    Command(IDC_DOWN);
    EXPECT_EQ(before, Records(window));
    EXPECT_EQ(4, Selection());

    UserSelects(window, 1);
    Command(IDC_REMOVE);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "four.rmi", "three.avi", "five.wav"}), Items());
    EXPECT_EQ((std::vector<PlaylistEntry*>{r[0], r[3], r[2], r[4]}), Records(window));
    EXPECT_EQ(-1, Selection());
    EXPECT_FALSE(Enabled(IDC_REMOVE) || Enabled(IDC_UP) || Enabled(IDC_DOWN));
    // With nothing selected the commands, sent all the same, do nothing.
    Command(IDC_REMOVE);
    Command(IDC_UP);
    Command(IDC_DOWN);
    EXPECT_EQ((std::vector<PlaylistEntry*>{r[0], r[3], r[2], r[4]}), Records(window));
    EXPECT_EQ(-1, Selection());
}

TEST_F(Scenario, MovedEntriesKeepTheirCdNumbersAndFullTexts)
{
    Open();
    FakeMediaInsertCd({{2000, 180000}, {182000, 240500}, {422500, 90000}});
    Add("C:\\a.wav");
    Add("D:\\Track03.cda");
    // Only a test can make a display text of the full 259 characters: the
    // mailbox passes at most 258.
    std::string longText(259, 'x');
    longText[0] = 'L';
    longText[258] = 'Z';
    PlaylistEntry* longEntry = static_cast<PlaylistEntry*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PlaylistEntry)));
    longEntry->kind = ENTRY_OTHER;
    longEntry->path = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 16));
    lstrcpyA(longEntry->path, "C:\\long");
    LRESULT at = SendMessageA(List(window), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longText.c_str()));
    SendMessageA(List(window), LB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(longEntry));
    PlaylistEntry* cd = GetEntry(window, 1);
    ASSERT_EQ(ENTRY_CD_TRACK, cd->kind);

    auto expectCd = [&](int index) {
        EXPECT_EQ(cd, GetEntry(window, index));
        EXPECT_EQ(ENTRY_CD_TRACK, cd->kind);
        EXPECT_EQ(422500, cd->startMs);
        EXPECT_EQ(90000, cd->lengthMs);
        EXPECT_EQ("CD track #3", Items()[static_cast<size_t>(index)]);
    };
    UserSelects(window, 1);
    Command(IDC_UP);
    expectCd(0);
    Command(IDC_DOWN);
    Command(IDC_DOWN);
    expectCd(2);

    UserSelects(window, 1);
    Command(IDC_UP);
    EXPECT_EQ(longEntry, GetEntry(window, 0));
    EXPECT_EQ(259, SendMessageA(List(window), LB_GETTEXTLEN, 0, 0));
    EXPECT_EQ(longText, Items()[0]);
    Command(IDC_DOWN);
    EXPECT_EQ(longEntry, GetEntry(window, 1));
    EXPECT_EQ(longText, Items()[1]);
}

// The list is the user's in every play state: it is never disabled, and
// Remove, Up and Down are offered whenever an entry is selected.
TEST_F(Scenario, TheListStaysOpenAndTheButtonsFollowTheSelection)
{
    Open();
    FakeMediaAddFile("C:\\a.wav", 5000);
    Add("C:\\a.wav");
    Add("C:\\b.wav");
    auto editing = [&] {
        return std::vector<bool>{Enabled(IDC_PLAYLIST), Enabled(IDC_REMOVE), Enabled(IDC_UP), Enabled(IDC_DOWN)};
    };
    const std::vector<bool> all{true, true, true, true};
    const std::vector<bool> listOnly{true, false, false, false};
    EXPECT_EQ(listOnly, editing());

    UserSelects(window, 1);
    EXPECT_EQ(all, editing());
    UserSelects(window, -1);
    EXPECT_EQ(listOnly, editing());

    // Playing: the entry that starts is selected, and the user may select another.
    Command(IDM_START);
    Pump();
    ASSERT_EQ(PLAY_PLAYING, g_playState);
    EXPECT_EQ(all, editing());
    UserSelects(window, 1);
    EXPECT_EQ(all, editing());
    Command(IDM_PAUSE);
    UserSelects(window, -1);
    EXPECT_EQ(listOnly, editing());
    UserSelects(window, 0);
    EXPECT_EQ(all, editing());
    Command(IDM_STOP);
    EXPECT_EQ(listOnly, editing()) << "Stop clears the selection";
    Notify(window, LBN_SELCANCEL);
    EXPECT_EQ(listOnly, editing());
}
