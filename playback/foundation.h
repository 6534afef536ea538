// The second way to play a file entry: Media Foundation, for the files the
// media control interface cannot open (FLAC, M4A, Opus and the like). The
// open entry's calls in media.cpp reach it through these when it holds the
// entry; its end or failure comes to the window as MM_MCINOTIFY, as the
// media control interface's does.
#ifndef VIREO_FOUNDATION_H
#define VIREO_FOUNDATION_H

#include <windows.h>

#include <cstdint>

// Opens a file ready to start, loading Media Foundation the first time;
// false when the system lacks it or it cannot play the file.
bool OpenFoundationMedia(const char* path);
// True from a successful open until the close.
bool FoundationHoldsMedia();
// Starts the open entry from offsetMs into the file, or from where it
// stands for 0; false when refused.
bool PlayFoundationMediaFrom(HWND notifyWindow, int32_t offsetMs);
void PauseFoundationMedia();
void ResumeFoundationMedia(HWND notifyWindow);
// Milliseconds; 0 when unknown.
int32_t FoundationPositionMs();
int32_t FoundationLengthMs();
bool FoundationIsPlaying();
// Releases the open entry, if any; no notice of it arrives afterwards.
void CloseFoundationMedia();

#endif
