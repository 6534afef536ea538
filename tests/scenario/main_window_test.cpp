// The main window as the user first meets it, hiding and showing, Exit, the tray icon.
#include "scenario.h"

#include <cstring>

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    RECT units;  // x, y, width, height in dialog units, each mapped on its own as the dialog manager does
};

const ExpectedControl MAIN_CONTROLS[] = {
    // Owner-drawn, keeping its texts: LBS_OWNERDRAWFIXED | LBS_HASSTRINGS.
    {IDC_PLAYLIST, "ListBox", "", 0x50A10151, {8, 7, 113, 114}},
    {IDM_START, "Button", "&Start", 0x50010001, {138, 16, 45, 14}},
    {IDM_PAUSE, "Button", "&Pause", 0x58010000, {195, 16, 45, 14}},
    {IDM_STOP, "Button", "S&top", 0x58010000, {252, 16, 45, 14}},
    // Wider than first drawn: at 120 DPI the label was cut.
    {IDC_AUTO_EXIT, "Button", "Exit automatically when do&ne", 0x50010003, {138, 33, 159, 10}},
    {IDC_ADD, "Button", "&Add...", 0x50010000, {138, 63, 41, 14}},
    {IDC_REMOVE, "Button", "&Remove", 0x58010000, {186, 63, 41, 14}},
    {IDC_UP, "Button", "&Up", 0x58010000, {234, 63, 28, 14}},
    {IDC_DOWN, "Button", "&Down", 0x58010000, {269, 63, 28, 14}},
    {IDC_VOLUME_LABEL, "Static", "&Volume", 0x50020000, {133, 93, 30, 8}},
    {IDC_VOLUME, "msctls_trackbar32", "", 0x50010001, {165, 89, 136, 15}},
    {IDCANCEL, "Button", "&Hide", 0x50010000, {129, 110, 50, 14}},
    {IDC_EXIT, "Button", "E&xit (and cancel playback)", 0x50010000, {187, 110, 100, 14}},
    {0xFFFF, "Button", "Play control", 0x50000007, {129, 5, 176, 43}},
    {0xFFFF, "Button", "Playlist selections", 0x50000007, {129, 52, 176, 32}},
    {IDC_STATUS, "Static", "Vireo ready", 0x50020000, {8, 131, 237, 8}},
    {IDC_TIME, "Static", "", 0x50020002, {234, 131, 71, 8}},
    {IDC_MAILBOX, "Static", ".", 0x40020000, {8, 121, 30, 8}},
    // The queue's line under the list: SS_ENDELLIPSIS | SS_NOPREFIX.
    {IDC_QUEUE_SUMMARY, "Static", "No entries", 0x50024080, {8, 122, 113, 8}},
};

// Reads one sz_Or_Ord field of a dialog template: a text, or 0xFFFF and an ordinal.
const WORD* ReadTemplateText(const WORD* p, std::string* text, WORD* ordinal)
{
    text->clear();
    *ordinal = 0;
    if (*p == 0xFFFF) {
        *ordinal = p[1];
        return p + 2;
    }
    for (; *p != 0; ++p)
        *text += static_cast<char>(*p);
    return p + 1;
}

const WORD* AlignToDword(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~static_cast<UINT_PTR>(3));
}

const char* ClassOfAtom(WORD atom)
{
    switch (atom) {
    case 0x80: return "Button";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    default:   return "?";
    }
}

}  // namespace

