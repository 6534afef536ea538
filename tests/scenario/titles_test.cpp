// Titles and lengths read from the files by the reading thread and placed
// in the list, the line under it, what the kept queue keeps of them, and
// the length the media layer tells as an entry plays.
#include "scenario.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

void Put16(std::string* out, unsigned value)
{
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>(value >> 8));
}

void Put32(std::string* out, unsigned value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string Chunk(const char* id, const std::string& body)
{
    std::string chunk(id, 4);
    Put32(&chunk, static_cast<unsigned>(body.size()));
    chunk += body;
    if (body.size() % 2 != 0)
        chunk.push_back('\0');
    return chunk;
}

// A mono 16-bit wave of 8000 bytes a second, with INFO texts when given.
std::string Wave(int ms, const std::string& title, const std::string& artist)
{
    std::string format;
    Put16(&format, 1);
    Put16(&format, 1);
    Put32(&format, 4000);
    Put32(&format, 8000);
    Put16(&format, 2);
    Put16(&format, 16);
    std::string body = "WAVE" + Chunk("fmt ", format) + Chunk("data", std::string(static_cast<size_t>(ms) * 8, '\0'));
    std::string info;
    if (!title.empty())
        info += Chunk("INAM", title + '\0');
    if (!artist.empty())
        info += Chunk("IART", artist + '\0');
    if (!info.empty())
        body += Chunk("LIST", "INFO" + info);
    return Chunk("RIFF", body);
}

// Each row the list has its owner draw, with the length its entry had then.
std::vector<std::pair<int, int32_t>> g_drawnRows;

LRESULT CALLBACK WatchDrawing(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_DRAWITEM && sent->wParam == IDC_PLAYLIST) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(sent->lParam);
        const PlaylistEntry* entry = reinterpret_cast<const PlaylistEntry*>(item->itemData);
        if (entry != NULL)
            g_drawnRows.push_back({static_cast<int>(item->itemID), entry->lengthMs});
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

class TitlesScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        folder = ScratchFolder("vireo-titles");
    }
    std::string Write(const char* name, const std::string& bytes)
    {
        std::string path = folder + "\\" + name;
        WriteBytes(path, bytes);
        written.push_back(path);
        return path;
    }
    void TearDown() override
    {
        Scenario::TearDown();
        for (const std::string& path : written)
            DeleteFileA(path.c_str());
    }
    // Handles messages until the condition holds, as the main loop would
    // while the reading thread hands back what it read.
    bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 10000)
    {
        DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > ms)
                return false;
            MSG message;
            while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            Sleep(5);
        }
        return true;
    }
    int32_t LengthOf(int index) { return GetEntry(window, index)->lengthMs; }
    std::string Summary() { return Text(IDC_QUEUE_SUMMARY); }

    std::string folder;
    std::vector<std::string> written;
};

}  // namespace

