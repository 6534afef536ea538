// Other players' playlists: M3U, M3U8 and PLS read through every door, and
// M3U8 written.
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

void ClearList(HWND window)
{
    while (GetEntryCount(window) > 0)
        RemoveEntry(window, 0);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return "<none>";
    char chunk[512];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, n);
    fclose(file);
    return bytes;
}

// The lines of a text, split at CR LF.
std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

bool SameCase(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

const char PASSED_OVER_2[] = "Passed over 2 lines that name nothing Vireo can play.";

}  // namespace

// Relative paths start from the playlist's folder, file: URLs are decoded,
// what cannot be played is passed over and counted, and no line, however
// hostile, stops the load or the good lines after it.
TEST_F(Scenario, OtherPlayersListsReadTheirPathsAndCountWhatIsPassedOver)
{
    ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP()) << "the manifest's code page is in force";
    Open();
    const std::string folder = ScratchFolder("vireo-other-lists");
    const std::string lists = ScratchFolder("vireo-other-lists\\lists");
    const std::string drive = folder.substr(0, 2);
    const std::string m3u = lists + "\\mix.m3u";
    WriteBytes(m3u, "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:4,Tone\r\nsub/a.wav\r\n\r\n..\\up.wav\r\\root\\r.wav\n"
                    "file:///C:/My%20Music/u%C3%A9.mp3\nhttp://radio.example/live\r\nCaf\xE9.wav\r\n"
                    "file:///D:/Caf%E9.wav\r\nmms://stream.example/x\r\n");
    FakeChooseFile(m3u);
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ((std::vector<std::string>{lists + "\\sub\\a.wav", folder + "\\up.wav", drive + "\\root\\r.wav",
                                        u8"C:\\My Music\\ué.mp3", lists + u8"\\Café.wav", u8"D:\\Café.wav"}),
              Paths(window));
    EXPECT_EQ(PASSED_OVER_2, Status());
    EXPECT_TRUE(FakeMessageBoxes().empty());

    // PLS: by the number of each FileN, whatever the count says.
    ClearList(window);
    const std::string pls = lists + "\\radio.pls";
    WriteBytes(pls, "[playlist]\r\nNumberOfEntries=7\r\nFile3=c.wav\r\nTitle3=C\r\nFile1=..\\a.wav\r\n"
                    "File2=https://radio.example/x\r\nLength1=-1\r\nVersion=2\r\n");
    LoadPlaylistFile(window, pls.c_str());
    EXPECT_EQ((std::vector<std::string>{folder + "\\a.wav", lists + "\\c.wav"}), Paths(window));
    EXPECT_EQ("Passed over 1 line that names nothing Vireo can play.", Status());

    // Without its header a .pls is refused as any other file that is none.
    ClearList(window);
    WriteBytes(lists + "\\bad.pls", "File1=a.wav\r\n");
    LoadPlaylistFile(window, (lists + "\\bad.pls").c_str());
    EXPECT_EQ(0, GetEntryCount(window));
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ("Error: not a Vireo playlist file.", FakeMessageBoxes()[0].text);
    EXPECT_EQ("Load playlist", FakeMessageBoxes()[0].caption);

    // A megabyte line, zero bytes, another playlist, %00, a million comment
    // lines: passed over or skipped, and the good lines kept in order.
    std::string hostile = "first.wav\n" + std::string(1 << 20, 'x') + "\n" + std::string("a\0b.wav\n", 8) +
                          "other.m3u\nfile:///C:/%00.wav\n";
    for (int i = 0; i < 1000000; ++i)
        hostile += "#\n";
    hostile += "..\\..\\..\\..\\..\\..\\..\\..\\last.wav";
    WriteBytes(lists + "\\hostile.m3u8", hostile);
    LoadPlaylistFile(window, (lists + "\\hostile.m3u8").c_str());
    EXPECT_EQ((std::vector<std::string>{lists + "\\first.wav", drive + "\\last.wav"}), Paths(window));
    EXPECT_EQ("Passed over 4 lines that name nothing Vireo can play.", Status());
}

