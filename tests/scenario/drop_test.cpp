// Files dropped on the main window.
#include "scenario.h"

#include <string>
#include <vector>

TEST_F(Scenario, DroppedFilesPlaylistsAndFoldersJoinTheListInTheOrderGiven)
{
    Open();
    EXPECT_NE(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const std::string folder = ScratchFolder("vireo-drop");
    const std::string album = ScratchFolder("vireo-drop\\album");
    ScratchFolder("vireo-drop\\album\\bonus");
    // mp3 is no chooser kind, but the media layer has it registered, as it
    // has m3u: the folder's playlist is left alone all the same. A folder
    // lists its files in an order of its own (by upper-case code here, so
    // "_intro" after the letters); Vireo takes the order the user sees.
    for (const char* name : {"Z.rmi", "notes.txt", "b side.wav", "cover", "d.mp3", "A.MID", "_intro.wav",
                             "bonus\\inner.wav", "album.m3u"})
        WriteBytes(album + "\\" + name, "");
    const std::string single = folder + "\\single.wav";
    WriteBytes(single, "");
    const std::string list = folder + "\\evening.VireoList";
    WriteBytes(list, "[VIREO 1.0]\r\nD:\\Music\\clip.avi\r\nD:\\Music\\tune.mid\r\n");
    const std::string pls = folder + "\\radio.pls";
    WriteBytes(pls, "[playlist]\r\nFile1=from the radio.wav\r\n");
    const std::string overlong = "C:\\" + std::string(300, 'x') + ".wav";

    // Drops are taken while a list plays, and leave the playing entry alone.
    const std::string playing = folder + "\\playing.wav";
    FakeMediaAddFile(playing, 60000);
    Add(playing.c_str());
    Command(IDM_START);
    Pump();
    ASSERT_EQ(0, Selection());

    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({single, list, pls, album, overlong})), 0);
    Pump();

    EXPECT_EQ((std::vector<std::string>{"playing.wav", "single.wav", "clip.avi", "tune.mid",
                                        "from the radio.wav", "_intro.wav", "A.MID",
                                        "b side.wav", "d.mp3", "Z.rmi"}),
              Items());
    EXPECT_TRUE(FakeMessageBoxes().empty()) << "a dropped playlist is appended without the clear question";
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    EXPECT_EQ(0, Selection());
    EXPECT_EQ(1u, Opened().size());
}
