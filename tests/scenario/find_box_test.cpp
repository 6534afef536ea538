// The find box over the real main window: opened by its keys, filtered as
// the user types, its choice played or selected in the queue.
#include "playback_scenario.h"

#include <string>
#include <vector>

namespace {

class FindBoxScenario : public PlaybackScenario {
protected:
    void TearDown() override
    {
        FakeAnsiOnlyLowering(false);
        PlaybackScenario::TearDown();
    }

    HWND Box() { return FindWindowA("#32770", "Find in queue"); }
    HWND List() { return GetDlgItem(window, IDC_PLAYLIST); }
    HWND Query() { return GetDlgItem(Box(), IDC_FIND_TEXT); }

    // A key as the main loop takes it from the queue, with Shift or Ctrl held.
    void Press(HWND target, WPARAM key, BYTE held = 0)
    {
        BYTE state[256] = {};
        if (held != 0)
            state[held] = 0x80;
        SetKeyboardState(state);
        LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
        PostMessageA(target, WM_KEYDOWN, key, scan | 1);
        Pump();
        BYTE none[256] = {};
        SetKeyboardState(none);
    }

    void Type(const std::string& text)
    {
        SetWindowTextA(Query(), text.c_str());
        Pump();
    }

    // The rows' texts, as a screen reader reads them.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> shown;
        HWND rows = GetDlgItem(Box(), IDC_FIND_MATCHES);
        int count = static_cast<int>(SendMessageA(rows, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            char text[TEXT_CAPACITY];
            GetListItemText(rows, row, text);
            shown.push_back(text);
        }
        return shown;
    }

