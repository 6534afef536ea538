// Settings kept by real processes: with two full instances the last to end wins.
#include "process_harness.h"

#include "resource.h"

namespace {

int32_t ReadSetting(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1000;
    int32_t value = -1000;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        value = -1000;
    RegCloseKey(key);
    return value;
}

// Found by title as soon as it exists; shown only once its settings are loaded.
HWND WaitForLoadedWindow(DWORD pid)
{
    HWND window = WaitForMainWindow(pid);
    if (window != NULL && !WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, window, 10000))
        return NULL;
    return window;
}

void Retitle(HWND window, const char* title)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title), SMTO_BLOCK, 5000, &result);
}

}  // namespace

TEST_F(ProcessTest, WithTwoInstancesTheLastToEndLeavesItsValues)
{
    Started first = StartVireo();
    HWND firstWindow = WaitForLoadedWindow(first.pid);
    ASSERT_TRUE(firstWindow != NULL);
    // A later start forwards to a window it finds by title: while the first
    // is retitled, the second searches in vain and runs as a full instance.
    Retitle(firstWindow, "Vireo (first)");
    Started second = StartVireo();
    HWND secondWindow = WaitForLoadedWindow(second.pid);
    Retitle(firstWindow, "Vireo");
    ASSERT_TRUE(secondWindow != NULL) << "the second start runs beside the first";
    ASSERT_NE(firstWindow, secondWindow);

    SetWindowPos(firstWindow, NULL, 40, 30, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    PostCommand(firstWindow, IDM_REPEAT);
    SetWindowPos(secondWindow, NULL, 310, 220, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    PostCommand(secondWindow, IDM_SHUFFLE);
    PostCommand(secondWindow, IDM_CUE_MODE);
    // Menus cannot be read from another process; repeat shows in auto exit.
    EXPECT_TRUE(WaitUntil([](HWND w) { return !ControlEnabled(w, IDC_AUTO_EXIT); }, firstWindow, 5000));
    EXPECT_TRUE(ControlEnabled(secondWindow, IDC_AUTO_EXIT));

    // The marker's owner ends first; the other, ending last, has the last word.
    EXPECT_EQ(0, ExitVireo(firstWindow, first));
    EXPECT_EQ(40, ReadSetting("x"));
    EXPECT_EQ(1, ReadSetting("repeat"));
    EXPECT_EQ(0, ExitVireo(secondWindow, second));
    EXPECT_EQ(310, ReadSetting("x"));
    EXPECT_EQ(220, ReadSetting("y"));
    EXPECT_EQ(1, ReadSetting("cue mode"));
    EXPECT_EQ(0, ReadSetting("repeat"));
    EXPECT_EQ(1, ReadSetting("random"));
    CloseStarted(first);
    CloseStarted(second);

    // The next run starts from what the last one left.
    Started third = StartVireo();
    HWND thirdWindow = WaitForLoadedWindow(third.pid);
    ASSERT_TRUE(thirdWindow != NULL);
    RECT rect;
    GetWindowRect(thirdWindow, &rect);
    EXPECT_EQ(310, rect.left);
    EXPECT_EQ(220, rect.top);
    EXPECT_TRUE(ControlEnabled(thirdWindow, IDC_AUTO_EXIT)) << "repeat is off";
    EXPECT_EQ(0, ExitVireo(thirdWindow, third));
    CloseStarted(third);
}

TEST_F(ProcessTest, SettingsLandInAKeyThatOutlivesTheSession)
{
    // A first start on a fresh profile: not even the maker's key is there.
    DeleteSettings();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tallgrass");
    Started vireo = StartVireo();
    HWND window = WaitForLoadedWindow(vireo.pid);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ(0, ExitVireo(window, vireo));
    CloseStarted(vireo);
    ASSERT_EQ(0, ReadSetting("repeat"));

    // A volatile key, and its values, vanish at the session's end; only a
    // volatile key refuses an ordinary child, so a child tells them apart.
    for (const char* path : {"Software\\Tallgrass", "Software\\Tallgrass\\Vireo"}) {
        std::string probe = std::string(path) + "\\probe";
        HKEY key;
        LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, probe.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                                      KEY_WRITE, NULL, &key, NULL);
        EXPECT_EQ(ERROR_SUCCESS, result) << path << " is volatile";
        if (result == ERROR_SUCCESS) {
            RegCloseKey(key);
            RegDeleteKeyA(HKEY_CURRENT_USER, probe.c_str());
        }
    }
    // A volatile leftover would refuse the ordinary keys of later tests.
    DeleteSettings();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tallgrass");
}
