// Media commands, the playback sequencer, the current entry, the shuffle
// order, the volume and the progress display.
#ifndef VIREO_PLAYBACK_H
#define VIREO_PLAYBACK_H

#include <windows.h>

#include "playback_text.h"
#include "../playlist/playlist.h"
#include "shuffle_order.h"

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
// The same from offsetMs into the entry.
bool PlayOpenMediaFrom(HWND notifyWindow, bool cdTrack, int32_t startMs, int32_t lengthMs, int32_t offsetMs);
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

// The volume, 0 to 100: applied at once to what is open and to every entry
// opened later. On Windows Vista and later it is Vireo's own volume in the
// system's mixer; on earlier systems the sound card's wave and MIDI levels.
const int FULL_VOLUME = 100;
void SetMediaVolume(int percent);
// The same volume, only remembered until the next open applies it: at a
// start nothing is open, and the mixer's drivers need not load before the
// window shows.
void KeepMediaVolume(int percent);
int MediaVolume();
// Gives the entry just opened the volume: its own device's where it has one.
void ApplyMediaVolume();

// The play commands.
void StartPlayback(HWND window);
void StopPlayback(HWND window);
void TogglePause(HWND window);
// Next (+1) and Previous (-1): the entry after or before the current one
// plays at once, from a pause too. In shuffle mode they walk back and forth
// over what this pass has played, Next then going on to an entry not yet played.
void PlayNextOrPrevious(HWND window, int delta);
// Plays the entry at index now, in every play state: a stopped player
// starts there, a playing or paused one leaves its entry for this one. In
// shuffle mode the entry counts as played in this pass; in cue mode it plays.
void PlayEntryNow(HWND window, int index);

// The advance from one entry to the next.
void AdvancePlayback(HWND window, UINT message, WPARAM flags);
// The list index of the next entry of the shuffle order, or -1 once the
// order is exhausted.
int NextShuffledIndex(HWND window);
void FinishPlaylist(HWND window);
// Called by the progress tick: an end notice set aside because the device
// still played is taken as this entry's end once the device has stopped.
void SettleDoubtfulEnd(HWND window);
void UpdateStepCommands(HWND window);
// Whether Next was offered when the step commands were last brought up to date.
bool NextOffered();
// A fresh shuffle order of the playlist's entries.
void BuildShuffleOrder(HWND window);

// The current entry: the one that plays or is paused, the sequencer's own
// record (the list's selection is the user's). Null and -1 when none.
const PlaylistEntry* CurrentEntry();
int CurrentEntryIndex(HWND window);

// Every change of the list passes here, once it is made: index is the item
// appended, removed or moved (to toIndex).
void QueueChanged(HWND window, QueueChange change, int index, int toIndex);

// The place the queue is kept at for a later start: the current entry, or
// the one playback stopped in or a start restored, and how far into it.
// The list index (-1: none) and the milliseconds.
int QueuePlace(HWND window, int32_t* positionMs);
// Kept as each entry becomes current, while it plays, at Pause and at Stop;
// none once the list has played to its end.
void KeepPlayingPlace(HWND window);
// The same with the device's position already asked for.
void KeepPositionAt(HWND window, int32_t devicePositionMs);
void KeepNoPlace(HWND window);
// The place a start restored: the entry is selected and the time read-out
// shows the place; the first Start goes on there, unless another entry has
// played first.
void SetResumePlace(HWND window, int index, int32_t offsetMs);
// Starts the restored place, if one waits: false when none does.
bool ResumeRestoredPlace(HWND window);
// An entry about to be released is neither current nor the place.
void ForgetEntry(const PlaylistEntry* entry);

// An entry about to be released: the sequencer lets go of it (the current
// entry is stopped) and it leaves the shuffle order. True when it was the
// current entry: once it is gone, PlayOnAfterRemoval goes on from there.
bool ReleaseFromPlayback(HWND window, const PlaylistEntry* entry, int index);
void PlayOnAfterRemoval(HWND window);

// The sequencer's own parts share these.
// The entry at index becomes the current one, and the selection follows it.
void MakeCurrent(HWND window, int index);
// No entry is current; the next in list order is the one after afterIndex.
void ForgetCurrent(HWND window, int afterIndex);
// The index the advance goes on from in list order.
int AdvanceBaseIndex(HWND window);
// Posted advances carry the current entry's generation: one that arrives
// after another entry has become current is out of date.
WPARAM CurrentGeneration();
void PostAdvance(HWND window);
// Opens and starts the entry at index as the current one; with cue, opens it
// and holds it unstarted, paused. A failure is reported and skipped.
void StartEntry(HWND window, int index, bool cue);
// The same, started offsetMs in (from its start if that lies past its end).
void StartEntryFrom(HWND window, int index, int32_t offsetMs);
// The entry cue mode holds opened but not started.
bool CueHeld();
void DropCue();
void StartCuedEntry(HWND window);
// Entries started in this pass: a repeat pass that started none ends.
void BeginPass();
bool PassStartedAny();
bool ShuffleBuilt();
void ForgetShuffleOrder();
void ForgetDoubtfulEnd();

void CALLBACK OnProgressTick(HWND window, UINT message, UINT_PTR id, DWORD time);
// The time read-out shows a place before it plays: a file's length is
// known only once it is opened.
void ShowPlace(HWND window, const PlaylistEntry* entry, int32_t offsetMs);

#endif
