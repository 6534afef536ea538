// Titles and lengths of files as other programs make them (lame's tagged VBR
// MP3, a FLAC with Vorbis comments from sox, GStreamer's Opus, a wave),
// added to a running player: the titles, the line under the list and its
// change while an entry plays; and after a restart with the files gone, the
// titles and lengths still there.
#include "process_harness.h"

#include <string>
#include <vector>

#include "resource.h"

namespace {

const char SUMMARY_ADDED[] = "4 entries, 0:14";

std::string Summary(HWND window)
{
    return ControlText(window, IDC_QUEUE_SUMMARY);
}

// "4 entries, 0:14, 0:11 left": the seconds left.
int SecondsLeft(const std::string& summary)
{
    size_t left = summary.rfind(" left");
    size_t colon = summary.rfind(':', left);
    if (left == std::string::npos || colon == std::string::npos || colon < 2)
        return -1;
    return std::stoi(summary.substr(colon - 1, 1)) * 60 + std::stoi(summary.substr(colon + 1, 2));
}

}  // namespace

TEST_F(ProcessTest, TitlesAndLengthsOfRealFilesShowAndOutliveTheFiles)
{
    const std::string folder = TempFolder("titled media");
    std::vector<std::string> paths = {folder + "\\tone.wav", folder + "\\titled.mp3", folder + "\\titled.flac",
                                      folder + "\\tone1320.opus"};
    WriteToneWav(paths[0], 440, 3000);
    for (size_t i = 1; i < paths.size(); ++i)
        ASSERT_TRUE(CopyFileA((BuildFolder() + "\\" + paths[i].substr(folder.size() + 1)).c_str(), paths[i].c_str(),
                              FALSE))
            << "built beside the tests: " << paths[i];
    const std::vector<std::string> titles = {"tone.wav", "The Quiet Tide - Harbour Bells", "Marsh Choir - Slow River",
                                             "tone1320.opus"};

    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    std::string tail;
    for (const std::string& path : paths)
        tail += "\"" + path + "\" ";
    Started client = StartProgram("mailbox_client.exe", tail);
    EXPECT_EQ(0, WaitForExit(client));
    CloseStarted(client);
    EXPECT_TRUE(WaitUntil([](HWND w) { return Summary(w) == SUMMARY_ADDED; }, window, 20000)) << Summary(window);
    EXPECT_EQ(titles, ListItems(window));

    // While the wave plays, what is left counts down.
    PostCommand(window, IDM_START);
    EXPECT_TRUE(WaitUntil([](HWND w) { return SecondsLeft(Summary(w)) >= 0; }, window, 10000)) << Summary(window);
    int before = SecondsLeft(Summary(window));
    Sleep(2200);
    int after = SecondsLeft(Summary(window));
    EXPECT_GE(before, 11) << Summary(window);
    EXPECT_LT(after, before) << Summary(window);
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);

    // The files moved away: what was read of them comes back with the queue.
    const std::string away = folder + " away";
    RemoveDirectoryA(away.c_str());
    ASSERT_TRUE(MoveFileA(folder.c_str(), away.c_str()));
    vireo = StartVireo();
    window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_TRUE(WaitUntil([](HWND w) { return Summary(w) == SUMMARY_ADDED; }, window, 10000)) << Summary(window);
    EXPECT_EQ(titles, ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    for (const std::string& path : paths)
        DeleteFileA((away + path.substr(folder.size())).c_str());
    RemoveDirectoryA(away.c_str());
}
