// The about box in its own modal loop, its drawn web link, and the help page.
#include "scenario.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

using Step = std::function<void(HWND box)>;

struct AboutRun {
    std::vector<Step> steps;
    size_t done = 0;
    int extraTicks = 0;  // ticks after the last step with the box still open
};
AboutRun* s_run = NULL;

HWND FindAboutBox()
{
    return FindWindowA("#32770", "About Vireo");
}

// Runs inside the box's modal loop: one step per tick, so that whatever a step
// posts is handled, and the box can close, before the next step.
void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindAboutBox();
    if (box == NULL || s_run == NULL)
        return;
    if (s_run->done < s_run->steps.size()) {
        s_run->steps[s_run->done++](box);
        return;
    }
    // The script is over and the box still open: close it so the test goes on.
    if (++s_run->extraTicks == 1)
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    else if (s_run->extraTicks > 5)
        DestroyWindow(box);
}

void PostKey(HWND box, UINT message, WPARAM key, LPARAM flags = 1)
{
    PostMessageA(GetDlgItem(box, IDOK), message, key, flags);
}

RECT LinkOnScreen(HWND box)
{
    RECT rect;
    GetWindowRect(GetDlgItem(box, IDC_WEBLINK), &rect);
    return rect;
}

std::string LinkText(HWND box)
{
    char text[1024] = "";
    GetWindowTextA(GetDlgItem(box, IDC_WEBLINK), text, sizeof text);
    return text;
}

void SendButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// The hand at the cursor size of the box's DPI, the fingertip at the top
// its hot spot.
void ExpectLinkHand(HCURSOR cursor, HWND box)
{
    ASSERT_TRUE(cursor != NULL);
    EXPECT_NE(LoadCursorA(NULL, IDC_ARROW), cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    const int size = MetricForDpi(SM_CXCURSOR, WindowDpi(box));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(size, mask.bmWidth);
    EXPECT_EQ(info.hbmColor == NULL ? 2 * size : size, mask.bmHeight) << "monochrome, or colour beside its mask";
    EXPECT_EQ(0u, info.yHotspot);
    EXPECT_NEAR(5.0 * size / 32, info.xHotspot, 1.0);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != NULL)
        DeleteObject(info.hbmColor);
}

bool IsLinkBlue(DWORD pixel)
{
    return pixel == 0x0000FF;  // DIB order: blue in the lowest byte
}

// A page opened as the shell opens a document for the user.
void ExpectOpened(const FakeShellOpen& open, HWND owner, const std::string& file)
{
    EXPECT_EQ(owner, open.owner);
    EXPECT_EQ("open", open.verb);
    EXPECT_EQ(file, open.file);
    EXPECT_EQ(SW_SHOWNORMAL, open.show);
}

}  // namespace

class About : public Scenario {
protected:
    // Opens the box through its command and runs the steps inside its loop:
    // the number of steps run when it closed (more than given: it outlived them).
    size_t RunAbout(std::vector<Step> steps)
    {
        AboutRun run;
        run.steps = std::move(steps);
        s_run = &run;
        UINT_PTR timer = SetTimer(NULL, 0, 20, StepTimer);
        Command(IDM_ABOUT);
        KillTimer(NULL, timer);
        s_run = NULL;
        EXPECT_GT(run.done, 0u) << "the box opened";
        EXPECT_TRUE(FindAboutBox() == NULL);
        return run.done + (run.extraTicks > 0 ? 1 : 0);
    }
};

