// Real playback under the platform's media layer, heard back from the sound
// server (hearing.h).
#include "process_harness.h"
#include "hearing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

const int TONE_MS = 2000;
const int PITCHES[] = {440, 880, 1320};

class SoundTest : public ProcessTest {
protected:
    void SetUp() override
    {
        ProcessTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            paths[i] = TempFolder() + "\\tone" + std::to_string(PITCHES[i]) + ".wav";
            WriteToneWav(paths[i], PITCHES[i], TONE_MS);
        }
        silence = TempFolder() + "\\silence.wav";
        WriteToneWav(silence, 0, 500);
        vireo = StartVireo();
        window = WaitForMainWindow(vireo.pid);
        ASSERT_TRUE(window != NULL);
        Started client =
            StartProgram("mailbox_client.exe", "\"" + paths[0] + "\" \"" + paths[1] + "\" \"" + paths[2] + "\"");
        ASSERT_EQ(0, WaitForExit(client));
        CloseStarted(client);
        ASSERT_EQ((std::vector<std::string>{"tone440.wav", "tone880.wav", "tone1320.wav"}), ListItems(window));
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

    // What the player shows, or how it ended, for a failed wait.
    std::string Situation()
    {
        DWORD code = 0;
        if (vireo.process != NULL && WaitForSingleObject(vireo.process, 0) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(vireo.process, &code))
            return "vireo.exe ended with code " + std::to_string(code);
        return "status \"" + TextOf(window, IDC_STATUS) + "\", pause label \"" +
               TextOf(window, IDM_PAUSE) + "\", selection " + std::to_string(SelectedIndex(window));
    }

    bool StatusIs(const char* text) { return TextOf(window, IDC_STATUS) == text; }

    // Records until the list is done and a moment after, then stops: whether it got done.
    bool RecordToTheEnd(Recording& recording, DWORD timeoutMs)
    {
        bool done = RecordUntil(recording, [&] { return StatusIs("Done with playlist."); }, timeoutMs);
        RecordFor(recording, 300);
        StopRecording(recording);
        return done;
    }

    bool CuedAt(int index)
    {
        return TextOf(window, IDM_PAUSE) == "&Play next" && SelectedIndex(window) == index;
    }

    std::string paths[3];
    std::string silence;
    Started vireo;
    HWND window = NULL;
};

}  // namespace

TEST_F(SoundTest, ThreePitchesPlayInListOrder)
{
    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    ASSERT_TRUE(RecordToTheEnd(recording, 30000)) << Situation();

    std::vector<ToneRun> tones = FindTones(recording.samples);
    ASSERT_EQ((std::vector<int>{440, 880, 1320}), Pitches(tones)) << Describe(tones);
    // Each entry is heard whole: none cut short or skipped into.
    for (const ToneRun& run : tones)
        EXPECT_GE(run.endMs - run.startMs, TONE_MS * 3 / 4) << Describe(tones);
    std::vector<double> gaps;
    for (size_t i = 1; i < tones.size(); ++i)
        gaps.push_back(SilenceAround(recording.samples, tones[i - 1].endMs, tones[i].startMs));
    std::printf("silence between entries: %.1f ms and %.1f ms (worst %.1f ms); %s\n", gaps[0], gaps[1],
                std::max(gaps[0], gaps[1]), Describe(tones).c_str());
}

