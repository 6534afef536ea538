// Program entry, running-instance marker, main loop and requests.
#ifndef VIREO_APP_H
#define VIREO_APP_H

#include <windows.h>

// Set by the entry before the main window exists.
extern HINSTANCE g_instance;
extern HICON g_idleIcon;     // the tray pictures, owned
extern HICON g_playingIcon;
extern HICON g_pausedIcon;
extern HMENU g_trayMenu;     // submenu 0 of IDR_TRAYMENU

// The icons, the tray popup menu and the instance handle the other parts share.
void LoadSharedResources(HINSTANCE instance);
void FreeSharedResources();
// The three tray pictures at the screen's small-icon size, loaded anew; the
// handles they replace are the caller's to destroy.
void LoadTrayPictures();
// Whether they were loaded at the small-icon size the screen has now.
bool TrayPicturesFitScreen();

// The whole run of one process; the exit code, 0 in every path.
int RunVireo(HINSTANCE instance, const char* tail);

// The marker this process owns, from its start to its teardown; NULL when
// it runs without one.
extern HKEY g_runningMarker;

HKEY AcquireRunningMarker();
bool IsMarkerStale(HKEY marker);
// Whether the process of that id still runs.
bool ProcessRuns(DWORD pid);
void ReleaseRunningMarker(HKEY marker);

// The main window of a running player, or NULL; no waiting.
HWND FindPlayerWindow();

// The player's window exists: later starts may now find it and forward to
// it, and the marker's owner serves Explorer's executes.
void OpenToLaterStarts(HWND window);

// Explorer's executes for a selection, one per item, carried out against the
// window; served by the marker's owner from its window's start to its end.
void StartDdeService(HWND window);
void StopDdeService();

// Pumps the thread's messages until the main window is destroyed.
void RunMainLoop(HWND window);

// Loads a playlist, loads one and plays from the first entry it appended,
// or adds media paths, against the main window of this or of another
// process. AppendRequest does the same except that a play request only
// appends: a later item of a selection whose first item plays.
void ApplyRequest(HWND window, const char* request);
void AppendRequest(HWND window, const char* request);
// A play request has just been carried out here (the command line's, or
// an execute's): Explorer's next items of the same selection may follow.
void NotePlayRequest();

// Windows' restarts bring the player back with the restart request
// (restart_text.h): called once the player's window exists. False where the
// system has no such restart (before Vista) or refused it.
bool RegisterForSystemRestart();

#endif