TEST_F(About, OnlyOkEnterAndAltOClose)
{
    Open();
    HWND main = window;
    size_t ran = RunAbout({
        [](HWND box) { SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); },
        [](HWND box) { SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND box) { SendMessageA(box, WM_CLOSE, 0, 0); },
        [](HWND box) { PostKey(box, WM_KEYDOWN, VK_ESCAPE); },
        [main](HWND box) {
            EXPECT_TRUE(IsWindowVisible(box));
            EXPECT_EQ(main, GetWindow(box, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(main)) << "the box is modal";
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDC_WEBLINK))) << "the link is drawn, not shown";
            EXPECT_EQ(IDOK, LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)));
        },
        [](HWND box) { SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); },
    });
    EXPECT_EQ(6u, ran) << "only the OK button closed it";
    EXPECT_TRUE(IsWindowEnabled(main));

    EXPECT_EQ(1u, RunAbout({[](HWND box) { PostKey(box, WM_KEYDOWN, VK_RETURN); }})) << "Enter";
    EXPECT_EQ(1u, RunAbout({[](HWND box) { PostKey(box, WM_SYSCHAR, 'o', 1 | (1 << 29)); }})) << "Alt+O";
    EXPECT_TRUE(FakeShellOpens().empty());
    EXPECT_TRUE(FakeMessageBoxes().empty());
}