TEST_F(Scenario, TemplateHoldsTheDesignedStyleWordsTextsAndPlaces)
{
    HRSRC found = FindResourceA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5));
    ASSERT_TRUE(found != NULL);
    const DLGTEMPLATE* dialog = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(g_instance, found)));
    // WS_THICKFRAME and WS_MAXIMIZEBOX: the window grows.
    EXPECT_EQ(0x80CD00C0u, dialog->style);
    EXPECT_EQ(0u, dialog->dwExtendedStyle);
    EXPECT_EQ(0, dialog->x);
    EXPECT_EQ(0, dialog->y);
    EXPECT_EQ(313, dialog->cx);
    EXPECT_EQ(145, dialog->cy);
    ASSERT_EQ(sizeof MAIN_CONTROLS / sizeof MAIN_CONTROLS[0], static_cast<size_t>(dialog->cdit));
    std::string text;
    WORD ordinal = 0;
    const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
    p = ReadTemplateText(p, &text, &ordinal);
    EXPECT_EQ(IDR_MAINMENU, ordinal);
    p = ReadTemplateText(p, &text, &ordinal);
    EXPECT_EQ("", text) << "no class of its own";
    p = ReadTemplateText(p, &text, &ordinal);
    EXPECT_EQ("Vireo", text);
    EXPECT_EQ(8, *p++);
    p = ReadTemplateText(p, &text, &ordinal);
    EXPECT_EQ("MS Sans Serif", text);
    for (const ExpectedControl& expected : MAIN_CONTROLS) {
        const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(AlignToDword(p));
        EXPECT_EQ(expected.style, item->style) << expected.text;
        EXPECT_EQ(expected.units.left, item->x) << expected.text;
        EXPECT_EQ(expected.units.top, item->y) << expected.text;
        EXPECT_EQ(expected.units.right, item->cx) << expected.text;
        EXPECT_EQ(expected.units.bottom, item->cy) << expected.text;
        EXPECT_EQ(expected.id, item->id) << expected.text;
        p = reinterpret_cast<const WORD*>(item + 1);
        p = ReadTemplateText(p, &text, &ordinal);
        // The class is stored by name or by the platform's atom for it.
        EXPECT_EQ(0, lstrcmpiA(expected.className, ordinal != 0 ? ClassOfAtom(ordinal) : text.c_str()))
            << expected.text;
        p = ReadTemplateText(p, &text, &ordinal);
        EXPECT_EQ(expected.text, text);
        p += 1 + *p / sizeof(WORD);
    }
}

TEST_F(Scenario, RunningWindowHasTheControlsInTemplateOrderAndPlace)
{
    Open();
    char text[128];
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("Vireo", text);
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ("#32770", text);
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(static_cast<DWORD>(WS_MAXIMIZEBOX | WS_THICKFRAME), style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_NE(0u, style & WS_SYSMENU);

    HWND child = GetWindow(window, GW_CHILD);
    for (const ExpectedControl& expected : MAIN_CONTROLS) {
        ASSERT_TRUE(child != NULL) << "missing control " << expected.text;
        EXPECT_EQ(expected.id, GetDlgCtrlID(child) & 0xFFFF) << expected.text;
        GetClassNameA(child, text, sizeof text);
        EXPECT_STREQ(expected.className, text);
        GetWindowTextA(child, text, sizeof text);
        EXPECT_STREQ(expected.text, text);
        EXPECT_EQ(expected.id != IDC_MAILBOX, IsWindowVisible(child) != FALSE) << expected.text;
        RECT units = expected.units;
        MapDialogRect(window, &units);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(NULL, window, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(units.left, actual.left) << expected.text;
        EXPECT_EQ(units.top, actual.top) << expected.text;
        EXPECT_EQ(units.right, actual.right - actual.left) << expected.text;
        EXPECT_EQ(units.bottom, actual.bottom - actual.top) << expected.text;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_TRUE(child == NULL) << "more controls than designed";
}

TEST_F(Scenario, FirstStartShowsTheWindowWithOnlyStartAndAddOffered)
{
    Open();
    EXPECT_TRUE(Visible());
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT));
    EXPECT_TRUE(Enabled(IDM_START));
    EXPECT_TRUE(Enabled(IDC_ADD));
    for (int id : {IDM_PAUSE, IDM_STOP, IDC_REMOVE, IDC_UP, IDC_DOWN})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(0u, TrayMenuState(IDM_START) & MF_GRAYED);
    for (int id : {IDM_STOP, IDM_PAUSE, IDM_PREVIOUS, IDM_NEXT})
        EXPECT_NE(0u, TrayMenuState(id) & MF_GRAYED) << id;
    for (int id : {IDC_EXIT, IDM_PROPERTIES, IDM_ABOUT, IDM_HELP})
        EXPECT_EQ(0u, TrayMenuState(id) & MF_GRAYED) << id;
    EXPECT_EQ("Vireo ready", Status());

    ASSERT_EQ(1u, FakeTrayCalls().size());
    const FakeTrayCall& add = FakeTrayCalls()[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.action);
    EXPECT_EQ(FIRST_FORM_TRAY_SIZE, add.size);
    EXPECT_EQ(window, add.window);
    EXPECT_EQ(static_cast<UINT>(TRAY_ICON_ID), add.id);
    EXPECT_EQ(7u, add.flags);
    EXPECT_EQ(static_cast<UINT>(MSG_TRAY), add.callback);
    EXPECT_EQ(g_idleIcon, add.icon);
    EXPECT_EQ("Click to start playing, right-click for settings", add.tip);
}

TEST_F(Scenario, StartWithARequestStaysHiddenAndTicksAutoExit)
{
    Open("C:\\nowhere\\clip.wav");
    EXPECT_FALSE(Visible());
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, IDC_AUTO_EXIT));
    EXPECT_EQ(std::vector<std::string>{"clip.wav"}, Items());
    ASSERT_FALSE(FakeTrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), FakeTrayCalls().back().action);
}

