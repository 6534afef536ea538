// The kept queue's store: what is written comes back into the list, a
// folder that cannot be written keeps the last good file, and the start's
// rule finds a whole queue whichever step of a write was cut.
#include "scenario.h"

#include <cstdio>
#include <string>
#include <vector>

#include "../../app/restart_text.h"

namespace {

class KeptQueueScenario : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        FakeFilesReset();
        // The world's own folder (tools/winerun): the temporary folder is
        // shared with every other world.
        char found[MAX_PATH];
        ASSERT_TRUE(FindKeptQueueFolder(found, sizeof found));
        folder = found;
        files = KeptFiles();
    }
    void TearDown() override
    {
        FinishQueueWrites(SAVE_QUEUE_WAIT_MS);
        FakeFilesReset();
        UseKeptQueueFolder(folder.c_str());
        RemoveFiles();
        Scenario::TearDown();
    }
    void RemoveFiles()
    {
        for (const char* name : {files.queue, files.fresh, files.place})
            DeleteFileA(name);
    }
    // Emptied behind the store's back: a removal would be kept in its turn.
    void ClearList()
    {
        for (int i = 0; i < GetEntryCount(window); ++i)
            FreeEntry(GetEntry(window, i));
        SendDlgItemMessageA(window, IDC_PLAYLIST, LB_RESETCONTENT, 0, 0);
    }
    // Each entry as the list holds it: its text, and its path or its place on the disc.
    std::vector<std::string> Entries()
    {
        std::vector<std::string> entries;
        for (int i = 0; i < GetEntryCount(window); ++i) {
            char text[TEXT_CAPACITY];
            GetEntryText(window, i, text);
            const PlaylistEntry* entry = GetEntry(window, i);
            std::string kept = std::string(text) + "|" + std::to_string(entry->kind) + "|";
            if (entry->kind == ENTRY_CD_TRACK)
                kept += std::to_string(entry->startMs) + "+" + std::to_string(entry->lengthMs);
            else
                kept += entry->path;
            entries.push_back(kept);
        }
        return entries;
    }
    RestoredQueue Restore()
    {
        ClearList();
        RestoredQueue restored;
        EXPECT_TRUE(RestoreQueue(window, &restored));
        return restored;
    }
    // The place as the sequencer keeps it, and the record apart written.
    void KeepPlace(int index, int32_t positionMs)
    {
        SetResumePlace(window, index, positionMs);
        SaveQueuePlace(window);
        FinishQueueWrites(SAVE_QUEUE_WAIT_MS);
    }
    // The notices of a queue that cannot be kept, taken off the queue.
    int NotKeptNotices()
    {
        int count = 0;
        MSG message;
        while (PeekMessageA(&message, window, MSG_QUEUE_NOT_KEPT, MSG_QUEUE_NOT_KEPT, PM_REMOVE))
            ++count;
        return count;
    }

    std::string folder;
    KeptQueueFiles files;
};

// The timers' messages handled for a while, as the main loop would.
void RunTimers(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageA(&message, NULL, WM_TIMER, WM_TIMER, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
}

std::string QueueText(const std::vector<KeptEntry>& entries)
{
    GrowingText out;
    BeginKeptQueueText(&out, -1, 0);
    for (const KeptEntry& entry : entries)
        AppendKeptEntry(&out, entry);
    EndKeptQueueText(&out);
    std::string bytes(out.text, out.length);
    FreeGrowingText(&out);
    return bytes;
}

}  // namespace

