// Playlist files: the bytes written, how the loader splits what it reads,
// the choosers and the clear-first question.
#include "scenario.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Paths(HWND window)
{
    std::vector<std::string> paths;
    for (int i = 0; i < GetEntryCount(window); ++i)
        paths.push_back(GetEntry(window, i)->path);
    return paths;
}

const char HEADER_MESSAGE[] = "Error: not a Vireo playlist file.";
const char LOAD_FILTER[] = "Playlists (*.VireoList)|*.VireoList|Playlists of other players (*.m3u, *.m3u8, *.pls)|"
                           "*.m3u;*.m3u8;*.pls|All files (*.*)|*.*";
const char SAVE_FILTER[] = "Playlists (*.VireoList)|*.VireoList|M3U8 playlist (*.m3u8)|*.m3u8";
const char CLEAR_QUESTION[] = "Do you want to clear the existing selections first?";

}  // namespace

TEST_F(Scenario, SaveWritesTheHeaderAndFilePathsAndLoadsBackTheFileEntries)
{
    Open();
    const std::string folder = ScratchFolder("vireo-playlists");
    FakeMediaInsertCd({{0, 1000}});
    Add("C:\\Waves\\one.wav");
    Add("D:\\Track01.cda");
    Add("C:\\Waves\\two.wav");
    const std::string saved = folder + "\\saved";
    DeleteFileA((saved + ".VireoList").c_str());
    FakeChooseFile(saved);
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ("[VIREO 1.0]\r\nC:\\Waves\\one.wav\r\nC:\\Waves\\two.wav\r\n", ReadFileBytes(saved + ".VireoList"));
    ASSERT_EQ(1u, FakeChoosers().size());
    // The save chooser, asking before it replaces a file (OFN_OVERWRITEPROMPT).
    ExpectChooser(FakeChoosers()[0], window, false, SAVE_FILTER, "Save current playlist as", 0x806u);
    EXPECT_TRUE(FakeChoosers()[0].save);
    EXPECT_EQ("VireoList", FakeChoosers()[0].defaultExtension);

    // Yes to the question: the list is cleared, then the file's entries come.
    FakeChooseFile(saved + ".VireoList");
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.wav"}), Items());
    EXPECT_EQ((std::vector<std::string>{"C:\\Waves\\one.wav", "C:\\Waves\\two.wav"}), Paths(window));
    ASSERT_EQ(2u, FakeChoosers().size());
    ExpectChooser(FakeChoosers()[1], window, false, LOAD_FILTER, "Load playlist", 0x1804u);
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ(window, FakeMessageBoxes()[0].owner);
    EXPECT_EQ(CLEAR_QUESTION, FakeMessageBoxes()[0].text);
    EXPECT_EQ("Load playlist", FakeMessageBoxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), FakeMessageBoxes()[0].type);

    // No: the loaded entries follow those that stayed.
    FakeChooseFile(saved + ".VireoList");
    FakeAnswerMessageBoxes({IDNO});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.wav", "one.wav", "two.wav"}), Items());
    // A cancelled chooser asks nothing.
    FakeChooseFile("");
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ(2u, FakeMessageBoxes().size());
    EXPECT_EQ(4, GetEntryCount(window));
}

