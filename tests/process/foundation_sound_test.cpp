// The kinds only Media Foundation opens on Windows, heard in the order an
// .m3u8 lists them, an MP3 among them: under Wine the media control
// interface lacks them too (its list of kinds has none of them), so they
// take the second way while the MP3 takes the first. Then again with the
// interface's MPEG driver switched off, as on a system whose media control
// interface opens none of them: all five through Media Foundation.
#include "process_harness.h"
#include "hearing.h"

#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

const int TONE_MS = 2000;
const char* const FILES[] = {"tone440.flac", "tone660.m4a", "tone550.m4a", "tone1320.opus", "tone880.mp3"};
// The same order: FLAC, M4A with AAC, M4A with ALAC, Opus, MP3.
const std::vector<int> PITCHES = {440, 660, 550, 1320, 880};

// Wine's own switch for a DLL, per program: an empty value turns it off.
// (WINEDLLOVERRIDES set in this process would not reach the programs it
// starts: Wine takes its own variables from the Unix environment.)
const char* const PROGRAMS_WITHOUT_MPEG_DRIVER[] = {"vireo.exe", "mci_probe.exe"};

void SwitchMpegDriverOff(bool off)
{
    for (const char* program : PROGRAMS_WITHOUT_MPEG_DRIVER) {
        std::string key = std::string("Software\\Wine\\AppDefaults\\") + program;
        if (!off) {
            RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str());
            RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
            continue;
        }
        HKEY overrides;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str(), 0, NULL, 0, KEY_WRITE, NULL,
                            &overrides, NULL) == ERROR_SUCCESS) {
            RegSetValueExA(overrides, "mciqtz32", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
            RegCloseKey(overrides);
        }
    }
}

class FoundationSoundTest : public ProcessTest {
protected:
    // Records a first start that plays the list and exits at its end.
    void HearTheListInOrder(const char* label)
    {
        const std::string folder = TempFolder("foundation-play");
        std::string list = "#EXTM3U\r\n";
        for (const char* name : FILES) {
            ASSERT_TRUE(CopyFileA((BuildFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE))
                << name << " is built beside the tests";
            list += std::string(name) + "\r\n";
        }
        WriteTextFile(folder + "\\evening.m3u8", list);
        const std::string silence = TempFolder() + "\\silence.wav";
        WriteToneWav(silence, 0, 500);

        Recording recording;
        ASSERT_TRUE(StartRecording(recording)) << "no recording device";
        ASSERT_TRUE(WakeRecording(recording, silence));
        Started vireo = StartVireo("/play " + folder + "\\evening.m3u8");
        HWND window = WaitForMainWindow(vireo.pid);
        bool ended = RecordUntil(
            recording, [&] { return WaitForSingleObject(vireo.process, 0) == WAIT_OBJECT_0; }, 60000);
        RecordFor(recording, 300);
        StopRecording(recording);
        EXPECT_TRUE(ended) << "still playing after 60 s: status \"" << TextOf(window, IDC_STATUS) << "\", time \""
                           << TextOf(window, IDC_TIME) << "\", selection " << SelectedIndex(window);
        EXPECT_EQ(0, WaitForExit(vireo));
        CloseStarted(vireo);

        std::vector<ToneRun> tones = FindTones(recording.samples, PITCHES);
        EXPECT_EQ(PITCHES, Pitches(tones)) << Describe(tones);
        for (const ToneRun& run : tones)
            EXPECT_GE(run.endMs - run.startMs, TONE_MS * 3 / 4) << "cut short: " << Describe(tones);
        std::printf("%s: %s\n", label, Describe(tones).c_str());
    }
};

}  // namespace

TEST_F(FoundationSoundTest, FlacM4aOpusAndMp3PlayInTheListsOrder)
{
    HearTheListInOrder("both ways");
}

TEST_F(FoundationSoundTest, WithoutTheMediaControlInterfacesMpegDriverAllPlayThroughMediaFoundation)
{
    SwitchMpegDriverOff(true);
    Started probe = StartProgram("mci_probe.exe", BuildFolder() + "\\tone880.mp3");
    EXPECT_NE(0, WaitForExit(probe)) << "the media control interface still opens an MP3";
    CloseStarted(probe);
    HearTheListInOrder("Media Foundation alone");
    SwitchMpegDriverOff(false);
}