TEST_F(KeptQueueScenario, WhatIsKeptComesBackWithTheCurrentEntryAndItsPlace)
{
    Open();
    FakeMediaInsertCd({{0, 1000}, {1000, 250000}});
    Add("C:\\Waves\\one.wav");
    Add("D:\\Track02.cda");
    Add("C:\\My Music\\two three.mid");
    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(3u, entries.size());
    SetResumePlace(window, 1, 60000);
    ASSERT_TRUE(SaveQueueNow(window));
    std::string bytes = ReadFileBytes(files.queue);
    EXPECT_EQ("VireoQueue\t1\r\ncurrent\t1\t60000\r\nentry\twave\tone.wav\tC:\\Waves\\one.wav\r\n"
              "entry\tcd\tCD track #2\t1000\t250000\r\n"
              "entry\tmidi\ttwo three.mid\tC:\\My Music\\two three.mid\r\nend\r\n",
              bytes);

    RestoredQueue restored = Restore();
    EXPECT_EQ(entries, Entries());
    EXPECT_EQ(1, restored.current);
    EXPECT_EQ(60000, restored.positionMs);
    EXPECT_EQ(3u, restored.added);
    EXPECT_EQ(0u, restored.passedOver);

    // The place alone is written apart; the entries' file stays as it was.
    KeepPlace(2, 5000);
    EXPECT_EQ(bytes, ReadFileBytes(files.queue));
    restored = Restore();
    EXPECT_EQ(2, restored.current);
    EXPECT_EQ(5000, restored.positionMs);
    // A place record of another queue is not this one's.
    WriteBytes(files.queue, QueueText({{ENTRY_WAVE, "a.wav", "C:\\a.wav", 0, 0}, {ENTRY_WAVE, "b", "C:\\b", 0, 0},
                                      {ENTRY_WAVE, "c", "C:\\c", 0, 0}}));
    restored = Restore();
    EXPECT_EQ(-1, restored.current);

    // A stream of changes is written once, when it pauses.
    FakeStopFileChangesAfter(-1);
    ASSERT_TRUE(SaveQueueNow(window));
    const int oneWrite = FakeFileChanges();
    FakeStopFileChangesAfter(-1);
    for (int i = 0; i < 200; ++i)
        SaveQueueSoon(window);
    RunTimers(600);
    ASSERT_TRUE(FinishQueueWrites(SAVE_QUEUE_WAIT_MS));
    EXPECT_EQ(oneWrite, FakeFileChanges());
    EXPECT_EQ(0, NotKeptNotices());
}

TEST_F(KeptQueueScenario, WhereTheQueueCannotBeKeptTheLastGoodOneStaysAndThatIsSaidOnce)
{
    Open();
    Add("C:\\Waves\\one.wav");
    ASSERT_TRUE(SaveQueueNow(window));
    const std::string before = ReadFileBytes(files.queue);
    Add("C:\\Waves\\two.wav");
    FakeReadOnlyFolder(folder);
    EXPECT_FALSE(SaveQueueNow(window));
    KeepPlace(0, 1000);
    EXPECT_FALSE(SaveQueueNow(window));
    EXPECT_EQ(before, ReadFileBytes(files.queue));
    EXPECT_EQ("<none>", ReadFileBytes(files.fresh));
    EXPECT_EQ(1, NotKeptNotices());
    ReportQueueNotKept(window);
    EXPECT_EQ(QUEUE_NOT_KEPT_TEXT, Status());

    // Kept again, then refused again: news again.
    FakeReadOnlyFolder("");
    EXPECT_TRUE(SaveQueueNow(window));
    FakeReadOnlyFolder(folder);
    EXPECT_FALSE(SaveQueueNow(window));
    EXPECT_EQ(1, NotKeptNotices());

    // A queue another program holds, a folder in its place, or a queue of
    // another version is left alone rather than replaced by what this run
    // would keep; one of another version is set aside.
    FakeReadOnlyFolder("");
    ASSERT_TRUE(SaveQueueNow(window));
    const std::string kept = ReadFileBytes(files.queue);
    HANDLE holder = CreateFileA(files.queue, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    RestoredQueue restored;
    EXPECT_FALSE(RestoreQueue(window, &restored));
    EXPECT_TRUE(restored.held);
    EXPECT_FALSE(SaveQueueNow(window));
    CloseHandle(holder);
    EXPECT_EQ(kept, ReadFileBytes(files.queue));
    UseKeptQueueFolder(folder.c_str());
    RemoveFiles();
    ASSERT_TRUE(CreateDirectoryA(files.queue, NULL));
    EXPECT_FALSE(RestoreQueue(window, &restored));
    EXPECT_TRUE(restored.held);
    EXPECT_FALSE(SaveQueueNow(window));
    RemoveDirectoryA(files.queue);
    UseKeptQueueFolder(folder.c_str());
    const std::string later = "VireoQueue\t2\r\nentry\twave\ta.wav\tC:\\a.wav\tmore\r\nend\r\n";
    WriteBytes(files.queue, later);
    EXPECT_FALSE(RestoreQueue(window, &restored));
    EXPECT_FALSE(restored.held);
    EXPECT_EQ(later, ReadFileBytes(folder + "\\Queue.VireoQueue.v2"));
    EXPECT_TRUE(SaveQueueNow(window));
    DeleteFileA((folder + "\\Queue.VireoQueue.v2").c_str());

    // A folder whose names would not fit is refused whole.
    EXPECT_FALSE(UseKeptQueueFolder(("C:\\" + std::string(236, 'a')).c_str()));
    EXPECT_FALSE(SaveQueueNow(window));
    // The system's own folder, as a start finds it.
    char found[MAX_PATH];
    ASSERT_TRUE(FindKeptQueueFolder(found, sizeof found));
    EXPECT_EQ("\\Vireo", std::string(found).substr(std::string(found).size() - 6));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(found));
}

