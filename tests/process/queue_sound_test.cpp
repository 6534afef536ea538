// The queue edited while it plays and the volume, heard from the real player.
#include "process_harness.h"
#include "hearing.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

LRESULT Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = static_cast<DWORD_PTR>(LB_ERR);
    SendMessageTimeoutA(control, message, wParam, lParam, SMTO_ABORTIFHUNG, ANSWER_WAIT_MS, &result);
    return static_cast<LRESULT>(result);
}

double MedianAmplitude(const std::vector<short>& samples, int hz, int fromMs, int toMs)
{
    const int QUARTER_MS = 250;
    std::vector<double> amplitudes;
    for (int at = fromMs; at + QUARTER_MS <= toMs; at += QUARTER_MS)
        amplitudes.push_back(ToneAmplitudeBetween(samples, hz, at, at + QUARTER_MS));
    if (amplitudes.empty())
        return 0.0;
    std::sort(amplitudes.begin(), amplitudes.end());
    return amplitudes[amplitudes.size() / 2];
}

class QueueSoundTest : public ProcessTest {
protected:
    // Tones of the given pitches and length, queued in a fresh player.
    void Queue(const std::vector<int>& pitches, int toneMs)
    {
        std::string tail;
        for (int hz : pitches) {
            std::string path = TempFolder() + "\\queued" + std::to_string(hz) + ".wav";
            WriteToneWav(path, hz, toneMs);
            paths.push_back(path);
            tail += "\"" + path + "\" ";
        }
        silence = TempFolder() + "\\silence.wav";
        WriteToneWav(silence, 0, 500);
        vireo = StartVireo();
        window = WaitForMainWindow(vireo.pid);
        ASSERT_TRUE(window != NULL);
        Started client = StartProgram("mailbox_client.exe", tail);
        ASSERT_EQ(0, WaitForExit(client));
        CloseStarted(client);
        list = GetDlgItem(window, IDC_PLAYLIST);
    }

    void TearDown() override
    {
        if (window != NULL && IsWindow(window))
            ExitVireo(window, vireo);
        CloseStarted(vireo);
        for (const std::string& path : paths)
            DeleteFileA(path.c_str());
        DeleteFileA(silence.c_str());
        ProcessTest::TearDown();
    }

    // A double click on an item, as the mouse delivers it to the list.
    void DoubleClickItem(int index)
    {
        int height = static_cast<int>(Ask(list, LB_GETITEMHEIGHT, 0, 0));
        int top = static_cast<int>(Ask(list, LB_GETTOPINDEX, 0, 0));
        LPARAM at = MAKELPARAM(20, (index - top) * height + height / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }

    std::string Situation()
    {
        return "status \"" + TextOf(window, IDC_STATUS) + "\", selection " + std::to_string(SelectedIndex(window));
    }

    std::vector<std::string> paths;
    std::string silence;
    Started vireo;
    HWND window = NULL;
    HWND list = NULL;
};

}  // namespace

// Four tones: the second removed while the first plays, the first double-
// clicked while the third plays. Heard: the first, the third cut short, the
// first again from its start, the third and the fourth; never the second.
TEST_F(QueueSoundTest, AnEntryRemovedAndAnotherDoubleClickedWhileItPlaysAreHeardSo)
{
    Queue({440, 660, 880, 1320}, 2000);
    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    ASSERT_TRUE(RecordUntil(recording, [&] { return SelectedIndex(window) == 0; }, 10000)) << Situation();
    RecordFor(recording, 500);
    Ask(list, LB_SETCURSEL, 1, 0);
    PostCommand(window, IDC_REMOVE);
    ASSERT_TRUE(RecordUntil(recording, [&] { return ListItems(window).size() == 3; }, 5000));
    ASSERT_TRUE(RecordUntil(recording, [&] { return SelectedIndex(window) == 1; }, 10000)) << Situation();
    RecordFor(recording, 800);
    DoubleClickItem(0);
    ASSERT_TRUE(RecordUntil(recording, [&] { return TextOf(window, IDC_STATUS) == "Playing queued440.wav"; }, 5000))
        << Situation();
    bool done = RecordUntil(recording, [&] { return TextOf(window, IDC_STATUS) == "Done with playlist."; }, 30000);
    RecordFor(recording, 300);
    StopRecording(recording);
    ASSERT_TRUE(done) << Situation();

    std::vector<ToneRun> tones = FindTones(recording.samples);
    EXPECT_EQ((std::vector<int>{440, 880, 440, 880, 1320}), Pitches(tones)) << Describe(tones);
    std::printf("heard: %s\n", Describe(tones).c_str());
}

// Half the volume, set while a tone plays, is heard at once at about half
// its amplitude.
TEST_F(QueueSoundTest, HalfTheVolumeIsHeardQuieterAtOnce)
{
    const int HZ = 440;
    Queue({HZ}, 5000);
    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    ASSERT_TRUE(RecordUntil(recording, [&] { return SelectedIndex(window) == 0; }, 10000)) << Situation();
    RecordFor(recording, 1500);
    int changedAtMs = RecordedMs(recording);
    for (int i = 0; i < 5; ++i)
        PostCommand(window, IDM_VOLUME_DOWN);
    bool done = RecordUntil(recording, [&] { return TextOf(window, IDC_STATUS) == "Done with playlist."; }, 15000);
    StopRecording(recording);
    ASSERT_TRUE(done) << Situation();

    std::vector<ToneRun> tones = FindTones(recording.samples);
    ASSERT_EQ(std::vector<int>{HZ}, Pitches(tones)) << Describe(tones);
    // Clear of the start, the change and its way through the sound server, and
    // the end; the median of quarter seconds, so that a dropout under load
    // does not count.
    double full = MedianAmplitude(recording.samples, HZ, tones[0].startMs + 200, changedAtMs - 100);
    double half = MedianAmplitude(recording.samples, HZ, changedAtMs + 600, tones[0].endMs - 200);
    std::printf("amplitude %.0f at full volume, %.0f at half (%.2f)\n", full, half, half / full);
    EXPECT_GT(full, 1000.0);
    EXPECT_NEAR(0.5, half / full, 0.1);
}
