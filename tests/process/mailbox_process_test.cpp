// The add mailbox between real processes.
#include "process_harness.h"

#include <string>
#include <vector>

#include "resource.h"

namespace {

// A folder of this file's own: the Wine prefix's drive is shared between runs.
std::string Folder()
{
    return TempFolder("playlist-mailbox");
}

size_t s_wantedItems = 0;

bool HasWantedItems(HWND window)
{
    return ListItems(window).size() >= s_wantedItems;
}

std::vector<std::string> Numbered(const std::string& prefix, int count, const std::string& suffix = "")
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(prefix + std::to_string(i) + suffix);
    return texts;
}

// The items that begin with prefix, in list order.
std::vector<std::string> WithPrefix(const std::vector<std::string>& items, const std::string& prefix)
{
    std::vector<std::string> matching;
    for (const std::string& item : items)
        if (item.compare(0, prefix.size(), prefix) == 0)
            matching.push_back(item);
    return matching;
}

std::string WindowNumber(HWND window)
{
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

}  // namespace

TEST_F(ProcessTest, SendersInOtherProcessesAddInTheirOrderAndLoseNothingAtOnce)
{
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    Started client = StartProgram("mailbox_client.exe", "C:\\Clips\\one.wav C:\\Clips\\two.mid C:\\Clips\\three.avi");
    EXPECT_EQ(0, WaitForExit(client));
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.mid", "three.avi"}), ListItems(window));

    Started a = StartProgram("mailbox_client.exe", "--lines 200 A");
    Started b = StartProgram("mailbox_client.exe", "--lines 200 B");
    EXPECT_EQ(0, WaitForExit(a, 120000));
    EXPECT_EQ(0, WaitForExit(b, 120000));
    std::vector<std::string> items = ListItems(window);
    EXPECT_EQ(403u, items.size());
    EXPECT_EQ(Numbered("A", 200), WithPrefix(items, "A"));
    EXPECT_EQ(Numbered("B", 200), WithPrefix(items, "B"));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    CloseStarted(client);
    CloseStarted(a);
    CloseStarted(b);
}

// The instance posts on its own thread (a "/load" during its start) while a
// sender in another process holds the slot and waits for that very thread.
TEST_F(ProcessTest, OwnPostWhileAnotherProcessHoldsTheSlotLosesNeitherPath)
{
    const std::string list = Folder() + "\\own.VireoList";
    std::string bytes = "[VIREO 1.0]\r\n";
    for (const std::string& line : Numbered("C:\\Own\\line", 5, ".wav"))
        bytes += line + "\r\n";
    WriteTextFile(list, bytes);
    HANDLE taken = CreateEventA(NULL, TRUE, FALSE, "VireoTestSlotTaken");
    ASSERT_TRUE(taken != NULL);
    Started holder = StartProgram("mailbox_sender.exe", "--hold VireoTestSlotTaken 1000 C:\\Other\\held.wav");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 15000));

    Started vireo = StartVireo("/load " + list);
    EXPECT_EQ(0, WaitForExit(holder, 60000));
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    s_wantedItems = 6;
    WaitUntil(HasWantedItems, window, 20000);
    std::vector<std::string> expected{"held.wav"};
    for (const std::string& name : Numbered("line", 5, ".wav"))
        expected.push_back(name);
    EXPECT_EQ(expected, ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    if (WaitForExit(holder, 0) == -1)
        TerminateProcess(holder.process, 99);
    CloseStarted(vireo);
    CloseStarted(holder);
    CloseHandle(taken);
}

TEST_F(ProcessTest, ASenderWhoseWindowIsGoneGivesTheSlotBack)
{
    // Held open here so that the count outlives the senders.
    HANDLE semaphore = CreateSemaphoreA(NULL, 1, 1, "VireoAddSemaphore");
    ASSERT_TRUE(semaphore != NULL);
    Started first = StartVireo();
    HWND gone = WaitForMainWindow(first.pid);
    ASSERT_TRUE(gone != NULL);
    EXPECT_EQ(0, ExitVireo(gone, first));
    ASSERT_FALSE(IsWindow(gone));

    Started sender = StartProgram("mailbox_sender.exe", "--post-to " + WindowNumber(gone) + " C:\\Lost\\nowhere.wav");
    EXPECT_EQ(0, WaitForExit(sender));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore, 0)) << "the slot was not given back";
    ReleaseSemaphore(semaphore, 1, NULL);

    Started second = StartVireo();
    HWND window = WaitForMainWindow(second.pid);
    ASSERT_TRUE(window != NULL);
    Started client = StartProgram("mailbox_client.exe", "C:\\Found\\later.wav");
    EXPECT_EQ(0, WaitForExit(client));
    EXPECT_EQ((std::vector<std::string>{"later.wav"}), ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, second));
    CloseStarted(first);
    CloseStarted(sender);
    CloseStarted(second);
    CloseStarted(client);
    CloseHandle(semaphore);
}

// Another process's window takes a text of a megabyte badly (under Wine the
// send never returns); the receiver reads 258 characters of it at most.
TEST_F(ProcessTest, AMegabyteLineFromAnotherProcessArrivesAsItsFirst258Characters)
{
    const std::string line = "M" + std::string(1024 * 1024, 'm');
    const std::string list = Folder() + "\\megabyte.VireoList";
    WriteTextFile(list, "[VIREO 1.0]\r\n" + line + "\r\n");
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    Started forwarder = StartVireo("/load " + list);
    EXPECT_EQ(0, WaitForExit(forwarder, 30000));
    Started client = StartProgram("mailbox_client.exe", "C:\\After\\next.wav");
    EXPECT_EQ(0, WaitForExit(client));
    EXPECT_EQ((std::vector<std::string>{line.substr(0, 258), "next.wav"}), ListItems(window));
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    CloseStarted(forwarder);
    CloseStarted(client);
}
