// Explorer's executes reach the player through its conversation windows,
// which the main loop and any modal loop pump alongside the main window.
#include "scenario.h"

#include <ddeml.h>

#include <atomic>
#include <thread>

#include "../../app/dde_text.h"

namespace {

HDDEDATA CALLBACK OnClientTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

// A client on a thread of its own, as Explorer is a process of its own.
struct DdeClient {
    DWORD instance = 0;
    HCONV conversation = NULL;

    DdeClient()
    {
        DdeInitializeA(&instance, OnClientTransaction, APPCMD_CLIENTONLY, 0);
        HSZ service = DdeCreateStringHandleA(instance, DDE_SERVICE_NAME, CP_WINANSI);
        HSZ topic = DdeCreateStringHandleA(instance, DDE_TOPIC_NAME, CP_WINANSI);
        conversation = DdeConnect(instance, service, topic, NULL);
        DdeFreeStringHandle(instance, service);
        DdeFreeStringHandle(instance, topic);
    }
    ~DdeClient()
    {
        if (conversation != NULL)
            DdeDisconnect(conversation);
        DdeUninitialize(instance);
    }
    // Whether the player acknowledged it; a player that never sees it times out.
    bool Add(const std::string& path)
    {
        std::string execute = "[add(\"" + path + "\")]";
        DWORD result = 0;
        return conversation != NULL &&
               DdeClientTransaction(reinterpret_cast<LPBYTE>(&execute[0]), static_cast<DWORD>(execute.size() + 1),
                                    conversation, NULL, 0, XTYP_EXECUTE, 3000, &result) != NULL;
    }
};

int CountAcross(HWND window)
{
    return static_cast<int>(SendDlgItemMessageA(window, IDC_PLAYLIST, LB_GETCOUNT, 0, 0));
}

}  // namespace

class DdeScenario : public Scenario {};

TEST_F(DdeScenario, TheMainLoopCarriesOutAnExecuteBeforeTheExitThatFollows)
{
    Open();
    StartDdeService(window);
    bool acknowledged = false;
    int countAfter = -1;
    std::thread explorer([&] {
        {
            // Ended while the loop still runs to answer its end.
            DdeClient client;
            acknowledged = client.Add("C:\\Loop\\first.wav");
            countAfter = CountAcross(window);
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, 0), 0);
    });
    RunMainLoop(window);
    explorer.join();
    EXPECT_TRUE(acknowledged) << "the conversation's messages reached its window";
    EXPECT_EQ(1, countAfter) << "answered once the path was in the list";
    EXPECT_FALSE(IsWindow(window));
}

// The about box runs the platform's own modal loop; a chooser or a message
// box runs one of the same kind.
TEST_F(DdeScenario, ExecutesAndForwardedPathsArriveInOrderWhileTheAboutBoxIsOpen)
{
    Open();
    StartDdeService(window);
    bool boxWasOpen = false;
    int acknowledged = 0;
    std::thread explorer([&] {
        HWND box = NULL;
        for (int i = 0; i < 200 && box == NULL; ++i) {
            Sleep(10);
            box = FindWindowA("#32770", "About Vireo");
        }
        {
            DdeClient client;
            acknowledged += client.Add("C:\\Modal\\one.wav");
            acknowledged += client.Add("C:\\Modal\\two.wav");
            // As a later start posts: from another thread than the window's.
            PostToAddMailbox(window, "C:\\Modal\\three.wav");
            acknowledged += client.Add("C:\\Modal\\four.wav");
        }
        boxWasOpen = box != NULL && IsWindow(box);
        if (box != NULL)
            SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(IDM_ABOUT);
    explorer.join();
    EXPECT_TRUE(boxWasOpen);
    EXPECT_EQ(3, acknowledged);
    EXPECT_EQ((std::vector<std::string>{"one.wav", "two.wav", "three.wav", "four.wav"}), Items());
}

// The player holding the marker serves executes from its window's first
// messages on, as the shell waits for it to; a player without the marker (one
// running beside the owner) never does.
TEST_F(DdeScenario, OnlyTheMarkersOwnerServesExecutesOnceItsWindowRuns)
{
    auto served = [&] {
        std::atomic<bool> done(false);
        bool acknowledged = false;
        std::thread explorer([&] {
            acknowledged = DdeClient().Add("C:\\Served\\x.wav");
            done = true;
        });
        while (!done) {
            Pump();
            Sleep(1);
        }
        explorer.join();
        return acknowledged;
    };
    Open();
    EXPECT_FALSE(served()) << "without the marker";
    DestroyWindow(window);
    Pump();

    g_runningMarker = AcquireRunningMarker();
    ASSERT_TRUE(g_runningMarker != NULL);
    Open();
    EXPECT_TRUE(served());
    EXPECT_EQ(std::vector<std::string>{"x.wav"}, Items());
    ReleaseRunningMarker(g_runningMarker);
    g_runningMarker = NULL;
}
