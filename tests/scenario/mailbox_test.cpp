// The add mailbox: what a text becomes, the slot's count, the Add chooser.
#include "scenario.h"

#include <cderr.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void PutLittle(std::string& out, unsigned value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A quarter second of 8-bit mono silence at 8000 Hz.
void WriteSilentWav(const std::string& path)
{
    const unsigned samples = 2000;
    std::string wav = "RIFF";
    PutLittle(wav, 36 + samples, 4);
    wav += "WAVEfmt ";
    PutLittle(wav, 16, 4);
    PutLittle(wav, 1, 2);
    PutLittle(wav, 1, 2);
    PutLittle(wav, 8000, 4);
    PutLittle(wav, 8000, 4);
    PutLittle(wav, 1, 2);
    PutLittle(wav, 8, 2);
    wav += "data";
    PutLittle(wav, samples, 4);
    wav.append(samples, static_cast<char>(0x80));
    WriteBytes(path, wav);
}

// The real media layer, in a process of its own (this one fakes it): the
// error number of "open <path> alias ... wait", 0 when it opened.
int OpenWithRealMediaLayer(const std::string& path)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    std::string probe(exe);
    probe = probe.substr(0, probe.find_last_of('\\')) + "\\mci_probe.exe";
    std::string line = "\"" + probe + "\" " + path;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(probe.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return -1;
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(info.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

}  // namespace

TEST_F(Scenario, MailboxTextsAreClassifiedLookedUpAndShown)
{
    Open();
    const std::string folder = ScratchFolder("vireo-mailbox");
    const std::string song = folder + "\\My Song.wav";
    WriteSilentWav(song);
    // The first 258 characters end in ".wav": the cut text is what is classified.
    const std::string overlong = "C:\\" + std::string(251, 'p') + ".wav" + std::string(42, 'q');
    const std::string wildcard = folder + "\\*.wav";
    const char* texts[] = {"D:\\Music\\clip.avi", song.c_str(), "\"C:\\My Music\\quoted.wav\"",
                           overlong.c_str(), wildcard.c_str(), "D:\\Disc.cda"};
    for (const char* text : texts)
        Add(text);
    ASSERT_EQ(6, GetEntryCount(window));
    std::vector<std::string> items = Items();

    EXPECT_EQ(ENTRY_VIDEO, GetEntry(window, 0)->kind);
    EXPECT_STREQ("D:\\Music\\clip.avi", GetEntry(window, 0)->path);
    EXPECT_EQ("clip.avi", items[0]);

    const PlaylistEntry* found = GetEntry(window, 1);
    EXPECT_EQ(ENTRY_WAVE, found->kind);
    EXPECT_EQ("My Song.wav", items[1]);
    std::string stored = found->path;
    EXPECT_EQ(std::string::npos, stored.find(' ')) << stored;
    char longForm[MAX_PATH] = "";
    GetLongPathNameA(stored.c_str(), longForm, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(song.c_str(), longForm)) << stored << " names " << longForm;
    EXPECT_EQ(0, OpenWithRealMediaLayer(stored)) << stored;

    EXPECT_EQ(ENTRY_OTHER, GetEntry(window, 2)->kind);
    EXPECT_STREQ("\"C:\\My Music\\quoted.wav\"", GetEntry(window, 2)->path);
    EXPECT_EQ("quoted.wav\"", items[2]);

    EXPECT_EQ(ENTRY_WAVE, GetEntry(window, 3)->kind);
    EXPECT_EQ(overlong.substr(0, 258), GetEntry(window, 3)->path);
    EXPECT_EQ(std::string(251, 'p') + ".wav", items[3]);

    // A wildcard names no one file: not looked up, though a file matches.
    EXPECT_EQ(wildcard, GetEntry(window, 4)->path);
    EXPECT_EQ("*.wav", items[4]);

    // ".cda" without a digit is taken as an ordinary file.
    EXPECT_EQ(ENTRY_OTHER, GetEntry(window, 5)->kind);
    EXPECT_STREQ("D:\\Disc.cda", GetEntry(window, 5)->path);
    EXPECT_EQ("Disc.cda", items[5]);
    DeleteFileA(song.c_str());
}

// Where the volume has no short names the stored path keeps its blanks, and
// the open command quotes it, or the layer would refuse a good file.
TEST_F(Scenario, APathWithBlanksWithoutAShortFormIsStoredWholeAndPlays)
{
    Open();
    FakeVolumeWithoutShortNames(true);
    const std::string folder = ScratchFolder("vireo no short names");
    const std::string song = folder + "\\My Song.wav";
    WriteSilentWav(song);
    FakeMediaAddFile(song, 250);
    Add(song.c_str());
    ASSERT_EQ(1, GetEntryCount(window));
    EXPECT_EQ(song, GetEntry(window, 0)->path);
    EXPECT_EQ("My Song.wav", Items()[0]);

    Command(IDM_START);
    Pump();
    EXPECT_EQ(std::vector<std::string>{"\"" + song + "\""}, Opened());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ(0, OpenWithRealMediaLayer(song)) << "the real layer opens the quoted path";
    Command(IDM_STOP);
    DeleteFileA(song.c_str());
}

TEST_F(Scenario, CdTrackTextsTakeTheirFirstDigitsAndAskTheDrive)
{
    Open();
    // No CD in the drive: 0 and 0.
    Add("D:\\Track01.cda");
    EXPECT_EQ(ENTRY_CD_TRACK, GetEntry(window, 0)->kind);
    EXPECT_EQ(0, GetEntry(window, 0)->startMs);
    EXPECT_EQ(0, GetEntry(window, 0)->lengthMs);

    FakeMediaInsertCd({{2000, 148000}, {150000, 200000}, {350000, 180000}});
    FakeMediaClearCommands();
    Add("E:\\Disc 2\\Track03.cda");
    EXPECT_EQ((std::vector<std::string>{"CD track #1", "CD track #2"}), Items());
    const PlaylistEntry* cd = GetEntry(window, 1);
    EXPECT_EQ(ENTRY_CD_TRACK, cd->kind);
    EXPECT_EQ(150000, cd->startMs);
    EXPECT_EQ(200000, cd->lengthMs);
    EXPECT_EQ((std::vector<std::string>{"open cdaudio alias VireoCdQuery wait",
                                        "set VireoCdQuery time format ms wait",
                                        "status VireoCdQuery position track 2 wait",
                                        "status VireoCdQuery length track 2 wait", "close VireoCdQuery"}),
              FakeMediaCommands());
}

TEST_F(Scenario, AddingACdTrackDuringPlaybackLeavesThePlayingEntryAlone)
{
    Open();
    FakeMediaAddFile("C:\\Music\\long.wav", 5000);
    FakeMediaInsertCd({{2000, 148000}, {150000, 200000}});
    Add("C:\\Music\\long.wav");
    Command(IDM_START);
    Pump();
    Play(3000);
    ASSERT_TRUE(FakeMediaPlaying("VireoMedia"));

    FakeMediaClearCommands();
    Add("D:\\Track02.cda");
    const PlaylistEntry* two = GetEntry(window, 1);
    EXPECT_EQ(150000, two->startMs);
    EXPECT_EQ(200000, two->lengthMs);
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ("C:\\Music\\long.wav", FakeMediaElement("VireoMedia"));
    EXPECT_EQ(3000, FakeMediaPosition("VireoMedia"));
    for (const std::string& command : FakeMediaCommands())
        EXPECT_EQ(std::string::npos, command.find("VireoMedia")) << command;

    // Now the CD itself plays: a further track is read from it, in place.
    Play(2000);
    ASSERT_EQ("cdaudio", FakeMediaElement("VireoMedia"));
    ASSERT_EQ(1, Selection());
    FakeMediaClearCommands();
    Add("D:\\Track01.cda");
    EXPECT_EQ(2000, GetEntry(window, 2)->startMs);
    EXPECT_EQ(148000, GetEntry(window, 2)->lengthMs);
    EXPECT_EQ((std::vector<std::string>{"status VireoMedia position track 1 wait",
                                        "status VireoMedia length track 1 wait"}),
              FakeMediaCommands());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    EXPECT_EQ((std::vector<std::string>{"long.wav", "CD track #2", "CD track #1"}), Items());
}

TEST_F(Scenario, AReceiveWithoutASenderKeepsTheCountAtOneAndAddsTheSlotAgain)
{
    Open();
    Add("C:\\Music\\again.mid");
    SendMessageA(window, MSG_ADD_PENDING, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"again.mid", "again.mid"}), Items());
    EXPECT_NE(GetEntry(window, 0), GetEntry(window, 1));

    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
    ASSERT_TRUE(semaphore != NULL);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(semaphore, 0)) << "the count was above 1";
    ReleaseSemaphore(semaphore, 1, NULL);
    CloseHandle(semaphore);
    // The slot still works.
    Add("C:\\Music\\after.wav");
    EXPECT_EQ(3, GetEntryCount(window));
}