TEST_F(Scenario, HideEscapeAndCloseBoxOnlyHide)
{
    Open();
    Command(IDCANCEL);
    EXPECT_FALSE(Visible());
    Command(IDM_PROPERTIES);
    EXPECT_TRUE(Visible());
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible());
    Tray(WM_LBUTTONDBLCLK);  // a double click shows it again (after the press starts playback)
    EXPECT_TRUE(Visible());
    SetFocus(GetDlgItem(window, IDC_ADD));
    PostMessageA(GetDlgItem(window, IDC_ADD), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(1u, FakeTrayCalls().size()) << "hiding leaves the tray icon alone";
}

TEST_F(Scenario, ExitRemovesTheIconClosesTheMediaAndSavesBeforeTheWindowGoes)
{
    Open();
    FakeMediaClearCommands();
    Command(IDC_EXIT);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_FALSE(FakeTrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), FakeTrayCalls().back().action);
    EXPECT_EQ(FIRST_FORM_TRAY_SIZE, FakeTrayCalls().back().size);
    EXPECT_EQ((std::vector<std::string>{"pause VireoMedia wait", "stop VireoMedia", "close VireoMedia"}),
              FakeMediaCommands());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo", 0, KEY_READ, &key));
    DWORD value = 1;
    DWORD size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "x", NULL, NULL, reinterpret_cast<BYTE*>(&value), &size));
    RegCloseKey(key);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Scenario, TheMainLoopRunsUntilTheWindowIsGoneWhateverEmptyMessagesArrive)
{
    Open();
    // Any process may post an empty message; only Exit ends the loop.
    PostMessageA(window, WM_NULL, 0, 0);
    PostCommand(IDC_EXIT);
    RunMainLoop(window);
    EXPECT_FALSE(IsWindow(window)) << "the loop ended with the window still there";
    ASSERT_FALSE(FakeTrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), FakeTrayCalls().back().action);
}

// The "random" value stored in the settings, or false when there is none.
bool StoredRandom(DWORD* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value;
    LONG result = RegQueryValueExA(key, "random", NULL, NULL, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// Windows ends the process after WM_ENDSESSION without destroying the window.
TEST_F(Scenario, TheEndOfTheSessionSavesAndLetsGoAsExitDoes)
{
    g_runningMarker = AcquireRunningMarker();
    ASSERT_TRUE(g_runningMarker != NULL);
    Open();
    FakeMediaAddFile("C:\\a.wav", 5000);
    Add("C:\\a.wav");
    Command(IDM_SHUFFLE);
    Command(IDM_START);
    Pump();

    // Cancelled: nothing changes.
    EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, 0)) << "the session may end";
    size_t trayCalls = FakeTrayCalls().size();
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(trayCalls, FakeTrayCalls().size());
    EXPECT_TRUE(FakeMediaPlaying("VireoMedia"));
    DWORD random = 0;
    EXPECT_FALSE(StoredRandom(&random));

    FakeMediaClearCommands();
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(IsWindow(window));
    ASSERT_FALSE(FakeTrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), FakeTrayCalls().back().action);
    // The place in the entry is asked for before the media is let go, and
    // kept with the queue.
    EXPECT_EQ((std::vector<std::string>{"status VireoMedia position wait", "pause VireoMedia wait", "stop VireoMedia",
                                        "close VireoMedia"}),
              FakeMediaCommands());
    EXPECT_NE(std::string::npos, KeptQueueBytes().find("current\t0\t")) << KeptQueueBytes();
    EXPECT_FALSE(KillTimer(window, g_progressTimerId)) << "the progress timer was killed";
    EXPECT_TRUE(StoredRandom(&random));
    EXPECT_EQ(1u, random);
    EXPECT_TRUE(g_runningMarker == NULL);
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tallgrass\\Vireo\\running", 0, KEY_READ, &key))
        << "the marker is released";
}