    std::string CountText()
    {
        char text[128] = "";
        GetDlgItemTextA(Box(), IDC_FIND_COUNT, text, sizeof text);
        return text;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(FindBoxScenario, JAndCtrlFOpenItOverTheListAndEscClosesIt)
{
    OpenRecording();
    AddFile("jazz.wav");
    AddFile("blues.wav");
    UserSelects(1);
    ASSERT_EQ(NULL, Box());

    Press(List(), 'J');
    ASSERT_NE(nullptr, Box()) << "J in the list";
    EXPECT_EQ(window, GetParent(Box())) << "owned by the window";
    EXPECT_TRUE(IsWindowVisible(Box()));
    RECT list, box;
    GetWindowRect(List(), &list);
    GetWindowRect(Box(), &box);
    EXPECT_EQ(list.left, box.left);
    EXPECT_EQ(list.top, box.top);
    EXPECT_EQ(1, Selection()) << "the list's type-ahead never saw the J";
    EXPECT_EQ(Query(), GetFocus());
    EXPECT_EQ((Names{"jazz.wav", "blues.wav"}), Shown()) << "every entry before a key";

    // A J typed into the query is a letter there, not the window's shortcut.
    Press(Query(), 'J');
    char typed[16] = "";
    GetWindowTextA(Query(), typed, sizeof typed);
    EXPECT_STREQ("j", typed);
    EXPECT_EQ((Names{"jazz.wav"}), Shown());

    Press(Query(), VK_ESCAPE);
    EXPECT_EQ(NULL, Box());
    EXPECT_EQ(1, Selection());

    Press(List(), 'F', VK_CONTROL);
    ASSERT_NE(nullptr, Box()) << "Ctrl+F";
    Press(Query(), VK_ESCAPE);
    EXPECT_EQ(NULL, Box());
    Press(GetDlgItem(window, IDM_START), 'F');
    EXPECT_EQ(NULL, Box()) << "F alone is no shortcut";

    char item[64] = "";
    GetMenuStringA(GetMenu(window), IDM_FIND_ENTRY, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ("&Find in queue...\tCtrl+F", item);
    Command(IDM_FIND_ENTRY);
    ASSERT_NE(nullptr, Box()) << "the menu's item";
    Command(IDCANCEL);
    EXPECT_EQ(NULL, Box()) << "hiding the window closes it";
}

// Titles, file names and folders, in any case and script: the folder and
// name by their long forms, though the queue keeps the short ones; a CD
// track by its text alone.
TEST_F(FindBoxScenario, TypingFiltersByTitleFileNameAndFolderInAnyCaseAndScript)
{
    OpenRecording();
    const std::string folder = ScratchFolder(u8"vireo Вечерняя музыка");
    const std::string song = folder + u8"\\Песня для вечера.wav";
    const std::string japanese = folder + u8"\\日本語の歌.wav";
    for (const std::string& path : {song, japanese}) {
        WriteBytes(path, "RIFF");
        Add(path.c_str());
    }
    AddFile("Evening Raga\\tone.wav");
    Add("D:\\Track01.cda");
    AddFile("plain.wav");
    Pump();
    ASSERT_NE(std::string::npos, std::string(GetEntry(window, 0)->path).find('~')) << "the queue keeps short forms";
    Command(IDM_FIND_ENTRY);
    ASSERT_NE(nullptr, Box());

    const std::string song_ = u8"Песня для вечера.wav";
    const std::string japanese_ = u8"日本語の歌.wav";
    Type(u8"ПЕСНЯ");
    EXPECT_EQ((Names{song_}), Shown()) << "title, Cyrillic in another case";
    EXPECT_EQ("1 of 5 entries", CountText());
    Type(u8"ВЕЧЕРНЯЯ МУЗЫКА");
    EXPECT_EQ((Names{song_, japanese_}), Shown()) << "folder";
    Type(u8"の歌");
    EXPECT_EQ((Names{japanese_}), Shown());
    Type("eVeNiNg");
    EXPECT_EQ((Names{"tone.wav"}), Shown()) << "folder of a name the disk does not have";
    Type("TONE.WAV");
    EXPECT_EQ((Names{"tone.wav"}), Shown()) << "file name";
    Type("CD TRACK");
    EXPECT_EQ((Names{"CD track #1"}), Shown());
    Type("track01");
    EXPECT_EQ(Names{}, Shown()) << "a CD track has no path to match";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Box(), IDOK)));
    EXPECT_EQ("0 of 5 entries", CountText());
    for (const std::string& path : {song, japanese})
        DeleteFileA(path.c_str());
}

// 95, 98 and ME lower nothing in UTF-16: the ANSI texts are lowered instead.
TEST_F(FindBoxScenario, WithoutWideLoweringTheAnsiTextsAreLowered)
{
    FakeAnsiOnlyLowering(true);
    OpenRecording();
    AddFile(u8"Café Olé.wav");
    AddFile("plain.wav");
    Command(IDM_FIND_ENTRY);
    Type(u8"CAFÉ OLÉ");
    EXPECT_EQ((Names{u8"Café Olé.wav"}), Shown());
    Type("PLAIN");
    EXPECT_EQ((Names{"plain.wav"}), Shown());
}

TEST_F(FindBoxScenario, EnterPlaysTheChoiceAndSelectOnlySelectsIt)
{
    OpenRecording();
    AddFiles(6);
    Command(IDM_FIND_ENTRY);
    Type("E");
    Press(Query(), VK_DOWN);
    Press(Query(), VK_DOWN);
    Press(Query(), VK_RETURN);
    EXPECT_EQ(NULL, Box());
    EXPECT_EQ((Names{"e2.wav"}), OpenedNames()) << "the arrows move through the rows from the query";
    EXPECT_EQ(static_cast<int>(PLAY_PLAYING), g_playState);
    EXPECT_EQ(2, Selection());

    Command(IDM_FIND_ENTRY);
    Type("e4");
    SendMessageA(Box(), WM_COMMAND, MAKEWPARAM(IDC_FIND_SELECT, BN_CLICKED), 0);
    Pump();
    EXPECT_EQ(NULL, Box());
    EXPECT_EQ(4, Selection());
    EXPECT_EQ(List(), GetFocus());
    EXPECT_EQ((Names{"e2.wav"}), OpenedNames()) << "Select plays nothing";

    Command(IDM_FIND_ENTRY);
    Type("e5");
    Press(Query(), VK_RETURN, VK_SHIFT);
    EXPECT_EQ(NULL, Box());
    EXPECT_EQ(5, Selection());
    EXPECT_EQ("e2.wav", CurrentName()) << "Shift+Enter selects too";
}

// The box stays open while the queue is edited: a choice is taken in the
// queue as it is now, and never falls on another entry.
TEST_F(FindBoxScenario, TheQueueChangingUnderTheBoxNeverPlaysAnotherEntry)
{
    OpenRecording();
    AddFiles(4);
    Command(IDM_FIND_ENTRY);
    Type("e3");
    UserSelects(3);
    Command(IDC_UP);
    UserSelects(1);
    Command(IDC_REMOVE);
    EXPECT_EQ((Names{"e3.wav"}), Shown());
    Press(Query(), VK_RETURN);
    EXPECT_EQ((Names{"e3.wav"}), OpenedNames()) << "moved up, then up again by a removal";
    EXPECT_EQ(1, Selection());

    Command(IDM_FIND_ENTRY);
    Type("e2");
    UserSelects(2);
    Command(IDC_REMOVE);
    Press(Query(), VK_RETURN);
    EXPECT_NE(nullptr, Box()) << "its entry is gone: nothing is played";
    EXPECT_EQ((Names{"e3.wav"}), OpenedNames());
    EXPECT_EQ(Names{}, Shown()) << "shown again at the removal";

    AddFile("e2.wav");
    Press(Query(), VK_RETURN);
    EXPECT_EQ((Names{"e3.wav"}), OpenedNames()) << "nor one that came while no row was chosen";
    // The box's own timer, which the fixture's pump leaves alone.
    Sleep(400);
    MSG tick;
    while (PeekMessageA(&tick, Box(), WM_TIMER, WM_TIMER, PM_REMOVE))
        DispatchMessageA(&tick);
    EXPECT_EQ((Names{"e2.wav"}), Shown()) << "shown once the changes pause";

    UserSelects(0);
    Command(IDC_REMOVE);
    Type("E");
    EXPECT_EQ((Names{"e3.wav", "e2.wav"}), Shown()) << "a key shows the queue as it is";
    Press(Query(), VK_DOWN);
    Press(Query(), VK_RETURN);
    EXPECT_EQ((Names{"e3.wav", "e2.wav"}), OpenedNames());
}

// However long the queue, a key fills a thousand rows at most, and says so.
TEST_F(FindBoxScenario, AThousandRowsAtMost)
{
    Open();
    // Put in the list directly, drawn once: the mailbox takes a while for so many.
    SendMessageA(List(), WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < 1001; ++i) {
        std::string path = "C:\\Many\\m" + std::to_string(i) + ".wav";
        AppendListItem(List(), path.c_str() + 8, NewFileEntry(ENTRY_WAVE, path.c_str()));
    }
    SendMessageA(List(), WM_SETREDRAW, TRUE, 0);
    Command(IDM_FIND_ENTRY);
    EXPECT_EQ(1000, SendDlgItemMessageA(Box(), IDC_FIND_MATCHES, LB_GETCOUNT, 0, 0));
    EXPECT_EQ("1001 of 1001 entries, first 1000 shown", CountText());
    Type("m1000");
    EXPECT_EQ((Names{"m1000.wav"}), Shown());
}