namespace {

const char TOO_MANY_CHOSEN[] = "Too many files chosen at once; none were added.";
const DWORD MULTIPLE_CHOICE_FLAGS = 0x1804u | OFN_ALLOWMULTISELECT | OFN_EXPLORER;

// The Add chooser's filter as its three kinds: ours, the registered ones, all files.
std::vector<std::string> FilterParts(const std::string& filter)
{
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        size_t bar = filter.find('|', at);
        parts.push_back(filter.substr(at, bar - at));
        if (bar == std::string::npos)
            return parts;
        at = bar + 1;
    }
}

}  // namespace

// Several files at once, in the chooser's order, a playlist among them
// loaded; the kinds the media layer registered offered after ours.
TEST_F(Scenario, AddTakesSeveralFilesOfEveryRegisteredKind)
{
    Open();
    const std::string folder = ScratchFolder("vireo-chosen");
    WriteBytes(folder + "\\evening.m3u", "#EXTM3U\r\nlisted.wav\r\nhttp://radio.example/live\r\n");
    // The mailbox holds 258 characters: a longer path is passed over.
    const std::string deep = "C:\\" + std::string(240, 'd');
    FakeChooseFiles(folder, {"b side.wav", "a.mp3", "evening.m3u", "c.WMA"});
    Command(IDC_ADD);
    EXPECT_EQ((std::vector<std::string>{"b side.wav", "a.mp3", "listed.wav", "c.WMA"}), Items());
    EXPECT_EQ("Passed over 1 line that names nothing Vireo can play.", Status());
    ASSERT_EQ(1u, FakeChoosers().size());
    const FakeChooser& chooser = FakeChoosers()[0];
    ExpectChooser(chooser, window, true, chooser.filter.c_str(), "Choose media file to Vireo", MULTIPLE_CHOICE_FLAGS,
                  32768);
    std::vector<std::string> parts = FilterParts(chooser.filter);
    ASSERT_EQ(6u, parts.size()) << chooser.filter;
    EXPECT_EQ("Media files (*.rmi, *.mid, *.wav, *.avi, *.cda)", parts[0]);
    EXPECT_EQ("*.rmi;*.mid;*.wav;*.avi;*.cda", parts[1]);
    EXPECT_EQ("All media files the system plays", parts[2]);
    EXPECT_EQ(0u, parts[3].find("*.rmi;*.mid;*.wav;*.avi;*.cda;")) << parts[3];
    for (const char* registered : {";*.mp3;", ";*.wma;", ";*.mpg;"})
        EXPECT_NE(std::string::npos, (parts[3] + ";").find(registered)) << registered;
    EXPECT_EQ("All files (*.*)", parts[4]);
    EXPECT_EQ("*.*", parts[5]);

    // One file, a path too long for the mailbox, a cancel.
    while (GetEntryCount(window) > 0)
        RemoveEntry(window, 0);
    FakeChooseFile("C:\\Chosen\\pick.wav");
    Command(IDC_ADD);
    FakeChooseFiles(deep, {"short.wav", std::string(20, 'n') + ".wav"});
    Command(IDC_ADD);
    FakeChooseFile("");
    Command(IDC_ADD);
    EXPECT_EQ((std::vector<std::string>{"pick.wav", "short.wav"}), Items());
}

