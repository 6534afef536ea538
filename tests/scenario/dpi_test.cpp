// Texts and pictures at the screen's own DPI: the program declares itself
// per-monitor aware, so Windows no longer stretches its window, and every
// text must still fit and every picture be drawn for its size. The same in
// the system's visual style.
#include "scenario.h"

#include <uxtheme.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The room a text needs in the control's own font, & prefixes taken out.
SIZE TextExtent(HWND control, const char* text, UINT format, int width)
{
    RECT needed = {0, 0, width, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{needed.right, needed.bottom};
}

int ScreenDpi()
{
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    return dpi;
}

SIZE IconSize(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return SIZE{0, 0};
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != NULL)
        DeleteObject(info.hbmColor);
    return SIZE{mask.bmWidth, info.hbmColor != NULL ? mask.bmHeight : mask.bmHeight / 2};
}

// The width of the image an icon resource holds for a size, which the system
// then uses as drawn; 0 when it has to scale another.
int DrawnWidth(int id, int size)
{
    HMODULE self = GetModuleHandleA(NULL);
    HRSRC group = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (group == NULL)
        return 0;
    PBYTE directory = static_cast<PBYTE>(LockResource(LoadResource(self, group)));
    int image = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, 0);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(3));  // RT_ICON
    if (found == NULL)
        return 0;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self, found)));
    return header->biWidth == size && header->biHeight == 2 * size ? size : 0;
}

HICON WindowIcon(HWND window, WPARAM which)
{
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

}  // namespace

// Wine reads the manifest and binds the dialog's buttons to Common Controls 6,
// which alone knows a button's ideal size. (Its DPI awareness Wine does not
// show: every process there reports per-monitor v1.)
TEST_F(Scenario, TheManifestBringsCommonControls6)
{
    Open();
    SIZE ideal = {};
    EXPECT_TRUE(SendDlgItemMessageA(window, IDM_START, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_GT(ideal.cx, 0);
}

// Run at every DPI below: the pictures are those drawn for the sizes the
// screen asks for.
TEST_F(Scenario, PicturesAreTheOnesDrawnForTheScreensSizes)
{
    Open();
    const int dpi = ScreenDpi();
    const int small = GetSystemMetrics(SM_CXSMICON);
    const int large = GetSystemMetrics(SM_CXICON);
    std::printf("pictures at %d dpi: small %d, large %d\n", dpi, small, large);
    const int expectedSmall = dpi == 120 ? 20 : dpi == 144 ? 24 : dpi == 192 ? 32 : 16;
    EXPECT_EQ(expectedSmall, small) << "the small-icon size of " << dpi << " dpi";
    for (HICON picture : {g_idleIcon, g_playingIcon, g_pausedIcon}) {
        SIZE size = IconSize(picture);
        EXPECT_EQ(small, size.cx);
        EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), size.cy);
    }
    EXPECT_EQ(g_idleIcon, LastTray().icon) << "the tray is given the loaded picture";
    for (int id : {IDI_IDLE, IDI_PLAYING, IDI_PAUSED, IDI_PROGRAM}) {
        EXPECT_EQ(small, DrawnWidth(id, small)) << id;
        if (large <= 48) {
            EXPECT_EQ(large, DrawnWidth(id, large)) << id;
        }
    }
    if (large <= 48) {
        EXPECT_EQ(large, DrawnWidth(IDI_ABOUT, large));
    }
    // The window's own icons, at its own DPI.
    UINT windowDpi = WindowDpi(window);
    EXPECT_EQ(MetricForDpi(SM_CXSMICON, windowDpi), IconSize(WindowIcon(window, ICON_SMALL)).cx);
    EXPECT_EQ(MetricForDpi(SM_CXICON, windowDpi), IconSize(WindowIcon(window, ICON_BIG)).cx);
}

