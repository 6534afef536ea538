// One running instance per user: the marker's life, and what a later start does.
#include "process_harness.h"

#include "resource.h"

TEST_F(ProcessTest, MarkerLivesFromStartToExit)
{
    Started first = StartVireo();
    HWND window = WaitForMainWindow(first.pid);
    ASSERT_TRUE(window != NULL);
    DWORD pid = 0;
    ASSERT_TRUE(ReadMarkerPid(&pid));
    EXPECT_EQ(first.pid, pid);
    // The window exists before its initialisation has shown it.
    EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, window, 5000));
    EXPECT_EQ(0, ExitVireo(window, first));
    EXPECT_FALSE(MarkerExists());
    CloseStarted(first);
}

TEST_F(ProcessTest, StaleOrMalformedMarkersAreTakenOver)
{
    struct Case {
        const char* what;
        std::string data;
        DWORD type;
    };
    DWORD ended = 0;
    {
        // The id of a process that has ended.
        Started gone = StartProgram("mailbox_client.exe", "--exit");
        ASSERT_EQ(0, WaitForExit(gone));
        ended = gone.pid;
        CloseStarted(gone);
    }
    const Case cases[] = {
        {"ended process", std::string(reinterpret_cast<const char*>(&ended), 4), REG_DWORD},
        {"string", "1234", REG_SZ},
        {"eight bytes", std::string(8, '\1'), REG_BINARY},
        {"two bytes", std::string(2, '\1'), REG_DWORD},
    };
    for (const Case& c : cases) {
        WriteMarker(c.data.data(), static_cast<DWORD>(c.data.size()), c.type);
        Started vireo = StartVireo();
        HWND window = WaitForMainWindow(vireo.pid);
        ASSERT_TRUE(window != NULL) << c.what;
        ExpectMarkerNames(vireo.pid, c.what);
        EXPECT_EQ(0, ExitVireo(window, vireo)) << c.what;
        EXPECT_FALSE(MarkerExists()) << c.what;
        CloseStarted(vireo);
    }
}

TEST_F(ProcessTest, LaterStartWithoutRequestShowsTheRunningWindowAndEnds)
{
    Started first = StartVireo();
    HWND window = WaitForMainWindow(first.pid);
    ASSERT_TRUE(window != NULL);
    PostCommand(window, IDCANCEL);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindowVisible(w); }, window, 5000));

    DWORD before = GetTickCount();
    Started second = StartVireo();
    EXPECT_EQ(0, WaitForExit(second));
    EXPECT_LT(GetTickCount() - before, 1800u) << "the window is found at the first search";
    EXPECT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, window, 5000));
    ExpectMarkerNames(first.pid);
    EXPECT_EQ(0, ExitVireo(window, first));
    CloseStarted(first);
    CloseStarted(second);
}

TEST_F(ProcessTest, LiveOwnerWithoutAWindowCostsEightSearchesThenRunsBeside)
{
    // This test program is a live process of the same system version, with no
    // window of the player's class and title.
    DWORD self = GetCurrentProcessId();
    WriteMarker(&self, sizeof self, REG_DWORD);
    DWORD before = GetTickCount();
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_GE(GetTickCount() - before, 2000u);
    EXPECT_EQ(0, ExitVireo(window, vireo));
    DWORD pid = 0;
    ASSERT_TRUE(ReadMarkerPid(&pid)) << "a process that does not own the marker leaves it alone";
    EXPECT_EQ(self, pid);
    CloseStarted(vireo);
}

TEST_F(ProcessTest, ALaterStartWhoseFileThePlayerCannotTakeSaysSo)
{
    Started vireo = StartVireo();
    HWND window = WaitForMainWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    // A sender that took the slot and never lets it go, while the player runs on.
    HANDLE taken = CreateEventA(NULL, TRUE, FALSE, "VireoTestSlotHeld");
    Started holder = StartProgram("fault_client.exe", "--hold-slot VireoTestSlotHeld");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000));

    DWORD before = GetTickCount();
    Started later = StartVireo("C:\\Held\\late.wav");
    HWND box = WaitForDialog(later.pid, "Vireo playlist", 30000, true);
    ASSERT_TRUE(box != NULL) << "the later start tells the user";
    EXPECT_GE(GetTickCount() - before, 10000u) << "after asking again for ten seconds";
    // The text of a message box is its control 0xFFFF.
    EXPECT_EQ("Some files could not be added to the playlist of the running Vireo.", ControlText(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(0, WaitForExit(later));
    TerminateProcess(holder.process, 99);
    WaitForSingleObject(holder.process, 5000);
    EXPECT_TRUE(ListItems(window).empty());
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    CloseStarted(later);
    CloseStarted(holder);
    CloseHandle(taken);
}
