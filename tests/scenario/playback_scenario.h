// The sequencer's scenarios: files the fake media layer knows, every status
// text recorded, and what the window and the tray menu offer.
#ifndef VIREO_PLAYBACK_SCENARIO_H
#define VIREO_PLAYBACK_SCENARIO_H

#include "scenario.h"

#include <algorithm>
#include <string>
#include <vector>

const int LENGTH_MS = 10000;

class PlaybackScenario : public Scenario {
protected:
    // Every text the status line was given, in order.
    static inline std::vector<std::string> s_statusLog;
    static inline WNDPROC s_statusProc = NULL;

    static LRESULT CALLBACK RecordStatus(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SETTEXT && lParam != 0)
            s_statusLog.push_back(reinterpret_cast<const char*>(lParam));
        return CallWindowProcA(s_statusProc, control, message, wParam, lParam);
    }

    void OpenRecording()
    {
        Open();
        s_statusLog.clear();
        HWND status = GetDlgItem(window, IDC_STATUS);
        s_statusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordStatus)));
    }

    // A file the media layer knows (unless missing), added through the mailbox.
    std::string AddFile(const std::string& name, int lengthMs = LENGTH_MS, bool playFails = false,
                        bool missing = false)
    {
        std::string path = "C:\\Media\\" + name;
        if (!missing)
            FakeMediaAddFile(path, lengthMs, playFails);
        Add(path.c_str());
        return path;
    }

    // Names e0.wav .. e(n-1).wav.
    void AddFiles(int n)
    {
        for (int i = 0; i < n; ++i)
            AddFile("e" + std::to_string(i) + ".wav");
    }

    // Like Pump, but gives up after a number of messages: false when the
    // queue never ran dry, so a loop shows as a failure instead of a hang.
    bool Drain(int limit = 500)
    {
        return PumpAtMost(limit);
    }

    // The fixture's own, bounded: a sequencer that keeps posting to itself
    // fails the test instead of hanging it.
    void Pump() { EXPECT_TRUE(Drain()) << "the queue never ran dry"; }
    void Play(int ms)
    {
        FakeMediaAdvance(ms);
        Pump();
    }

    std::vector<std::string> OpenedNames()
    {
        std::vector<std::string> names;
        for (const std::string& element : Opened())
            names.push_back(element.substr(element.rfind('\\') + 1));
        return names;
    }

    // The display text of the current entry, "" for none.
    std::string CurrentName()
    {
        int index = CurrentEntryIndex(window);
        return index < 0 ? std::string() : Items()[static_cast<size_t>(index)];
    }

    bool Logged(const std::string& text)
    {
        return std::find(s_statusLog.begin(), s_statusLog.end(), text) != s_statusLog.end();
    }

    bool TrayGrayed(int id) { return (TrayMenuState(id) & MF_GRAYED) != 0; }
    bool TrayChecked(int id) { return (TrayMenuState(id) & MF_CHECKED) != 0; }

    // Start, Pause and Stop agree between the window and the tray menu.
    void ExpectPlayCommands(bool start, bool pause, bool stop, const char* when)
    {
        const int ids[] = {IDM_START, IDM_PAUSE, IDM_STOP};
        const bool wanted[] = {start, pause, stop};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(wanted[i], Enabled(ids[i])) << when << ": window " << ids[i];
            EXPECT_EQ(wanted[i], !TrayGrayed(ids[i])) << when << ": tray " << ids[i];
        }
    }

    void ExpectStepCommands(bool previous, bool next, const char* when)
    {
        EXPECT_EQ(previous, !TrayGrayed(IDM_PREVIOUS)) << when;
        EXPECT_EQ(next, !TrayGrayed(IDM_NEXT)) << when;
    }

    void ExpectTray(HICON icon, const char* tip, const char* when)
    {
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), LastTray().action) << when;
        EXPECT_EQ(icon, LastTray().icon) << when;
        EXPECT_EQ(tip, LastTray().tip) << when;
    }

    // The user's own selection, as a click makes it.
    void UserSelects(int index)
    {
        HWND list = GetDlgItem(window, IDC_PLAYLIST);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PLAYLIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
};

#endif