TEST_F(Scenario, SaveKeepsTheChosenNameAsksBeforeReplacingAndNeverLeavesHalfAFile)
{
    Open();
    const std::string folder = ScratchFolder("vireo-playlists");
    Add("C:\\Waves\\one.wav");
    const std::string one = "[VIREO 1.0]\r\nC:\\Waves\\one.wav\r\n";
    // A name that ends in the kind's extension is written as named.
    const std::string a = folder + "\\a.VireoList";
    DeleteFileA((a + ".VireoList").c_str());
    WriteBytes(a, "old");
    FakeChooseFile(a);
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(one, ReadFileBytes(a));
    EXPECT_EQ("<none>", ReadFileBytes(a + ".VireoList"));

    // Another extension gets the kind's; the chooser asked about the name it
    // returned, so Vireo asks about this one.
    const std::string b = folder + "\\b.txt";
    WriteBytes(b + ".m3u8", "old");
    FakeChooseFile(b, 2);
    FakeAnswerMessageBoxes({IDNO});
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ("old", ReadFileBytes(b + ".m3u8"));
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ(b + ".m3u8 already exists.\r\nDo you want to replace it?", FakeMessageBoxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), FakeMessageBoxes()[0].type);
    FakeChooseFile(b, 2);
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(0u, ReadFileBytes(b + ".m3u8").find("#EXTM3U\r\n"));

    // 249 characters and the extension fill the 259 exactly; one more does not fit.
    const std::string stem = folder + "\\" + std::string(249 - folder.size() - 1, 'n');
    ASSERT_EQ(249u, stem.size());
    FakeChooseFile(stem);
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(one, ReadFileBytes(stem + ".VireoList"));
    DeleteFileA((stem + ".VireoList").c_str());
    FakeChooseFile(stem + "m");
    Command(IDM_SAVE_PLAYLIST);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((stem + "m*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "written as " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);

    // A write refused halfway leaves the old file whole, and says so naming it.
    Add("C:\\Waves\\two.wav");
    FakeFilesReset();
    FakeStopFileChangesAfter(1);
    FakeChooseFile(a);
    Command(IDM_SAVE_PLAYLIST);
    FakeFilesReset();
    EXPECT_EQ(one, ReadFileBytes(a));
    ASSERT_EQ(3u, FakeMessageBoxes().size());
    EXPECT_EQ(0u, FakeMessageBoxes()[2].text.find("The playlist could not be saved as " + a + ".\r\n"));
    EXPECT_EQ("Save playlist", FakeMessageBoxes()[2].caption);
    // Where the folder cannot be written at all, the same.
    FakeReadOnlyFolder(folder);
    FakeChooseFile(a);
    Command(IDM_SAVE_PLAYLIST);
    FakeFilesReset();
    EXPECT_EQ(one, ReadFileBytes(a));
    EXPECT_EQ(4u, FakeMessageBoxes().size());
    for (const std::string& name : {a, b + ".m3u8", b})
        DeleteFileA(name.c_str());
}

TEST_F(Scenario, LoadSplitsTheFileTheWayItsLoopReadsIt)
{
    Open();
    const std::string file = ScratchFolder("vireo-playlists") + "\\cases.VireoList";
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> paths;
        bool headerMessage;
    };
    const std::string h = "[VIREO 1.0]";
    const Case cases[] = {
        {"empty file", "", {}, true},
        {"shorter than the header", "[VIREO 1.", {}, true},
        {"header in other case", "[vireo 1.0]\r\nC:\\a.wav\r\n", {}, true},
        {"header alone", h + "\r\n", {}, false},
        {"header without its line end", h, {}, false},
        {"as written", h + "\r\nC:\\a.wav\r\nC:\\b.wav\r\n", {"C:\\a.wav", "C:\\b.wav"}, false},
        {"last line without CR LF", h + "\r\nC:\\a.wav\r\nC:\\b.wav", {"C:\\a.wav", "C:\\b.wav"}, false},
        {"empty line between", h + "\r\nC:\\a.wav\r\n\r\nC:\\b.wav\r\n", {"C:\\a.wav", "\r\nC:\\b.wav"}, false},
        {"empty line at the end", h + "\r\nC:\\a.wav\r\n\r\n", {"C:\\a.wav", "\r\n"}, false},
        {"LF only", h + "\nC:\\a.wav\nC:\\b.wav\n", {":\\a.wav\nC:\\b.wav\n"}, false},
        {"lone CR", h + "\r\nC:\\a.wav\rC:\\b.wav\r\n", {"C:\\a.wav", ":\\b.wav"}, false},
        {"zero byte inside", h + "\r\nC:\\a.wav\r\nC:\\b" + std::string(1, '\0') + ".wav\r\nC:\\c.wav\r\n",
         {"C:\\a.wav", "C:\\b"}, false},
        {"text after the header", h + " extra\r\nC:\\a.wav\r\n", {"xtra", "C:\\a.wav"}, false},
    };
    for (const Case& c : cases) {
        while (GetEntryCount(window) > 0)
            RemoveEntry(window, 0);
        FakeDialogsReset();
        WriteBytes(file, c.bytes);
        LoadPlaylistFile(window, file.c_str());
        EXPECT_EQ(c.paths, Paths(window)) << c.what;
        if (c.headerMessage) {
            ASSERT_EQ(1u, FakeMessageBoxes().size()) << c.what;
            EXPECT_EQ(window, FakeMessageBoxes()[0].owner);
            EXPECT_EQ(HEADER_MESSAGE, FakeMessageBoxes()[0].text);
            EXPECT_EQ("Load playlist", FakeMessageBoxes()[0].caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONWARNING), FakeMessageBoxes()[0].type);
        } else {
            EXPECT_TRUE(FakeMessageBoxes().empty()) << c.what;
        }
    }
    // A path after an empty line is shown by its part after the last backslash.
    while (GetEntryCount(window) > 0)
        RemoveEntry(window, 0);
    WriteBytes(file, h + "\r\nC:\\a.wav\r\n\r\nC:\\b.wav\r\n\r\n");
    LoadPlaylistFile(window, file.c_str());
    EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav", "\r\n"}), Items());
    // A file that cannot be opened: nothing, no message.
    FakeDialogsReset();
    LoadPlaylistFile(window, (ScratchFolder("vireo-playlists") + "\\missing.VireoList").c_str());
    EXPECT_EQ(3, GetEntryCount(window));
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