TEST_F(KeptQueueScenario, AStartFindsAWholeQueueWhereverAWriteWasCut)
{
    Open();
    const KeptEntry a = {ENTRY_WAVE, "a.wav", "C:\\a.wav", 0, 0};
    const KeptEntry b = {ENTRY_CD_TRACK, "CD track #1", NULL, 0, 1000};
    const KeptEntry c = {ENTRY_MIDI, "c.mid", "C:\\c.mid", 0, 0};
    const std::string older = QueueText({a, b});
    const std::string newer = QueueText({a, b, c});
    auto write = [&](const std::string& text) {
        return WriteWholeFile(files.queue, files.fresh, text.data(), text.size());
    };
    // With ReplaceFile, and in the steps of 95, 98, ME and NT 4.0.
    for (bool steps : {false, true}) {
        SCOPED_TRACE(steps ? "in steps" : "ReplaceFile");
        FakeWithoutReplaceFile(steps);
        RemoveFiles();
        ASSERT_TRUE(write(older));
        FakeStopFileChangesAfter(-1);
        ASSERT_TRUE(write(newer));
        const int changes = FakeFileChanges();
        const int WRITTEN = 2;
        EXPECT_GT(changes, WRITTEN + 1);
        for (int cut = 0; cut <= changes; ++cut) {
            SCOPED_TRACE(cut);
            RemoveFiles();
            ASSERT_TRUE(write(older));
            FakeStopFileChangesAfter(cut);
            bool kept = write(newer);
            FakeStopFileChangesAfter(-1);
            RestoredQueue restored = Restore();
            EXPECT_EQ(0u, restored.passedOver);
            // The newer queue once its file is written whole (opened,
            // written: two changes; a stopped process leaves its writes to
            // the system), the older one before.
            size_t count = Entries().size();
            EXPECT_EQ(cut >= WRITTEN ? 3u : 2u, count);
            EXPECT_TRUE(!kept || count == 3);
            if (cut == changes) {
                EXPECT_TRUE(kept);
            }
            // What was restored now stands as the queue, whole, for the next write to replace.
            std::string standing = ReadFileBytes(files.queue);
            EXPECT_EQ(count == 3 ? newer : older, standing);
        }
        EXPECT_EQ("<none>", ReadFileBytes(files.fresh));
    }
}

TEST_F(KeptQueueScenario, WindowsRestartsThePlayerOnlyAfterUpdatesAndRecognisesItsRequest)
{
    EXPECT_TRUE(RegisterForSystemRestart());
    ASSERT_EQ(1u, FakeRestartRegistrations().size());
    EXPECT_EQ(L"/restart", FakeRestartRegistrations()[0].commandLine);
    // RESTART_NO_CRASH | RESTART_NO_HANG: updates and reboots only.
    EXPECT_EQ(3u, FakeRestartRegistrations()[0].flags);
    EXPECT_TRUE(IsRestartRequest(RESTART_REQUEST));
    FakeWithoutRestart(true);
    EXPECT_FALSE(RegisterForSystemRestart());
}