// Wine gives a window no DPI of its own: the change a move to another screen
// brings is sent as the system sends it.
TEST_F(Scenario, ADpiChangeMovesTheWindowWhereSuggestedAndLoadsItsPicturesAgain)
{
    Open();
    FakeMediaAddFile("C:\\a.wav", 65000);
    Add("C:\\a.wav");
    Command(IDM_START);
    Pump();
    Command(IDM_PAUSE);
    const HICON oldPictures[] = {g_idleIcon, g_playingIcon, g_pausedIcon};
    const HICON oldSmall = WindowIcon(window, ICON_SMALL);
    const HICON oldBig = WindowIcon(window, ICON_BIG);
    ASSERT_TRUE(oldSmall != NULL && oldBig != NULL);
    RECT before;
    GetWindowRect(window, &before);
    RECT suggested = {before.left + 37, before.top + 23, before.right + 37 + 40, before.bottom + 23 + 20};
    const UINT dpi = WindowDpi(window);
    size_t trayCalls = FakeTrayCalls().size();
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    RECT after;
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&suggested, &after)) << after.left << "," << after.top << " " << after.right << ","
                                               << after.bottom;
    ASSERT_EQ(trayCalls + 1, FakeTrayCalls().size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), LastTray().action);
    EXPECT_EQ(g_pausedIcon, LastTray().icon) << "still the paused picture";
    EXPECT_EQ("Click to start playing, right-click for settings", LastTray().tip);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), IconSize(g_pausedIcon).cx);
    for (HICON old : oldPictures) {
        EXPECT_NE(old, g_idleIcon);
        EXPECT_NE(old, g_playingIcon);
        EXPECT_NE(old, g_pausedIcon);
        EXPECT_EQ(0, IconSize(old).cx) << "the pictures replaced are destroyed";
    }
    EXPECT_NE(oldSmall, WindowIcon(window, ICON_SMALL));
    EXPECT_NE(oldBig, WindowIcon(window, ICON_BIG));
    EXPECT_EQ(0, IconSize(oldSmall).cx) << "the window's replaced icons are destroyed";
    EXPECT_EQ(0, IconSize(oldBig).cx);
    EXPECT_EQ(MetricForDpi(SM_CXSMICON, dpi), IconSize(WindowIcon(window, ICON_SMALL)).cx);

    // A settings or display change with the small-icon size as it was leaves the pictures alone.
    const HICON paused = g_pausedIcon;
    SendMessageA(window, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    EXPECT_EQ(trayCalls + 1, FakeTrayCalls().size());
    EXPECT_EQ(paused, g_pausedIcon);
    Command(IDM_STOP);
}

TEST_F(Scenario, EveryMainWindowTextFitsItsControl)
{
    Open();
    std::printf("checked at %d dpi\n", ScreenDpi());
    int texts = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        char text[256] = "";
        GetClassNameA(child, className, sizeof className);
        GetWindowTextA(child, text, sizeof text);
        if (!IsWindowVisible(child) || text[0] == '\0')
            continue;
        ++texts;
        RECT client;
        GetClientRect(child, &client);
        LONG kind = GetWindowLongA(child, GWL_STYLE) & 0xF;
        bool button = lstrcmpiA(className, "Button") == 0;
        SIZE needed;
        int room = client.right;
        if (button) {
            needed = TextExtent(child, text, DT_SINGLELINE, 0);
            // A check box's box and gap, a push button's and a group's edges.
            room -= kind == BS_AUTOCHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 8;
        } else {
            needed = TextExtent(child, text, DT_WORDBREAK | DT_EXPANDTABS, client.right);
        }
        EXPECT_LE(needed.cx, room) << "cut: " << text;
        EXPECT_LE(needed.cy, client.bottom) << "cut: " << text;
    }
    EXPECT_EQ(14, texts) << "texts looked at";
}