TEST_F(About, LinkShowsTheHandOverItsWholeRectangleAndOpensOnRelease)
{
    Open();
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    HCURSOR hand = NULL;
    std::string text;
    POINT inside = {};
    POINT outside = {};
    RunAbout({
        [&](HWND box) {
            HWND link = GetDlgItem(box, IDC_WEBLINK);
            text = LinkText(box);
            RECT rect = LinkOnScreen(box);
            // Where the centred text cannot reach: a pixel in from the left edge.
            HDC dc = GetDC(box);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
            SIZE extent;
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(box, dc);
            ASSERT_LT(extent.cx + 4, rect.right - rect.left) << "the link text fits its rectangle";
            inside = POINT{rect.left + 1, (rect.top + rect.bottom) / 2};
            outside = POINT{rect.left + 1, rect.top - 3};

            SetCursorPos(inside.x, inside.y);
            SetCursor(arrow);
            EXPECT_TRUE(HandleWebLink(WM_SETCURSOR, link));
            hand = GetCursor();
            ExpectLinkHand(hand, box);
            SetCursor(arrow);
            SendMessageA(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(hand, GetCursor()) << "through the box's own handling, the same hand again";
            SetCursorPos(rect.right - 1, rect.bottom - 1);
            EXPECT_TRUE(HandleWebLink(WM_SETCURSOR, link)) << "bottom right corner";

            SetCursorPos(outside.x, outside.y);
            SetCursor(hand);
            EXPECT_FALSE(HandleWebLink(WM_SETCURSOR, link));
            SendMessageA(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(arrow, GetCursor()) << "the normal cursor elsewhere";
            EXPECT_FALSE(HandleWebLink(WM_LBUTTONUP, link));
            EXPECT_TRUE(FakeShellOpens().empty());
        },
        // A real press on the background outside, released over the link.
        [&](HWND) {
            SetCursorPos(outside.x, outside.y);
            SendButton(MOUSEEVENTF_LEFTDOWN);
        },
        [&](HWND) {
            EXPECT_TRUE(FakeShellOpens().empty()) << "a press opens nothing";
            SetCursorPos(inside.x, inside.y);
            SendButton(MOUSEEVENTF_LEFTUP);
        },
        [&](HWND box) {
            ASSERT_EQ(1u, FakeShellOpens().size());
            ExpectOpened(FakeShellOpens()[0], box, text);
            EXPECT_TRUE(FakeMessageBoxes().empty());
            // The reverse: pressed over the link, released outside.
            SendButton(MOUSEEVENTF_LEFTDOWN);
        },
        [&](HWND) {
            SetCursorPos(outside.x, outside.y);
            SendButton(MOUSEEVENTF_LEFTUP);
        },
        [&](HWND) { EXPECT_EQ(1u, FakeShellOpens().size()); },
    });
    EXPECT_EQ("http://", text.substr(0, 7)) << "a web address the shell can open";
}

// Wine gives a window no DPI of its own: the change a move to another screen
// brings is sent as the system sends it.
TEST_F(About, ADpiChangeMovesTheBoxWhereSuggestedAndTheLinkGoesWithIt)
{
    Open();
    RunAbout({[](HWND box) {
        HWND link = GetDlgItem(box, IDC_WEBLINK);
        RECT before;
        GetWindowRect(box, &before);
        RECT linkBefore = LinkOnScreen(box);
        RECT suggested = before;
        OffsetRect(&suggested, 31, 17);
        const UINT dpi = WindowDpi(box);
        SendMessageA(box, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT after;
        GetWindowRect(box, &after);
        EXPECT_TRUE(EqualRect(&suggested, &after));
        RECT linkAfter = LinkOnScreen(box);
        OffsetRect(&linkBefore, 31, 17);
        EXPECT_TRUE(EqualRect(&linkBefore, &linkAfter));
        SetCursorPos(linkAfter.left + 1, (linkAfter.top + linkAfter.bottom) / 2);
        EXPECT_TRUE(HandleWebLink(WM_SETCURSOR, link)) << "the hand where the link now is";
        SetCursorPos(linkAfter.left - 3, (linkAfter.top + linkAfter.bottom) / 2);
        EXPECT_FALSE(HandleWebLink(WM_SETCURSOR, link));
    }});
}

TEST_F(About, ShellFailureAndOverlongLinks)
{
    Open();
    const std::string longText = "http://tallgrass.example/" + std::string(420, 'q');
    RunAbout({
        [&](HWND box) {
            HWND link = GetDlgItem(box, IDC_WEBLINK);
            RECT rect = LinkOnScreen(box);
            SetCursorPos(rect.right - 2, rect.top + 1);
            FakeShellResult(32);
            EXPECT_TRUE(HandleWebLink(WM_LBUTTONUP, link)) << "acted on, though the shell failed";
            ASSERT_EQ(1u, FakeMessageBoxes().size());
            const FakeMessageBox& shown = FakeMessageBoxes()[0];
            EXPECT_EQ(box, shown.owner);
            EXPECT_EQ("Could not access website: You do not appear to have a properly configured web browser.",
                      shown.text);
            EXPECT_EQ("Vireo", shown.caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), shown.type);
            FakeShellResult(33);
            HandleWebLink(WM_LBUTTONUP, link);
            EXPECT_EQ(1u, FakeMessageBoxes().size()) << "33 is success";

            SetWindowTextA(link, longText.c_str());
            HandleWebLink(WM_LBUTTONUP, link);
            ASSERT_EQ(3u, FakeShellOpens().size());
            EXPECT_EQ(longText.substr(0, 398), FakeShellOpens()[2].file);
        },
        [](HWND box) { EXPECT_TRUE(IsWindowVisible(box)) << "a failed link leaves the box open"; },
    });
}

TEST_F(About, LinkIsDrawnBlueAndCentredWithAFullWidthUnderline)
{
    Open();
    RunAbout({[](HWND box) {
        HWND link = GetDlgItem(box, IDC_WEBLINK);
        RECT client;
        GetClientRect(box, &client);
        const int width = client.right;
        const int height = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = NULL;
        HDC dc = CreateCompatibleDC(NULL);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        ASSERT_TRUE(bitmap != NULL);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        DWORD* pixels = static_cast<DWORD*>(bits);
        const DWORD grey = 0xC8C8C8;
        for (int i = 0; i < width * height; ++i)
            pixels[i] = grey;
        SetBkColor(dc, RGB(255, 0, 0));  // shows up should the text be drawn opaque
        PaintWebLink(dc, link);
        GdiFlush();

        // The link rectangle in the box's client coordinates.
        RECT rect = LinkOnScreen(box);
        MapWindowPoints(NULL, box, reinterpret_cast<POINT*>(&rect), 2);
        const int thickness = std::max(1, static_cast<int>(WindowDpi(box) / 96));
        int textLeft = width;
        int textRight = -1;
        bool strayColour = false;
        bool outsideTouched = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                DWORD p = pixels[y * width + x] & 0xFFFFFF;
                if (p == grey)
                    continue;
                POINT at = {x, y};
                if (!PtInRect(&rect, at)) {
                    outsideTouched = true;
                    continue;
                }
                int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                // Pure blue, or blue blended with the untouched background.
                if (r != g || b < r)
                    strayColour = true;
                if (y < rect.bottom - thickness) {
                    textLeft = std::min(textLeft, x);
                    textRight = std::max(textRight, x);
                }
            }
        }
        EXPECT_FALSE(outsideTouched) << "nothing drawn outside the link rectangle";
        EXPECT_FALSE(strayColour) << "only blue, on a transparent background";
        ASSERT_LE(textLeft, textRight) << "the text is drawn";
        int leftGap = textLeft - rect.left;
        int rightGap = rect.right - 1 - textRight;
        EXPECT_GT(leftGap, 2);
        EXPECT_LE(std::abs(leftGap - rightGap), 3) << "centred: " << leftGap << " against " << rightGap;
        bool textBlue = false;
        for (int x = textLeft; x <= textRight && !textBlue; ++x)
            for (int y = rect.top; y < rect.bottom - thickness && !textBlue; ++y)
                textBlue = IsLinkBlue(pixels[y * width + x] & 0xFFFFFF);
        EXPECT_TRUE(textBlue) << "the text is pure blue where it is solid";
        // Rows of blue from the left edge to the last pixel but one, a pixel
        // for each 96 DPI.
        for (int y = rect.bottom - thickness; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right - 1; ++x)
                EXPECT_TRUE(IsLinkBlue(pixels[y * width + x] & 0xFFFFFF)) << x << ", " << y;
        int rowAbove = 0;
        for (int x = rect.left; x < rect.right - 1; ++x)
            rowAbove += IsLinkBlue(pixels[(rect.bottom - 1 - thickness) * width + x] & 0xFFFFFF) ? 1 : 0;
        EXPECT_LT(rowAbove, rect.right - 1 - rect.left) << "the underline is " << thickness << " pixels high";

        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }});
}