TEST_F(SoundTest, CueModeHoldsEachNextEntryUntilResumed)
{
    const DWORD HOLD_MS = 1500;
    PostCommand(window, IDM_CUE_MODE);
    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    ASSERT_TRUE(RecordUntil(recording, [&] { return CuedAt(1); }, 15000)) << Situation();
    EXPECT_EQ("Playback paused.", TextOf(window, IDC_STATUS));
    RecordFor(recording, HOLD_MS);
    PostCommand(window, IDM_PAUSE);
    ASSERT_TRUE(RecordUntil(recording, [&] { return CuedAt(2); }, 15000)) << Situation();
    RecordFor(recording, HOLD_MS);
    PostCommand(window, IDM_PAUSE);
    ASSERT_TRUE(RecordToTheEnd(recording, 15000)) << Situation();

    std::vector<ToneRun> tones = FindTones(recording.samples);
    ASSERT_EQ((std::vector<int>{440, 880, 1320}), Pitches(tones)) << Describe(tones);
    // Nothing of a held pitch sounds before the resume: each follows a silence
    // of about the hold (less the sound server's latency), and in one piece.
    for (int gap : Gaps(tones))
        EXPECT_GE(gap, static_cast<int>(HOLD_MS / 2)) << Describe(tones);
    std::printf("cue mode: %s\n", Describe(tones).c_str());
}

// Every end of the list closes the device right after its end notice, with
// nothing opened after it: the driver must not go while its play thread
// still runs (under Wine this took the player down every few dozen ends).
TEST_F(ProcessTest, ManyEndsOfTheListLeaveThePlayerRunning)
{
    const int CYCLES = 25;
    std::string path = TempFolder() + "\\blip.wav";
    WriteToneWav(path, 660, 150);
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    Started client = StartProgram("mailbox_client.exe", "\"" + path + "\"");
    ASSERT_EQ(0, WaitForExit(client));
    CloseStarted(client);
    HWND status = GetDlgItem(window, IDC_STATUS);
    int ended = 0;
    for (; ended < CYCLES; ++ended) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-"), SMTO_ABORTIFHUNG, ANSWER_WAIT_MS,
                            &result);
        PostCommand(window, IDM_START);
        if (!WaitUntil([](HWND w) { return TextOf(w, IDC_STATUS) == "Done with playlist."; }, window, 5000))
            break;
        Sleep(300);  // the driver's thread is done with by now
    }
    EXPECT_EQ(CYCLES, ended) << "status \"" << TextOf(window, IDC_STATUS) << "\"";
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(vireo.process, 0));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    DeleteFileA(path.c_str());
}

namespace {

std::wstring Wide(const std::string& text, UINT codePage = CP_ACP)
{
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

std::string Utf8(const std::wstring& text)
{
    char bytes[3 * MAX_PATH];
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, NULL, NULL);
    return bytes;
}

// Vireo started again with a Unicode command line, as Explorer starts it.
int ForwardW(const std::wstring& tail)
{
    Started later = StartExeW(BuildFolder() + "\\vireo.exe", tail);
    int code = WaitForExit(later);
    CloseStarted(later);
    return code;
}

}  // namespace

