// The kept queue against kills: the player killed while it writes its queue,
// at random moments and the moment the new file appears, many times; every
// next start must find a whole queue, the old one or the new one.
#include "process_harness.h"

#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

const int KILLED_CODE = 99;
// Enough that a write takes a while (about 50 KB), few enough that each
// start's list can be read back whole across processes in a moment.
const int BASE_ENTRIES = 600;
const int ROUNDS = 16;
const int MOST_ADDED = 30;
// Past the quiet time (250 ms) the list's changes wait for, and its write.
const DWORD MOST_DELAY_MS = 700;

struct Figures {
    int tried = 0;
    int crashes = 0;
    int lost = 0;          // a start that found less than the last whole queue, or none
    int corrupted = 0;     // entries that are not the queue's, in its order, or a place off its entry
    int newer = 0;         // starts that found the batch the kill fell after
    ~Figures()
    {
        std::printf("RELIABILITY kind=kills_during_queue_writes tried=%d crashes=%d lost=%d\n", tried, crashes,
                    lost + corrupted);
        std::printf("RELIABILITY-NOTE kind=kills_during_queue_writes %d of %d starts found the batch added before "
                    "the kill, the others the queue before it; %d lost, %d corrupted\n",
                    newer, tried, lost, corrupted);
        std::fflush(stdout);
    }
};

// A fixed generator, so that a failing run can be made again.
struct Random {
    uint32_t state;
    uint32_t Below(uint32_t bound)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    }
};

// The list once a start has brought it back: a start without a request
// shows its window last.
std::vector<std::string> Restored(HWND window)
{
    WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, window, 20000);
    return ListItems(window);
}

bool IsPrefix(const std::vector<std::string>& items, const std::vector<std::string>& of)
{
    if (items.size() > of.size())
        return false;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] != of[i])
            return false;
    return true;
}

void Kill(Started& started)
{
    TerminateProcess(started.process, KILLED_CODE);
    WaitForSingleObject(started.process, 5000);
    CloseStarted(started);
}

// Kills the player the moment the queue's new file appears, or after the
// given time at the latest.
void KillAsTheNewFileAppears(Started& started, const std::string& fresh, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetFileAttributesA(fresh.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < timeoutMs) {
    }
    Kill(started);
}

}  // namespace

// Its own name, so that the report can run these tests alone.
class Reliability : public ProcessTest {};

TEST_F(Reliability, KillsWhileTheQueueIsWrittenLeaveAWholeQueue)
{
    Figures figures;
    Random random = {26};
    const std::string fresh = KeptQueueFolder() + "\\Queue.VireoQueue.new";
    // The first entry plays through every round, so the place is written too.
    const std::string tone = TempFolder() + "\\kept long tone.wav";
    WriteToneWav(tone, 440, 60000);
    std::vector<std::string> expected = {"kept long tone.wav"};
    std::string list = "[VIREO 1.0]\r\n" + tone + "\r\n";
    for (int i = 0; i < BASE_ENTRIES; ++i) {
        list += "C:\\Kept queue\\base " + std::to_string(i) + ".wav\r\n";
        expected.push_back("base " + std::to_string(i) + ".wav");
    }
    const std::string listPath = TempFolder() + "\\kept base.VireoList";
    WriteTextFile(listPath, list);

    Started vireo = StartVireo("/load \"" + listPath + "\"");
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    ASSERT_EQ(expected, Restored(window));
    Sleep(1500);
    Kill(vireo);
    size_t whole = expected.size();

    for (int round = 0; round < ROUNDS; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ++figures.tried;
        vireo = StartVireo();
        window = WaitForMainWindow(vireo.pid);
        if (window == NULL)
            ++figures.crashes;
        ASSERT_TRUE(window != NULL);
        std::vector<std::string> items = Restored(window);
        int selected = static_cast<int>(SendDlgItemMessageA(window, IDC_PLAYLIST, LB_GETCURSEL, 0, 0));
        if (items.size() < whole)
            ++figures.lost;
        else if (!IsPrefix(items, expected) || (selected != -1 && selected != 0))
            ++figures.corrupted;
        else if (items.size() > whole)
            ++figures.newer;
        EXPECT_GE(items.size(), whole);
        EXPECT_TRUE(IsPrefix(items, expected)) << items.size() << " entries";
        EXPECT_TRUE(selected == -1 || selected == 0) << selected;
        // What this start holds is the queue from here on.
        expected = items;
        whole = items.size();

        PostCommand(window, IDM_START);
        int added = 1 + static_cast<int>(random.Below(MOST_ADDED));
        std::string prefix = "C:\\Kept queue\\round " + std::to_string(round) + " entry ";
        for (int i = 0; i < added; ++i)
            expected.push_back(prefix.substr(prefix.rfind('\\') + 1) + std::to_string(i));
        DeleteFileA(fresh.c_str());
        Started client = StartProgram("mailbox_client.exe", "--lines " + std::to_string(added) + " \"" + prefix + "\"");
        EXPECT_EQ(0, WaitForExit(client));
        CloseStarted(client);
        if (round % 2 == 0)
            KillAsTheNewFileAppears(vireo, fresh, MOST_DELAY_MS);
        else {
            Sleep(random.Below(MOST_DELAY_MS));
            Kill(vireo);
        }
    }
    DeleteFileA(tone.c_str());
    DeleteFileA(listPath.c_str());
}
