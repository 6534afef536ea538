// The main window and its dispatch, the tray icon, the settings store, the
// about box and the help page.
#ifndef VIREO_SHELL_H
#define VIREO_SHELL_H

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "shell_text.h"
#include "../playback/playback.h"

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One command's enabled state in the main window and in the tray popup menu.
void EnableCommand(HWND window, int id);
void GrayCommand(HWND window, int id);
// A command to the main window, as a button or a menu sends it: carried out
// at once, or in the queue's order.
void SendCommand(HWND window, int id);
void PostCommand(HWND window, int id);
void SetStatusText(HWND window, const char* text);

BOOL NotifyTrayIcon(DWORD action, HWND window, HICON picture, const char* tip);
void HandleTrayMessage(HWND window, WPARAM wParam, LPARAM lParam);
// The taskbar, back after Explorer restarted, has lost every icon.
void WatchForTaskbarRestart();
bool IsTaskbarRestart(UINT message);
void RestoreTrayIcon(HWND window);

// The keyboard's media keys, held from Start to Stop and Exit.
void HoldMediaKeys(HWND window);
void ReleaseMediaKeys(HWND window);
void HandleMediaKey(HWND window, int id);

// Windows' media controls, made once the queue first holds something
// (MSG_MEDIA_CONTROLS) and kept in step with playback; absent before
// Windows 8.1 and wherever they fail. While they are there the system hands
// them the media keys, and the keys are not held as hot keys (controls that
// cannot report their buttons only show, and the keys stay Vireo's).
void StartMediaControls(HWND window);
void UpdateMediaControls(HWND window);
bool MediaKeysGoToControls();
// Previous and Next are offered in the controls exactly when in the tray menu.
void NoteCommandOffered(int id, bool offered);
void ReleaseMediaControls();
// What the controls show for the entry at index: its title and artist, each
// into a TEXT_CAPACITY buffer.
void MediaControlsTitleOf(HWND window, int index, char* title, char* artist);
// The current entry's title has been read: the controls show it.
void ShowMediaControlsTitleAgain(HWND window);

// The process's AppUserModelID, set before any window shows; and its name
// and picture registered for the user.
void NameProcessForShell();
void RegisterAppIdentity();

// The three options, on when non-zero, matched to commands by index.
struct PlayOptions {
    int32_t cueMode;
    int32_t repeat;
    int32_t random;
};
extern PlayOptions g_playOptions;
const int OPTION_COUNT = 3;
int32_t* PlayOptionFlag(int index);

extern const char SETTINGS_KEY[];            // "Software\\Tallgrass\\Vireo"
void LoadSettings(HWND window);
void SaveSettings(HWND window);
void ToggleOption(HWND window, int index);
void RefreshOptionDisplay(HWND window);

// The volume slider and the tray's Volume up and down, in steps of a tenth.
const int VOLUME_STEP = 10;
void ShowVolume(HWND window, int percent);
void OnVolumeSlider(HWND window, HWND control);
void StepVolume(HWND window, int delta);

// The main window grows: the list takes every extra pixel. Measured from the
// template as the window starts; its size is the smallest allowed.
void RememberTemplateLayout(HWND window);
void ForgetTemplateLayout();
SIZE SmallestWindowSize(HWND window);
void LimitWindowSize(HWND window, MINMAXINFO* limits);
void LayOutMainWindow(HWND window, WPARAM how);
void RememberNormalWindowRect(HWND window);
// Where the window goes back to when it is neither maximised nor minimised.
RECT NormalWindowRect(HWND window);

// The DPI a window is drawn at, a system size at a DPI, and the move to
// the place the system suggests when a window's DPI changes.
const UINT STANDARD_DPI = 96;
UINT WindowDpi(HWND window);
int MetricForDpi(int index, UINT dpi);
void FollowDpiChange(HWND window, const RECT* suggested);

// The tray pictures loaded again at the small-icon size, the icon showing
// the same state; when onlyIfResized, only if that size has changed.
void ReloadTrayPictures(HWND window, bool onlyIfResized);

void ShowAboutBox(HWND owner);

// The find box over the queue (J, Ctrl+F, File > Find in queue), one at a
// time; the queue's changes reach it as they happen.
void OpenFindBox(HWND window);
void CloseFindBox();
void NoteQueueChangeForFind(QueueChange change, int index, int toIndex);
// An entry's title has changed: an open box searches the new one once
// titles stop coming.
void NoteRetitledForFind();
bool IsFindBoxMessage(MSG* message);
// The main window's shortcuts, then the find box's and the main window's
// dialog keys: true when the message was taken.
bool TranslateWindowKeys(HWND window, MSG* message);
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintWebLink(HDC dc, HWND link);
BOOL HandleWebLink(UINT message, HWND link);
void OpenHelpPage(HWND owner);

#endif
