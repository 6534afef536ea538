// Texts at the screen's own DPI: the program declares itself DPI-aware, so
// Windows no longer stretches its window, and every text must still fit.
#include "scenario.h"

#include <cstdio>
#include <string>

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

}  // namespace

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
    EXPECT_EQ(13, texts) << "texts looked at";
}

// The screen's DPI is read as a process starts: the checks run again in
// processes of their own with Wine's setting at 120 and 144 DPI.
TEST(ScaledScreens, TextsAndTheLinkFitAt120And144Dpi)
{
    const char* checks =
        "--gtest_filter=Scenario.EveryMainWindowTextFitsItsControl:About.EveryTextFitsItsControl:"
        "About.LinkShowsTheHandOverItsWholeRectangleAndOpensOnRelease:"
        "About.LinkIsDrawnBlueAndCentredWithAFullWidthUnderline";
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &desktop, NULL));
    DWORD saved = 0;
    DWORD size = sizeof saved;
    bool had = RegQueryValueExA(desktop, "LogPixels", NULL, NULL, reinterpret_cast<BYTE*>(&saved), &size) ==
               ERROR_SUCCESS;
    for (DWORD dpi : {120u, 144u}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        std::string log = std::string(temp) + "vireo-dpi.log";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, output);
        std::string line = std::string("\"") + exe + "\" " + checks;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(CreateProcessA(exe, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &info));
        DWORD code = 1;
        if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CloseHandle(output);
        std::string printed;
        if (FILE* file = fopen(log.c_str(), "rb")) {
            char chunk[4096];
            for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
                printed.append(chunk, n);
            fclose(file);
        }
        DeleteFileA(log.c_str());
        EXPECT_EQ(0u, code) << printed;
        EXPECT_NE(std::string::npos, printed.find("checked at " + std::to_string(dpi) + " dpi")) << printed;
        EXPECT_NE(std::string::npos, printed.find("[  PASSED  ] 4 tests.")) << printed;
    }
    if (had)
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
    else
        RegDeleteValueA(desktop, "LogPixels");
    RegCloseKey(desktop);
}
