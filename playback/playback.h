// Media commands, the playback sequencer, the shuffle order and the progress display.
#ifndef VIREO_PLAYBACK_H
#define VIREO_PLAYBACK_H

#include <windows.h>

#include "playback_text.h"

enum PlayStateValue {
    PLAY_PLAYING = 0,
    PLAY_STOPPED = 1,
    PLAY_PAUSED = 2
};
extern int g_playState;

// Returned by SetTimer when playback last started; 0 until then.
extern UINT_PTR g_progressTimerId;

// 0 on success. The reply buffer, when given, always ends up zero-terminated.
int SendMediaCommand(const char* command, char* reply, UINT replyCapacity, HWND notifyWindow);

// The one entry open for playback. The sequencer and the progress display
// reach it only through these.
void StopAndCloseMedia();
// Opens a path or the CD device under the alias and sets the time format to
// milliseconds; false when the open fails.
bool OpenMediaElement(const char* element);
// Starts the open entry from its start, a CD track over its own range; its
// end or failure is posted to the window as MM_MCINOTIFY. False when refused.
bool PlayOpenMedia(HWND notifyWindow, bool cdTrack, int32_t startMs, int32_t lengthMs);
// Holds the open entry where it is, and goes on from there.
void PauseOpenMedia();
void ResumeOpenMedia(HWND notifyWindow);
// Position and length in milliseconds; 0 when the layer does not say.
int32_t OpenMediaPositionMs();
int32_t OpenMediaLengthMs();
// True while the device open under the alias is the CD.
bool MediaHoldsCd();
// True while the device open under the alias reports that it plays.
bool MediaIsPlaying();
// The volume, 0 to 100, of entries played through Media Foundation: the
// one that plays now and every later one.
void SetFoundationVolume(int percent);

void StartPlayback(HWND window);
void StopPlayback(HWND window);
void TogglePause(HWND window);
void StepSelection(HWND window, int delta);
void AdvancePlayback(HWND window, UINT message, WPARAM flags);
void FinishPlaylist(HWND window);
// Called by the progress tick: an end notice set aside because the device
// still played is taken as this entry's end once the device has stopped.
void SettleDoubtfulEnd(HWND window);
void UpdateStepCommands(HWND window);

// A fresh shuffle order for the playlist's current item count.
void BuildShuffleOrder(HWND window);

void CALLBACK OnProgressTick(HWND window, UINT message, UINT_PTR id, DWORD time);

#endif