// A selection too large for the buffer adds nothing and says so; a preview
// chooser that cannot open hands over to the plain one.
TEST_F(Scenario, AddSaysSoWhenASelectionDoesNotFitAndFallsBackToThePlainChooser)
{
    Open();
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back("tone number " + std::to_string(10000 + i) + ".wav");
    FakeChooseFiles("C:\\Many", many);
    Command(IDC_ADD);
    EXPECT_EQ(0, GetEntryCount(window));
    EXPECT_EQ(TOO_MANY_CHOSEN, Status());
    ASSERT_EQ(1u, FakeChoosers().size()) << "a full buffer is no failure of the preview";

    FakeChooserFails(CDERR_DIALOGFAILURE);
    FakeChooseFiles("C:\\Plain", {"one.wav", "two.wav"});
    Command(IDC_ADD);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.wav"}), Items());
    ASSERT_EQ(3u, FakeChoosers().size());
    EXPECT_TRUE(FakeChoosers()[1].preview);
    ExpectChooser(FakeChoosers()[2], window, false, FakeChoosers()[1].filter.c_str(), "Choose media file to Vireo",
                  MULTIPLE_CHOICE_FLAGS, 32768);
}

namespace {

// Whether the list has anything waiting to be drawn.
bool ListAwaitsPaint(HWND list)
{
    RECT update;
    return GetUpdateRect(list, &update, FALSE) != FALSE;
}

// Waits out the redraw delay and hands the timer's message to the window,
// which the fixture's pump leaves alone.
void LetRedrawResume(HWND window)
{
    Sleep(150);
    MSG message;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        DispatchMessageA(&message);
}

}  // namespace