TEST_F(TitlesScenario, TitlesAndLengthsComeFromTheFilesAndStayWithTheKeptQueue)
{
    Open();
    const std::string tagged = Write("01 bells.wav", Wave(2500, "Harbour Bells", "The Quiet Tide"));
    const std::string titled = Write("02 river.wav", Wave(61000, "Slow River", ""));
    const std::string plain = Write("03 plain.wav", Wave(1000, "", ""));
    // Lies about its size: a name and no length, no crash.
    Write("04 liar.wav", "RIFF\xFF\xFF\xFF\x7FWAVEfmt \x10\0\0\0\x01\0");
    for (const std::string& path : written)
        Add(path.c_str());
    ASSERT_TRUE(PumpUntil([&] { return GetEntry(window, 1)->titleState == TITLE_READ && LengthOf(2) >= 0; }))
        << Summary();
    EXPECT_EQ((std::vector<std::string>{"The Quiet Tide - Harbour Bells", "Slow River", "03 plain.wav", "04 liar.wav"}),
              Items());
    EXPECT_EQ(2500, LengthOf(0));
    EXPECT_EQ(61000, LengthOf(1));
    EXPECT_EQ(-1, LengthOf(3));
    char title[TEXT_CAPACITY];
    char artist[TEXT_CAPACITY];
    GetEntryTitleAndArtist(window, 0, title, artist);
    EXPECT_EQ("Harbour Bells", std::string(title));
    EXPECT_EQ("The Quiet Tide", std::string(artist));
    ASSERT_TRUE(PumpUntil([&] { return Summary() == "4 entries, at least 1:04"; })) << Summary();

    // Kept, and back at the next start without a file read: the files moved away.
    ASSERT_TRUE(SaveQueueNow(window));
    Command(IDC_EXIT);
    for (const std::string& path : written)
        MoveFileA(path.c_str(), (path + ".away").c_str());
    Open();
    EXPECT_EQ((std::vector<std::string>{"The Quiet Tide - Harbour Bells", "Slow River", "03 plain.wav", "04 liar.wav"}),
              Items());
    EXPECT_EQ(61000, LengthOf(1));
    ASSERT_TRUE(PumpUntil([&] { return Summary() == "4 entries, at least 1:04"; })) << Summary();
    // A file that is gone keeps its title once looked at.
    ASSERT_TRUE(PumpUntil([&] { return GetEntry(window, 0)->titleState == TITLE_READ; }));
    EXPECT_EQ("The Quiet Tide - Harbour Bells", Items()[0]);
    for (const std::string& path : written)
        MoveFileA((path + ".away").c_str(), path.c_str());

    // A changed file is read again.
    Command(IDC_EXIT);
    WriteBytes(titled, Wave(3000, "Fast River", ""));
    Open();
    ASSERT_TRUE(PumpUntil([&] { return Items()[1] == "Fast River"; })) << Items()[1];
    EXPECT_EQ(3000, LengthOf(1));

    // A row in view is drawn again with a new length under the same title:
    // shown before the reading thread's word is taken.
    Command(IDC_EXIT);
    WriteBytes(plain, Wave(2000, "", ""));
    window = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc,
                                reinterpret_cast<LPARAM>(""));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    g_drawnRows.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchDrawing, NULL, GetCurrentThreadId());
    bool drawn = PumpUntil([&] {
        return std::find(g_drawnRows.begin(), g_drawnRows.end(), std::make_pair(2, int32_t{2000})) != g_drawnRows.end();
    });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(drawn) << LengthOf(2);
    EXPECT_EQ("03 plain.wav", Items()[2]);
}

TEST_F(TitlesScenario, ThePlayedLengthStandsWhereNoneWasReadOrTheReadOneWasWrong)
{
    Open();
    const std::string wave = Write("short.wav", Wave(1000, "", ""));
    char shortPath[MAX_PATH];
    GetShortPathNameA(wave.c_str(), shortPath, sizeof shortPath);
    // The media layer knows better: a length three times the header's.
    FakeMediaAddFile(shortPath, 3000);
    FakeMediaAddFile(wave, 3000);
    FakeMediaAddFile("C:\\Media\\stream.xyz", 125000);
    Add(wave.c_str());
    Add("C:\\Media\\stream.xyz");
    ASSERT_TRUE(PumpUntil([&] { return LengthOf(0) == 1000 && GetEntry(window, 1)->titleState == TITLE_READ; }));
    EXPECT_EQ(-1, LengthOf(1));
    Command(IDM_START);
    Pump();
    Play(500);
    Tick();
    EXPECT_EQ(3000, LengthOf(0));
    ASSERT_TRUE(PumpUntil([&] { return Summary() == "2 entries, at least 0:03, at least 0:02 left"; })) << Summary();
    Command(IDM_NEXT);
    Pump();
    Play(1000);
    Tick();
    EXPECT_EQ(125000, LengthOf(1));
    ASSERT_TRUE(PumpUntil([&] { return Summary() == "2 entries, 2:08, 2:04 left"; })) << Summary();
    Command(IDM_STOP);
    ASSERT_TRUE(PumpUntil([&] { return Summary() == "2 entries, 2:08"; })) << Summary();
}

