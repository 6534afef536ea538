// The platform's own file choosers, opened by the real program: their DLLs
// are loaded only when a chooser first opens, so these are the tests that
// see that load happen. A "user" types a name and presses the button.
#include "process_harness.h"

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"

namespace {

// The chooser's file name box.
const int FILE_NAME_BOX = 1148;

std::string Folder()
{
    return TempFolder("choosers");
}

BOOL CALLBACK MatchEdit(HWND child, LPARAM found)
{
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Edit") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The edit somewhere inside the name box, which is a combo box in a combo box.
HWND FileNameEdit(HWND chooser)
{
    HWND edit = NULL;
    HWND box = GetDlgItem(chooser, FILE_NAME_BOX);
    if (box != NULL)
        EnumChildWindows(box, MatchEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

bool ChooserGone(HWND chooser)
{
    return !IsWindow(chooser) || !IsWindowVisible(chooser);
}

// Opens the chooser with the command, types each text (a folder to go to,
// then names) pressing Open after each, or else presses Cancel. False if
// the chooser never showed or never closed.
bool UseChooser(HWND window, DWORD pid, int command, const char* title, const std::vector<std::string>& typed)
{
    PostCommand(window, command);
    HWND chooser = WaitForDialog(pid, title, 15000, true);
    if (chooser == NULL)
        return false;
    if (typed.empty())
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    for (size_t i = 0; i < typed.size(); ++i) {
        HWND edit = FileNameEdit(chooser);
        if (edit == NULL)
            return false;
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed[i].c_str()));
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
        // A folder typed is gone to before the names that follow.
        if (i + 1 < typed.size())
            Sleep(1000);
    }
    for (int i = 0; i < 100 && !ChooserGone(chooser); ++i)
        Sleep(100);
    return ChooserGone(chooser);
}

size_t s_wantedCount = 0;

bool HasWantedCount(HWND window)
{
    return ListItems(window).size() == s_wantedCount;
}

}  // namespace

TEST_F(ProcessTest, AddChooserOpensAndTypedFilesArriveByTheirLongNamesWhileCancelAddsNothing)
{
    std::string wav = Folder() + "\\Chosen Tone.wav";
    WriteToneWav(wav, 440, 200);
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_NE(nullptr, window);

    EXPECT_TRUE(UseChooser(window, vireo.pid, IDC_ADD, "Choose media file to Vireo", {}));
    EXPECT_TRUE(ListItems(window).empty());

    EXPECT_TRUE(UseChooser(window, vireo.pid, IDC_ADD, "Choose media file to Vireo", {wav}));
    s_wantedCount = 1;
    EXPECT_TRUE(WaitUntil(HasWantedCount, window, 10000));
    EXPECT_EQ((std::vector<std::string>{"Chosen Tone.wav"}), ListItems(window));

    // Several at once, in the order typed, through the preview chooser's
    // Explorer form.
    std::string second = Folder() + "\\Second Tone.wav";
    WriteToneWav(second, 880, 200);
    EXPECT_TRUE(UseChooser(window, vireo.pid, IDC_ADD, "Choose media file to Vireo",
                           {Folder(), "\"Second Tone.wav\" \"Chosen Tone.wav\""}));
    s_wantedCount = 3;
    EXPECT_TRUE(WaitUntil(HasWantedCount, window, 10000));
    EXPECT_EQ((std::vector<std::string>{"Chosen Tone.wav", "Second Tone.wav", "Chosen Tone.wav"}), ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, vireo));
}

TEST_F(ProcessTest, SaveChooserWritesTheListUnderTheAddedExtensionAndLoadChooserBringsItBack)
{
    std::string first = Folder() + "\\one.wav";
    std::string second = Folder() + "\\two.wav";
    WriteToneWav(first, 440, 200);
    WriteToneWav(second, 880, 200);
    std::string source = Folder() + "\\source.VireoList";
    WriteTextFile(source, "[VIREO 1.0]\r\n" + first + "\r\n" + second + "\r\n");
    std::string saved = Folder() + "\\kept";
    DeleteFileA((saved + ".VireoList").c_str());

    Started vireo = StartVireo("/load " + source);
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_NE(nullptr, window);
    s_wantedCount = 2;
    ASSERT_TRUE(WaitUntil(HasWantedCount, window, 10000));

    ASSERT_TRUE(UseChooser(window, vireo.pid, IDM_SAVE_PLAYLIST, "Save current playlist as", {saved}));
    std::string bytes;
    for (int i = 0; i < 50 && bytes.empty(); ++i, Sleep(100))
        bytes = ReadFileBytes(saved + ".VireoList");
    ASSERT_EQ(0u, bytes.find("[VIREO 1.0]\r\n")) << bytes;
    EXPECT_EQ(3, std::count(bytes.begin(), bytes.end(), '\n')) << bytes;
    EXPECT_EQ(0, ExitVireo(window, vireo));

    // From an empty queue: the saved file brings the list back, not the kept queue.
    DeleteKeptQueue();
    Started later = StartVireo();
    window = WaitForMainWindow(later.pid);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(ListItems(window).empty());
    ASSERT_TRUE(UseChooser(window, later.pid, IDM_OPEN_PLAYLIST, "Load playlist", {saved + ".VireoList"}));
    s_wantedCount = 2;
    EXPECT_TRUE(WaitUntil(HasWantedCount, window, 10000));
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.wav"}), ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, later));
}