TEST_F(Scenario, AStreamOfAddsIsDrawnOnceItPauses)
{
    Open();
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    ASSERT_TRUE(Visible());
    UpdateWindow(window);
    ASSERT_FALSE(ListAwaitsPaint(list));
    // Adds on the window's own thread are handled at once, so nothing is
    // painted in between.
    for (int i = 0; i < 40; ++i)
        Add("C:\\stream\\missing.wav");
    EXPECT_EQ(40u, Items().size());
    EXPECT_FALSE(ListAwaitsPaint(list)) << "the list redrew during the stream";
    // The receiver keeps its handle to the slot's semaphore through the
    // stream, and lets it go after: a slot a killed sender left taken is
    // freed only when every handle is closed.
    HANDLE semaphore = OpenSemaphoreA(SYNCHRONIZE, FALSE, ADD_SEMAPHORE_NAME);
    EXPECT_TRUE(semaphore != NULL) << "the receiver let go during the stream";
    if (semaphore != NULL)
        CloseHandle(semaphore);

    LetRedrawResume(window);
    EXPECT_TRUE(ListAwaitsPaint(list)) << "the held adds are never drawn";
    EXPECT_TRUE(OpenSemaphoreA(SYNCHRONIZE, FALSE, ADD_SEMAPHORE_NAME) == NULL) << "the receiver kept its handle";
    UpdateWindow(list);
    // An add after the pause is held and drawn in the same way.
    Add("C:\\stream\\late.wav");
    EXPECT_FALSE(ListAwaitsPaint(list));
    LetRedrawResume(window);
    EXPECT_TRUE(ListAwaitsPaint(list));
    UpdateWindow(list);
    char last[64] = "";
    SendMessageA(list, LB_GETTEXT, 40, reinterpret_cast<LPARAM>(last));
    EXPECT_STREQ("late.wav", last);
}

// A sender not on record (an older version) killed while it held the slot
// leaves the semaphore's count taken for as long as anyone keeps it open, a
// stream's own handle included: the stream loses the text that waited, not
// the rest.
TEST_F(Scenario, AStreamOutlivesASlotLeftTakenByAKilledSender)
{
    Open();
    AddMailbox mailbox;
    ASSERT_TRUE(OpenAddMailbox(window, &mailbox));
    HANDLE killed = OpenSemaphoreA(SYNCHRONIZE, FALSE, ADD_SEMAPHORE_NAME);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(killed, 0));
    CloseHandle(killed);
    PostToOpenMailbox(&mailbox, "C:\\stream\\waited.wav");
    PostToOpenMailbox(&mailbox, "C:\\stream\\next.wav");
    PostToOpenMailbox(&mailbox, "C:\\stream\\last.wav");
    CloseAddMailbox(&mailbox);
    EXPECT_EQ((std::vector<std::string>{"next.wav", "last.wav"}), Items());
}

namespace {

void RecordHolder(DWORD pid)
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, ADD_HOLDER_NAME);
    ASSERT_TRUE(mapping != NULL);
    LONG* holder = static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    ASSERT_TRUE(holder != NULL);
    *holder = static_cast<LONG>(pid);
    UnmapViewOfFile(holder);
    CloseHandle(mapping);
}

// Another process of the session that runs all along.
DWORD RunningProcessBesideThisOne()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && found == 0; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID != GetCurrentProcessId() && lstrcmpiA(entry.szExeFile, "explorer.exe") == 0)
            found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

}  // namespace

// The slot taken for good, as by a sender that was killed after it took it:
// while the holder on record runs, the text that waited is lost as before;
// once the holder on record has ended, its slot is taken over.
TEST_F(Scenario, ASlotWhoseHolderOnRecordEndedIsTakenOverAndOneThatRunsIsNot)
{
    Open();
    AddMailbox mailbox;
    ASSERT_TRUE(OpenAddMailbox(window, &mailbox));
    // Kept open throughout, as by any other process: the count stays taken.
    HANDLE killed = OpenSemaphoreA(SYNCHRONIZE, FALSE, ADD_SEMAPHORE_NAME);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(killed, 0));

    DWORD running = RunningProcessBesideThisOne();
    ASSERT_NE(0u, running);
    RecordHolder(running);
    PostToOpenMailbox(&mailbox, "C:\\stream\\lost.wav");
    EXPECT_TRUE(Items().empty());

    // Process ids are multiples of four: this one names none.
    RecordHolder(0x7FFFFFF1);
    PostToOpenMailbox(&mailbox, "C:\\stream\\waited.wav");
    PostToOpenMailbox(&mailbox, "C:\\stream\\next.wav");
    CloseAddMailbox(&mailbox);
    EXPECT_EQ((std::vector<std::string>{"waited.wav", "next.wav"}), Items());
    // The count is one again: a sender not on record gets the slot at once.
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, ADD_SEMAPHORE_NAME);
    ASSERT_TRUE(semaphore != NULL);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0));
    ReleaseSemaphore(semaphore, 1, NULL);
    CloseHandle(semaphore);
    CloseHandle(killed);
}