TEST_F(Scenario, ClearingFirstThenABadFileLeavesAnEmptyListAndTheMessage)
{
    Open();
    const std::string bad = ScratchFolder("vireo-playlists") + "\\bad.VireoList";
    WriteBytes(bad, "C:\\a.wav\r\nC:\\b.wav\r\n");
    Add("C:\\Waves\\one.wav");
    Add("D:\\Track01.cda");
    FakeChooseFile(bad);
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ(0, GetEntryCount(window));
    ASSERT_EQ(2u, FakeMessageBoxes().size());
    EXPECT_EQ(CLEAR_QUESTION, FakeMessageBoxes()[0].text);
    EXPECT_EQ(HEADER_MESSAGE, FakeMessageBoxes()[1].text);
}

// The manifest's code page makes every ...A call speak UTF-8 (Windows 10 1903
// on, and Wine): files named in any language are shown, stored in UTF-8 and
// read back, and lists written by earlier versions in the legacy code page
// still load.
TEST_F(Scenario, NamesInAnyLanguageAreShownStoredInUtf8AndReadBack)
{
    ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP()) << "the manifest's code page is in force";
    Open();
    // Long names are stored whole where the volume has no short ones.
    FakeVolumeWithoutShortNames(true);
    const std::string folder = ScratchFolder(u8"vireo Музыка");
    const std::vector<std::string> names = {u8"Песня.wav", u8"日本語.wav", u8"🎵 tone.wav"};
    std::vector<std::string> paths;
    std::string stored = "[VIREO 1.0]\r\n";
    for (const std::string& name : names) {
        paths.push_back(folder + "\\" + name);
        WriteBytes(paths.back(), "RIFF");
        Add(paths.back().c_str());
        stored += paths.back() + "\r\n";
    }
    EXPECT_EQ(names, Items());
    EXPECT_EQ(paths, Paths(window));

    const std::string saved = folder + u8"\\списки";
    DeleteFileA((saved + ".VireoList").c_str());
    FakeChooseFile(saved);
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(stored, ReadFileBytes(saved + ".VireoList"));
    FakeChooseFile(saved + ".VireoList");
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ(names, Items());
    EXPECT_EQ(paths, Paths(window));

    // Written by an earlier version in code page 1252: "é" is one byte there.
    const std::string legacy = folder + "\\legacy.VireoList";
    WriteBytes(legacy, "[VIREO 1.0]\r\nC:\\Musik\\Caf\xE9.wav\r\nC:\\Musik\\plain.wav\r\n");
    FakeChooseFile(legacy);
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ((std::vector<std::string>{u8"Café.wav", "plain.wav"}), Items());
    EXPECT_EQ((std::vector<std::string>{u8"C:\\Musik\\Café.wav", "C:\\Musik\\plain.wav"}), Paths(window));
    for (const std::string& path : paths)
        DeleteFileA(path.c_str());
    DeleteFileA((saved + ".VireoList").c_str());
    DeleteFileA(legacy.c_str());
}
