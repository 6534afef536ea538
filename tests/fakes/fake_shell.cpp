// Modal dialogs and the shell, recorded with scripted answers.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>
#include <shellapi.h>
#include <vfw.h>

#include <deque>

#include "fake_import.h"
#include "fake_world.h"

namespace {

std::vector<FakeMessageBox> g_boxes;
std::deque<int> g_boxAnswers;
std::vector<FakeChooser> g_choosers;
// What the coming choosers answer: a path, a folder and names, or a failure.
struct ChooserAnswer {
    std::string path;
    std::string folder;
    std::vector<std::string> names;
    DWORD filterIndex;
    DWORD error;
};
std::deque<ChooserAnswer> g_answers;
DWORD g_chooserError = 0;
std::vector<FakePopup> g_popups;
int g_menuChoice = 0;
std::vector<FakeShellOpen> g_shellOpens;
INT_PTR g_shellResult = 42;
std::vector<FakeTrayCall> g_trayCalls;

std::string JoinFilter(const char* filter)
{
    std::string joined;
    if (filter == NULL)
        return joined;
    for (const char* p = filter; *p != '\0'; p += lstrlenA(p) + 1) {
        if (!joined.empty())
            joined += '|';
        joined += p;
    }
    return joined;
}

std::string Text(const char* text)
{
    return text != NULL ? std::string(text) : std::string();
}

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_boxes.push_back(FakeMessageBox{owner, Text(text), Text(caption), type});
    if (g_boxAnswers.empty())
        return IDOK;
    int answer = g_boxAnswers.front();
    g_boxAnswers.pop_front();
    return answer;
}

// As the platform's chooser: a selection that does not fit fails, with the
// size it needs in the first two bytes.
BOOL Answer(LPOPENFILENAMEA choice, const std::string& bytes, WORD fileOffset)
{
    if (bytes.size() > choice->nMaxFile) {
        WORD needed = static_cast<WORD>(bytes.size());
        if (choice->nMaxFile >= sizeof needed)
            memcpy(choice->lpstrFile, &needed, sizeof needed);
        g_chooserError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    memcpy(choice->lpstrFile, bytes.data(), bytes.size());
    choice->nFileOffset = fileOffset;
    return TRUE;
}

BOOL Choose(LPOPENFILENAMEA choice, bool preview)
{
    g_choosers.push_back(FakeChooser{preview, choice->hwndOwner, JoinFilter(choice->lpstrFilter),
                                     Text(choice->lpstrTitle), choice->Flags, choice->nMaxFile,
                                     Text(choice->lpstrFile), choice->lStructSize, false, ""});
    g_chooserError = 0;
    if (g_answers.empty())
        return FALSE;
    ChooserAnswer answer = g_answers.front();
    g_answers.pop_front();
    if (answer.error != 0) {
        g_chooserError = answer.error;
        return FALSE;
    }
    if (answer.filterIndex != 0)
        choice->nFilterIndex = answer.filterIndex;
    if (!answer.names.empty()) {
        std::string bytes = answer.folder + '\0';
        for (const std::string& name : answer.names)
            bytes += name + '\0';
        return Answer(choice, bytes + '\0', static_cast<WORD>(answer.folder.size() + 1));
    }
    if (answer.path.empty())
        return FALSE;
    size_t name = answer.path.find_last_of('\\');
    // With several files allowed a single one ends in two zeros.
    std::string bytes = answer.path + '\0';
    if (choice->Flags & OFN_ALLOWMULTISELECT)
        bytes += '\0';
    return Answer(choice, bytes, static_cast<WORD>(name == std::string::npos ? 0 : name + 1));
}

DWORD WINAPI FakeCommDlgExtendedError()
{
    return g_chooserError;
}

BOOL WINAPI FakeGetOpenFileNameA(LPOPENFILENAMEA choice)
{
    return Choose(choice, false);
}

BOOL WINAPI FakeGetSaveFileNameA(LPOPENFILENAMEA choice)
{
    BOOL chosen = Choose(choice, false);
    g_choosers.back().save = true;
    g_choosers.back().defaultExtension = Text(choice->lpstrDefExt);
    return chosen;
}

BOOL WINAPI FakeTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS)
{
    g_popups.push_back(FakePopup{menu, flags, x, y, owner});
    int choice = g_menuChoice;
    g_menuChoice = 0;
    // A chosen item reaches the owner as a posted WM_COMMAND, as with the real menu.
    if (choice != 0)
        PostMessageA(owner, WM_COMMAND, MAKEWPARAM(choice, 0), 0);
    return TRUE;
}

HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show)
{
    g_shellOpens.push_back(FakeShellOpen{owner, Text(verb), Text(file), show});
    return reinterpret_cast<HINSTANCE>(g_shellResult);
}

BOOL WINAPI FakeShellNotifyIconA(DWORD action, PNOTIFYICONDATAA data)
{
    FakeTrayCall call;
    call.action = action;
    call.size = data->cbSize;
    call.window = data->hWnd;
    call.id = data->uID;
    call.flags = data->uFlags;
    call.callback = data->uCallbackMessage;
    call.icon = data->hIcon;
    call.tipTerminatedAt63 = data->szTip[63] == '\0';
    call.tip.assign(data->szTip, strnlen(data->szTip, sizeof data->szTip));
    g_trayCalls.push_back(call);
    return TRUE;
}

}  // namespace

FAKE_IMPORT(MessageBoxA, 16, FakeMessageBoxA)
FAKE_IMPORT(GetOpenFileNameA, 4, FakeGetOpenFileNameA)
FAKE_IMPORT(GetSaveFileNameA, 4, FakeGetSaveFileNameA)
FAKE_IMPORT(CommDlgExtendedError, 0, FakeCommDlgExtendedError)

// The platform header declares this one without an import slot: the call goes
// to the function itself, which a definition here replaces.
extern "C" BOOL WINAPI GetOpenFileNamePreviewA(LPOPENFILENAMEA choice)
{
    return Choose(choice, true);
}
FAKE_IMPORT(TrackPopupMenuEx, 24, FakeTrackPopupMenuEx)
FAKE_IMPORT(ShellExecuteA, 24, FakeShellExecuteA)
FAKE_IMPORT(Shell_NotifyIconA, 8, FakeShellNotifyIconA)

void FakeDialogsReset()
{
    g_boxes.clear();
    g_boxAnswers.clear();
    g_choosers.clear();
    g_answers.clear();
    g_chooserError = 0;
    g_popups.clear();
    g_menuChoice = 0;
    g_shellOpens.clear();
    g_shellResult = 42;
    g_trayCalls.clear();
}

std::vector<FakeMessageBox>& FakeMessageBoxes() { return g_boxes; }
void FakeAnswerMessageBoxes(const std::vector<int>& answers) { g_boxAnswers.assign(answers.begin(), answers.end()); }
std::vector<FakeChooser>& FakeChoosers() { return g_choosers; }
void FakeChooseFile(const std::string& path, DWORD filterIndex)
{
    g_answers.push_back(ChooserAnswer{path, "", {}, filterIndex, 0});
}
void FakeChooseFiles(const std::string& folder, const std::vector<std::string>& names)
{
    g_answers.push_back(ChooserAnswer{"", folder, names, 0, 0});
}
void FakeChooserFails(DWORD error) { g_answers.push_back(ChooserAnswer{"", "", {}, 0, error}); }
std::vector<FakePopup>& FakePopups() { return g_popups; }
void FakeChooseMenuItem(int id) { g_menuChoice = id; }
std::vector<FakeShellOpen>& FakeShellOpens() { return g_shellOpens; }
void FakeShellResult(INT_PTR result) { g_shellResult = result; }
std::vector<FakeTrayCall>& FakeTrayCalls() { return g_trayCalls; }