TEST_F(About, HelpOpensThePageBesideTheProgramOrSaysWhyNot)
{
    Open();
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    ASSERT_GT(length, 4u);
    std::string page = std::string(path, length - 3) + "htm";
    Command(IDM_HELP);
    ASSERT_EQ(1u, FakeShellOpens().size());
    ExpectOpened(FakeShellOpens()[0], window, page);
    EXPECT_TRUE(FakeMessageBoxes().empty());

    FakeShellResult(32);
    Command(IDM_HELP);
    ASSERT_EQ(1u, FakeMessageBoxes().size());
    EXPECT_EQ(window, FakeMessageBoxes()[0].owner);
    EXPECT_EQ("Cannot load help file.  Either the help file is missing, or you do not have a properly "
              "configured WWW browser (such as Internet Explorer or Netscape).",
              FakeMessageBoxes()[0].text);
    EXPECT_EQ("Vireo", FakeMessageBoxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), FakeMessageBoxes()[0].type);
}

// The link's own fit is checked where the hand cursor is.
TEST_F(About, EveryTextFitsItsControl)
{
    Open();
    RunAbout({[](HWND box) {
        int texts = 0;
        for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
            char className[16] = "";
            GetClassNameA(child, className, sizeof className);
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if (lstrcmpiA(className, "Static") != 0 || (style & SS_TYPEMASK) != SS_LEFT || !IsWindowVisible(child))
                continue;
            ++texts;
            char text[512] = "";
            GetWindowTextA(child, text, sizeof text);
            RECT client;
            GetClientRect(child, &client);
            // Wrapped the way the control wraps it, in the control's own font.
            RECT needed = {0, 0, client.right, 0};
            HDC dc = GetDC(child);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
            DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
            SelectObject(dc, old);
            ReleaseDC(child, dc);
            EXPECT_LE(needed.bottom, client.bottom) << "cut: " << text;
            EXPECT_LE(needed.right, client.right) << "cut: " << text;
        }
        EXPECT_EQ(3, texts);
    }});
}
