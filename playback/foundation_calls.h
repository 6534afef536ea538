// The functions of Media Foundation (and of COM, which it needs) that Vireo
// uses, found at run time: Windows before 7 has none of them, Windows 95
// not even CoInitializeEx, and "N" editions without the media pack fail to
// start them. Only the files of the Media Foundation way include this.
#ifndef VIREO_FOUNDATION_CALLS_H
#define VIREO_FOUNDATION_CALLS_H

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>

#include <cstdint>

struct FoundationCalls {
    HRESULT(WINAPI* coInitializeEx)(LPVOID, DWORD);
    void(WINAPI* coUninitialize)();
    HRESULT(WINAPI* startup)(ULONG, DWORD);
    HRESULT(WINAPI* shutdown)();
    HRESULT(WINAPI* createSourceResolver)(IMFSourceResolver**);
    HRESULT(WINAPI* createTopology)(IMFTopology**);
    HRESULT(WINAPI* createTopologyNode)(MF_TOPOLOGY_TYPE, IMFTopologyNode**);
    HRESULT(WINAPI* createAudioRendererActivate)(IMFActivate**);
    HRESULT(WINAPI* createMediaSession)(IMFAttributes*, IMFMediaSession**);
    HRESULT(WINAPI* getService)(IUnknown*, REFGUID, REFIID, LPVOID*);
};
extern FoundationCalls g_foundation;

// Loads and starts Media Foundation at the first call; false, then and at
// every later call, when the system lacks it or it does not start.
bool StartFoundation();
// Some work of Media Foundation's was abandoned, still running: the
// program's end must not wait in MFShutdown for it.
void SkipFoundationShutdown();

// Opens a file's media source on a thread of its own, pending until it is
// ended; NULL when that cannot even start.
struct PendingOpen;
PendingOpen* BeginResolve(const char* path);
// The source, waiting a bounded time; NULL when none opened the file in time.
IMFMediaSource* EndResolve(PendingOpen* resolution);
// The topology that plays the source's audio streams, each to the system's
// audio renderer, and the length the file states in milliseconds (0 when
// it does not say). False when it has no audio or cannot be built.
bool OpenFoundationTopology(IMFMediaSource* source, IMFTopology** topology, int32_t* lengthMs);

// A thread of its own that waits for a session's events (foundation_watch.cpp).
struct SessionWatch;
SessionWatch* StartWatch(IMFMediaSession* session);
// Whether the session's topology got ready, waiting a bounded time.
bool AwaitTopology(SessionWatch* watch);
// The window that hears the end or failure as MM_MCINOTIFY; NULL: none.
// True when the session has finished already: the window has been told.
bool ListenToWatch(SessionWatch* watch, HWND notifyWindow);
// Listened to and not finished.
bool WatchSaysPlaying(SessionWatch* watch);
// Closes the session and hands it over to its thread, which shuts it and
// the source (if any) down once closed; the window's thread does not wait
// for that.
void RetireWatch(SessionWatch* watch, IMFMediaSource* source);
// For the program's end: waits for every retired session to finish, a
// bounded time; false when one did not.
bool FinishRetiredWatches();

#endif