TEST_F(TitlesScenario, AnM3uNamesItsEntriesUntilTheirFilesAreReadAndAnM3u8WritesThem)
{
    Open();
    const std::string wave = Write("told.wav", Wave(2000, "Told Title", ""));
    const std::string list = Write("told.m3u", "#EXTM3U\r\n#EXTINF:215,Gone - Missing\r\nC:\\Gone\\missing.mp3\r\n"
                                               "#EXTINF:99,Old Name\r\ntold.wav\r\n");
    FakeChooseFile(list);
    Command(IDM_OPEN_PLAYLIST);
    EXPECT_EQ(215000, LengthOf(0));
    ASSERT_TRUE(PumpUntil([&] { return Items().size() == 2 && Items()[1] == "Told Title"; }));
    EXPECT_EQ("Gone - Missing", Items()[0]) << "a file that cannot be read keeps what the playlist said";
    EXPECT_EQ(2000, LengthOf(1));

    const std::string saved = folder + "\\told again.m3u8";
    written.push_back(saved);
    FakeChooseFile(saved);
    Command(IDM_SAVE_PLAYLIST);
    std::string bytes = ReadFileBytes(saved);
    EXPECT_EQ(0u, bytes.find("#EXTM3U\r\n#EXTINF:215,Gone - Missing\r\nC:\\Gone\\missing.mp3\r\n#EXTINF:2,Told Title\r\n"))
        << bytes;
}

TEST_F(TitlesScenario, HostileFilesThroughEveryDoorShowTheirNamesAndCrashNothing)
{
    std::string huge = std::string("ID3\x04\x00\x00", 6) + "\x00\x5F\x5E\x10" + std::string(1014, '\0');  // 200 MB claimed
    std::string pastEnd = std::string("fLaC\x84\xFF\xFF\xFF", 8) + std::string(40, 'x');
    std::string itself = std::string("\0\0\0\x18moov\0\0\0\x18moov\0\0\0\x18moov", 24);
    std::string tempo0 = std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0B", 22) +
                         std::string("\0\xFF\x51\x03\0\0\0\x83\0\xFF\x2F\0", 12);
    std::string tracks = std::string("MThd\0\0\0\x06\0\x01\x27\x10\0\x60", 14);
    for (int i = 0; i < 10000; ++i)
        tracks += std::string("MTrk\0\0\0\x04\0\xFF\x2F\0", 12);
    std::vector<std::string> names = {"huge tag.mp3", "past end.flac", "itself.m4a", "tempo 0.mid", "many tracks.mid"};
    std::vector<std::string> paths;
    for (size_t i = 0; i < names.size(); ++i)
        paths.push_back(Write(names[i].c_str(), std::vector<std::string>{huge, pastEnd, itself, tempo0, tracks}[i]));
    const std::string list = Write("hostile.VireoList", "[VIREO 1.0]\r\n" + paths[0] + "\r\n" + paths[1] + "\r\n");

    Open();
    Add(paths[2].c_str());
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({paths[3], paths[4]})), 0);
    FakeChooseFile(list);
    Command(IDM_OPEN_PLAYLIST);
    auto allRead = [&] {
        for (int i = 0; i < GetEntryCount(window); ++i)
            if (GetEntry(window, i)->titleState != TITLE_READ)
                return false;
        return GetEntryCount(window) == 5;
    };
    ASSERT_TRUE(PumpUntil(allRead));
    const std::vector<std::string> shown = {"itself.m4a", "tempo 0.mid", "many tracks.mid", "huge tag.mp3", "past end.flac"};
    EXPECT_EQ(shown, Items());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(LengthOf(i) >= -1 && LengthOf(i) < 60000) << Items()[i] << " " << LengthOf(i);
    // And through the kept queue, at the next start.
    ASSERT_TRUE(SaveQueueNow(window));
    Command(IDC_EXIT);
    Open();
    EXPECT_EQ(shown, Items());
}