// Files named in any language, in a folder with a blank: forwarded by later
// starts and through a playlist file, shown by their own names and heard.
TEST_F(ProcessTest, FilesNamedInAnyLanguageArriveByTheirNamesAndPlay)
{
    const std::wstring folder = Wide(TempFolder()) + L"\\Music \u0424\u0430\u0439\u043b\u044b";
    CreateDirectoryW(folder.c_str(), NULL);
    const std::wstring names[3] = {L"\u041f\u0435\u0441\u043d\u044f.wav", L"\u65e5\u672c\u8a9e.wav",
                                   L"\U0001F3B5 tone.wav"};
    for (int i = 0; i < 3; ++i) {
        std::string made = TempFolder() + "\\named" + std::to_string(i) + ".wav";
        WriteToneWav(made, PITCHES[i], TONE_MS);
        ASSERT_TRUE(MoveFileExW(Wide(made).c_str(), (folder + L"\\" + names[i]).c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    const std::wstring list = folder + L"\\\u0441\u043f\u0438\u0441\u043e\u043a.VireoList";
    HANDLE file = CreateFileW(list.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string stored = "[VIREO 1.0]\r\n" + Utf8(folder + L"\\" + names[1]) + "\r\n";
    DWORD written = 0;
    WriteFile(file, stored.data(), static_cast<DWORD>(stored.size()), &written, NULL);
    CloseHandle(file);
    std::string silence = TempFolder() + "\\silence.wav";
    WriteToneWav(silence, 0, 500);

    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ(0, ForwardW(L"\"" + folder + L"\\" + names[0] + L"\""));
    EXPECT_EQ(0, ForwardW(L"/load \"" + list + L"\""));
    EXPECT_EQ(0, ForwardW(L"\"" + folder + L"\\" + names[2] + L"\""));
    EXPECT_EQ((std::vector<std::string>{Utf8(names[0]), Utf8(names[1]), Utf8(names[2])}),
              ListItems(window, CP_UTF8));

    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    PostCommand(window, IDM_START);
    bool done = RecordUntil(recording, [&] { return TextOf(window, IDC_STATUS) == "Done with playlist."; }, 30000);
    StopRecording(recording);
    EXPECT_TRUE(done) << "status \"" << TextOf(window, IDC_STATUS) << "\"";
    std::vector<ToneRun> tones = FindTones(recording.samples);
    EXPECT_EQ((std::vector<int>{440, 880, 1320}), Pitches(tones)) << Describe(tones);
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
}

namespace {

// A path as a file: URL: forward slashes, a blank escaped.
std::string FileUrl(const std::string& path)
{
    std::string url = "file:///";
    for (char c : path)
        url += c == '\\' ? "/" : (c == ' ' ? "%20" : std::string(1, c));
    return url;
}

}  // namespace

// Another player's playlist at a first start: a WAV relative to the list's
// folder, an MP3 the media layer decodes, and a WAV named by a file: URL
// with a blank, heard in that order; a web address among them is passed
// over, and the player exits at the end as after any /play.
TEST_F(ProcessTest, AnM3uPlaysItsRelativeMp3AndUrlEntriesInOrder)
{
    const std::string folder = TempFolder("m3u-play");
    CreateDirectoryA((folder + "\\sub").c_str(), NULL);
    WriteToneWav(folder + "\\sub\\low.wav", PITCHES[0], TONE_MS);
    const std::string mp3 = folder + "\\middle.mp3";
    ASSERT_TRUE(CopyFileA((BuildFolder() + "\\tone880.mp3").c_str(), mp3.c_str(), FALSE)) << "built beside the tests";
    const std::string high = folder + "\\high tone.wav";
    WriteToneWav(high, PITCHES[2], TONE_MS);
    const std::string list = folder + "\\evening.m3u";
    WriteTextFile(list, "#EXTM3U\r\n#EXTINF:2,Low\r\nsub\\low.wav\r\n" + mp3 + "\r\nhttp://radio.example/live\r\n" +
                            FileUrl(high) + "\r\n");
    std::string silence = TempFolder() + "\\silence.wav";
    WriteToneWav(silence, 0, 500);

    Recording recording;
    ASSERT_TRUE(StartRecording(recording)) << "no recording device";
    ASSERT_TRUE(WakeRecording(recording, silence));
    Started vireo = StartVireo("/play " + list);
    HWND window = WaitForMainWindow(vireo.pid);
    bool ended = RecordUntil(recording, [&] { return WaitForSingleObject(vireo.process, 0) == WAIT_OBJECT_0; },
                             40000);
    RecordFor(recording, 300);
    StopRecording(recording);
    EXPECT_TRUE(ended) << "still playing after 40 s: status \"" << TextOf(window, IDC_STATUS) << "\", time \""
                       << TextOf(window, IDC_TIME) << "\", selection " << SelectedIndex(window);
    std::vector<ToneRun> tones = FindTones(recording.samples);
    EXPECT_EQ((std::vector<int>{440, 880, 1320}), Pitches(tones)) << Describe(tones);
    EXPECT_EQ(0, WaitForExit(vireo));
    CloseStarted(vireo);
}