// The command line (the bare path, relative to the current folder, or
// quoted), and the quoted list Explorer hands over, all load a playlist.
TEST_F(Scenario, EveryDoorLoadsAPlaylistOfAnotherPlayer)
{
    const std::string lists = ScratchFolder("vireo-other-doors");
    WriteBytes(lists + "\\one.pls", "[playlist]\nFile1=one.wav\n");
    WriteBytes(lists + "\\two.m3u", "two.wav\nhttp://radio.example/\nftp://x/y\n");
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(lists.c_str()));
    Open("one.pls");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ((std::vector<std::string>{lists + "\\one.wav"}), Paths(window));
    ApplyRequest(window, ("\"" + lists + "\\two.m3u\" \"" + lists + "\\one.pls\"").c_str());
    EXPECT_EQ((std::vector<std::string>{lists + "\\one.wav", lists + "\\two.wav", lists + "\\one.wav"}),
              Paths(window));
    ApplyRequest(window, ("/load " + lists + "\\two.m3u").c_str());
    EXPECT_EQ(4, GetEntryCount(window));
    EXPECT_EQ(PASSED_OVER_2, Status());
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

// The second kind of the save chooser, or a name ending in .m3u8, writes
// M3U8: the header, then each file's full path in its long form, in UTF-8,
// CR LF after each; CD tracks are left out as in Vireo's own lists.
TEST_F(Scenario, SaveAsM3u8WritesFullLongPathsThatLoadBack)
{
    Open();
    const std::string folder = ScratchFolder("vireo m3u8 Long Folder");
    const std::string names[] = {"A Long Name.wav", u8"Песня tone.wav"};
    FakeMediaInsertCd({{0, 1000}});
    for (const std::string& name : names) {
        WriteBytes(folder + "\\" + name, "RIFF");
        Add((folder + "\\" + name).c_str());
        Add("D:\\Track01.cda");
    }
    Add("C:\\Waves\\missing one.wav");
    ASSERT_NE(folder + "\\" + names[0], GetEntry(window, 0)->path) << "stored in its short form";

    const std::string saved = folder + "\\mix";
    DeleteFileA((saved + ".m3u8").c_str());
    FakeChooseFile(saved, 2);
    Command(IDM_SAVE_PLAYLIST);
    std::vector<std::string> lines = CrLfLines(ReadBytes(saved + ".m3u8"));
    // Each path after its #EXTINF line: the length not known, the title.
    ASSERT_EQ(7u, lines.size()) << ReadBytes(saved + ".m3u8");
    EXPECT_EQ("#EXTM3U", lines[0]);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ("#EXTINF:-1," + names[i], lines[1 + 2 * i]);
        EXPECT_PRED2(SameCase, folder + "\\" + names[i], lines[2 + 2 * i]);
        EXPECT_EQ(names[i], lines[2 + 2 * i].substr(lines[2 + 2 * i].rfind('\\') + 1))
            << "the long name as the disk has it";
    }
    EXPECT_EQ("#EXTINF:-1,missing one.wav", lines[5]);
    EXPECT_EQ("C:\\Waves\\missing one.wav", lines[6]);
    EXPECT_EQ('\n', ReadBytes(saved + ".m3u8").back());

    // Typed with its extension, in any case, under the first kind.
    const std::string typed = folder + "\\typed.M3U8";
    DeleteFileA(typed.c_str());
    FakeChooseFile(typed, 1);
    Command(IDM_SAVE_PLAYLIST);
    EXPECT_EQ(ReadBytes(saved + ".m3u8"), ReadBytes(typed));
    EXPECT_EQ("<none>", ReadBytes(typed + ".VireoList"));

    FakeChooseFile(typed);
    FakeAnswerMessageBoxes({IDYES});
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ((std::vector<std::string>{names[0], names[1], "missing one.wav"}), Items());
    for (const std::string& name : names)
        DeleteFileA((folder + "\\" + name).c_str());
}
