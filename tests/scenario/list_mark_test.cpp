// The entry that plays or is paused stands out whatever is selected, and the
// list is left alone while it plays.
#include "playback_scenario.h"

#include <string>
#include <vector>

namespace {

// The list's client area as it draws itself into a picture of its own.
class Picture {
public:
    explicit Picture(HWND list) : list_(list)
    {
        GetClientRect(list, &client_);
        HDC screen = GetDC(list);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, client_.right, client_.bottom);
        ReleaseDC(list, screen);
        old_ = SelectObject(dc_, bitmap_);
        FillRect(dc_, &client_, GetSysColorBrush(COLOR_WINDOW));
        SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
        rowHeight_ = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    }
    ~Picture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    // Pixels of a row, within the columns from left to right, unlike its background.
    int Ink(int row, int left, int right)
    {
        int top = row * rowHeight_;
        COLORREF background = GetPixel(dc_, client_.right - 2, top + rowHeight_ / 2);
        int ink = 0;
        for (int y = top; y < top + rowHeight_; ++y)
            for (int x = left; x < right; ++x)
                ink += GetPixel(dc_, x, y) != background;
        return ink;
    }
    int MarkInk(int row) { return Ink(row, 0, rowHeight_); }
    int TextInk(int row) { return Ink(row, rowHeight_, client_.right - 4); }
    // Whether the middle of the mark's square is drawn: a play mark's is,
    // the gap between a pause mark's two bars is not.
    bool MarkMiddleDrawn(int row)
    {
        int y = row * rowHeight_ + rowHeight_ / 2;
        COLORREF background = GetPixel(dc_, client_.right - 2, y);
        return GetPixel(dc_, rowHeight_ / 2, y) != background;
    }

private:
    HWND list_;
    RECT client_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    int rowHeight_ = 0;
};

int s_listPaints = 0;
WNDPROC s_listProc = NULL;

LRESULT CALLBACK CountPaints(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT || message == WM_ERASEBKGND)
        ++s_listPaints;
    return CallWindowProcA(s_listProc, list, message, wParam, lParam);
}

}  // namespace

TEST_F(PlaybackScenario, TheEntryThatPlaysIsBoldBehindAMarkWhateverIsSelected)
{
    OpenRecording();
    // Two entries of one display name: only the drawing tells them apart.
    FakeMediaAddFile("C:\\One\\same.wav", LENGTH_MS);
    FakeMediaAddFile("C:\\Two\\same.wav", LENGTH_MS);
    Add("C:\\One\\same.wav");
    Add("C:\\Two\\same.wav");
    AddFile("other.wav");
    // The stream of adds holds the list's drawing until a timer the scenario does not run.
    EndAddStream(window);
    HWND list = GetDlgItem(window, IDC_PLAYLIST);
    // Without the focus the list draws no focus rectangle to count as ink.
    SetFocus(GetDlgItem(window, IDC_ADD));
    {
        Picture stopped(list);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(0, stopped.MarkInk(row)) << "no mark while stopped, row " << row;
        EXPECT_EQ(stopped.TextInk(0), stopped.TextInk(1));
    }

    Command(IDM_START);
    Pump();
    UserSelects(2);
    {
        Picture playing(list);
        EXPECT_GT(playing.MarkInk(0), 0);
        EXPECT_TRUE(playing.MarkMiddleDrawn(0)) << "a play mark";
        EXPECT_EQ(0, playing.MarkInk(1));
        EXPECT_EQ(0, playing.MarkInk(2)) << "the selected entry carries no mark";
        EXPECT_GT(playing.TextInk(0), playing.TextInk(1)) << "bold";
    }

    Command(IDM_PAUSE);
    {
        Picture paused(list);
        EXPECT_GT(paused.MarkInk(0), 0);
        EXPECT_FALSE(paused.MarkMiddleDrawn(0)) << "a pause mark";
    }
    // The texts stay the list's own, as other programs read them.
    EXPECT_EQ((std::vector<std::string>{"same.wav", "same.wav", "other.wav"}), Items());

    // Once it plays, ticks of the progress display leave the list undrawn.
    Command(IDM_PAUSE);
    UpdateWindow(list);
    s_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
    // The first tick learns the entry's length, which its row then shows.
    FakeMediaAdvance(1000);
    Tick();
    UpdateWindow(list);
    s_listPaints = 0;
    for (int second = 1; second < 3; ++second) {
        FakeMediaAdvance(1000);
        Tick();
        UpdateWindow(list);
    }
    EXPECT_EQ("0:03 of 0:10", Text(IDC_TIME));
    EXPECT_EQ(0, s_listPaints) << "the list was drawn again while an entry played";
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_listProc));

    Command(IDM_STOP);
    Picture stoppedAgain(list);
    EXPECT_EQ(0, stoppedAgain.MarkInk(0));
}