// Explorer restarted: the icon comes back as it was.
TEST_F(Scenario, TheIconComesBackWhenTheTaskbarDoes)
{
    Open();
    FakeMediaAddFile("C:\\a.wav", 65000);
    Add("C:\\a.wav");
    Command(IDM_START);
    Pump();
    FakeMediaAdvance(3000);
    Tick();
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(window, taskbarCreated, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), LastTray().action);
    EXPECT_EQ(g_playingIcon, LastTray().icon);
    EXPECT_EQ("0:03 of 1:05 in a.wav", LastTray().tip);
    EXPECT_EQ(static_cast<UINT>(MSG_TRAY), LastTray().callback);

    Command(IDM_PAUSE);
    Tick();
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    Pump();
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), LastTray().action);
    EXPECT_EQ(g_pausedIcon, LastTray().icon);
    EXPECT_EQ("Vireo paused; click to resume.", LastTray().tip);
    Command(IDM_STOP);
}

TEST_F(Scenario, TrayClicksStartPauseResumeAndTheMenuRunsChosenCommands)
{
    Open();
    FakeMediaAddFile("C:\\a.wav", 5000);
    Add("C:\\a.wav");
    Tray(WM_LBUTTONDOWN);
    Pump();
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    Tray(WM_LBUTTONDOWN);
    EXPECT_EQ(PLAY_PAUSED, g_playState);
    Tray(WM_LBUTTONDOWN);
    EXPECT_EQ(PLAY_PLAYING, g_playState);
    Tray(WM_MOUSEMOVE);
    Tray(WM_LBUTTONUP);
    Tray(WM_RBUTTONDBLCLK);
    EXPECT_EQ(PLAY_PLAYING, g_playState);

    FakeChooseMenuItem(IDM_STOP);
    Tray(WM_RBUTTONDOWN);
    ASSERT_EQ(1u, FakePopups().size());
    EXPECT_EQ(g_trayMenu, FakePopups()[0].menu);
    EXPECT_EQ(static_cast<UINT>(TPM_RIGHTBUTTON), FakePopups()[0].flags);
    EXPECT_EQ(window, FakePopups()[0].owner);
    MSG closed;
    EXPECT_TRUE(PeekMessageA(&closed, window, MSG_MENU_CLOSED, MSG_MENU_CLOSED, PM_NOREMOVE));
    Pump();
    EXPECT_EQ(PLAY_STOPPED, g_playState);

    Tray(WM_RBUTTONDOWN);  // closed without a choice: nothing runs
    Pump();
    EXPECT_EQ(PLAY_STOPPED, g_playState);
    EXPECT_TRUE(FakeMessageBoxes().empty());

    Tray(WM_LBUTTONDOWN, 7);
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ("Unknown tray icon", FakeMessageBoxes()[0].text);
    EXPECT_EQ("Vireo", FakeMessageBoxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), FakeMessageBoxes()[0].type);
    EXPECT_EQ(PLAY_STOPPED, g_playState);
}

TEST_F(Scenario, TrayTipKeepsSixtyTwoCharacters)
{
    Open();
    std::string longText(100, 'x');
    for (size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<char>('a' + i % 26);
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, longText.c_str());
    EXPECT_EQ(longText.substr(0, 62), LastTray().tip);
    EXPECT_TRUE(LastTray().tipTerminatedAt63);
    EXPECT_EQ(FIRST_FORM_TRAY_SIZE, LastTray().size);
    NotifyTrayIcon(NIM_MODIFY, window, g_playingIcon, NULL);
    EXPECT_EQ("Click to start playing, right-click for settings", LastTray().tip);
}

TEST_F(Scenario, StepCommandsChangeOnlyTheTrayMenu)
{
    Open();
    EnableCommand(window, IDM_NEXT);
    EXPECT_EQ(0u, TrayMenuState(IDM_NEXT) & MF_GRAYED);
    GrayCommand(window, IDM_NEXT);
    EXPECT_NE(0u, TrayMenuState(IDM_NEXT) & MF_GRAYED);
    GrayCommand(window, IDC_ADD);
    EXPECT_FALSE(Enabled(IDC_ADD));
    EnableCommand(window, IDC_ADD);
    EXPECT_TRUE(Enabled(IDC_ADD));
    Command(12345);  // a command of no one's changes nothing
    PostMessageA(window, MSG_MENU_CLOSED, 0, 0);
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ("Vireo ready", Status());
}