namespace {

// The values Wine's theme manager reads as a process starts; "Blue" is the
// colour of Wine's own light.msstyles (with another name it falls back to
// the classic look).
const char THEME_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
const char* const THEME_VALUES[][2] = {
    {"ThemeActive", "1"},
    {"DllName", "C:\\windows\\resources\\themes\\light\\light.msstyles"},
    {"ColorName", "Blue"},
    {"SizeName", "NormalSize"},
};

// A registry value as it was, to be put back.
struct SavedValue {
    HKEY key;
    std::string name;
    bool had;
    DWORD type;
    std::string data;
};

SavedValue Save(HKEY key, const char* name)
{
    SavedValue saved = {key, name, false, 0, std::string(1024, '\0')};
    DWORD size = static_cast<DWORD>(saved.data.size());
    saved.had = RegQueryValueExA(key, name, NULL, &saved.type, reinterpret_cast<BYTE*>(&saved.data[0]), &size) ==
                ERROR_SUCCESS;
    saved.data.resize(saved.had ? size : 0);
    return saved;
}

void Restore(const SavedValue& saved)
{
    if (saved.had)
        RegSetValueExA(saved.key, saved.name.c_str(), 0, saved.type,
                       reinterpret_cast<const BYTE*>(saved.data.data()), static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(saved.key, saved.name.c_str());
}

void SetText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
}

// This program run again with a filter, its output read back.
DWORD RunSelf(const char* filter, std::string* printed)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string log = std::string(temp) + "vireo-dpi.log";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    if (output == INVALID_HANDLE_VALUE)
        return 1;
    std::string line = std::string("\"") + exe + "\" " + filter;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    DWORD code = 1;
    if (CreateProcessA(exe, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &info)) {
        if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(output);
    printed->clear();
    if (FILE* file = fopen(log.c_str(), "rb")) {
        char chunk[4096];
        for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
            printed->append(chunk, n);
        fclose(file);
    }
    DeleteFileA(log.c_str());
    return code;
}

}  // namespace

// Says how the checks below were run, for the run that starts them.
// The DPI and look the process below was started for ("120 themed"):
// without them the checks would pass as well at the wrong setting.
const char EXPECTED_SCREEN[] = "VIREO_EXPECTED_SCREEN";

TEST_F(Scenario, RunsAtTheDpiAndLookItWasStartedFor)
{
    char expected[32] = "";
    if (GetEnvironmentVariableA(EXPECTED_SCREEN, expected, sizeof expected) == 0)
        GTEST_SKIP() << "started on its own";
    Open();
    bool themed = IsThemeActive() && GetWindowTheme(GetDlgItem(window, IDM_START)) != NULL;
    EXPECT_EQ(expected, std::to_string(ScreenDpi()) + (themed ? " themed" : " classic"));
}

// The screen's DPI and the theme are read as a process starts: the checks
// run again in processes of their own, at Wine's setting of 96, 120, 144 and
// 192 DPI, each in the classic look and in the visual style; the layout of
// the grown window with them.
TEST(ScaledScreens, TextsLinkAndPicturesFitAtEveryDpiClassicAndThemed)
{
    const char* checks =
        "--gtest_filter=Scenario.RunsAtTheDpiAndLookItWasStartedFor:Scenario.EveryMainWindowTextFitsItsControl:"
        "Scenario.PicturesAreTheOnesDrawnForTheScreensSizes:About.EveryTextFitsItsControl:"
        "Scenario.TheListTakesEveryExtraPixelAndTheRestKeepsToTheEdges:"
        "About.LinkShowsTheHandOverItsWholeRectangleAndOpensOnRelease:"
        "About.LinkIsDrawnBlueAndCentredWithAFullWidthUnderline";
    const int CHECKS = 7;
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &desktop, NULL));
    HKEY theme;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, THEME_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &theme, NULL));
    std::vector<SavedValue> saved = {Save(desktop, "LogPixels")};
    for (const auto& value : THEME_VALUES)
        saved.push_back(Save(theme, value[0]));

    const struct {
        DWORD dpi;
        bool themed;
    } runs[] = {{96, false}, {120, false}, {144, false}, {192, false},
                {96, true},  {120, true},  {144, true},  {192, true}};
    for (const auto& run : runs) {
        const char* look = run.themed ? "themed" : "classic";
        SCOPED_TRACE(std::to_string(run.dpi) + " dpi, " + look);
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&run.dpi), sizeof run.dpi);
        for (const auto& value : THEME_VALUES)
            SetText(theme, value[0], !run.themed && strcmp(value[0], "ThemeActive") == 0 ? "0" : value[1]);
        SetEnvironmentVariableA(EXPECTED_SCREEN, (std::to_string(run.dpi) + " " + look).c_str());
        std::string printed;
        EXPECT_EQ(0u, RunSelf(checks, &printed)) << printed;
        EXPECT_NE(std::string::npos, printed.find("[  PASSED  ] " + std::to_string(CHECKS) + " tests.")) << printed;
    }
    SetEnvironmentVariableA(EXPECTED_SCREEN, NULL);
    for (const SavedValue& value : saved)
        Restore(value);
    RegCloseKey(theme);
    RegCloseKey(desktop);
}
