// Media command texts, reading replies and the progress text. No platform calls.
#ifndef VIREO_PLAYBACK_TEXT_H
#define VIREO_PLAYBACK_TEXT_H

#include <cstddef>
#include <cstdint>

// The alias every device is opened under.
extern const char MEDIA_ALIAS[];                 // "VireoMedia"
// The CD track query's own alias, so that it never touches the playing device.
extern const char CD_QUERY_ALIAS[];              // "VireoCdQuery"
extern const char CD_DEVICE_NAME[];              // "cdaudio"

// Holds "open " + a quoted 259-character name + " alias VireoMedia wait",
// and the longest play command with two 11-character numbers.
const size_t COMMAND_CAPACITY = 320;

// Reply capacities of the progress queries and the CD track queries.
const unsigned PROGRESS_REPLY_CAPACITY = 15;
const unsigned CD_REPLY_CAPACITY = 19;
// "not ready", "paused", "playing", "stopped", "open", "recording", "seeking".
const unsigned MODE_REPLY_CAPACITY = 16;

// Read the way the C library's atoi reads, with 32-bit wrap-around.
int32_t ParseReplyInteger(const char* reply);

// "open %s alias VireoMedia wait", the element in quotes when it holds a blank.
void ComposeOpenCommand(char* out, size_t capacity, const char* element);
// "play VireoMedia[ from %d to %d] notify"; the bounds only for a CD track.
void ComposePlayCommand(char* out, size_t capacity, bool cdTrack, int32_t startMs, int32_t lengthMs);
// The same from offsetMs into the entry (a CD track's offset counts from its
// start on the disc); with no offset, ComposePlayCommand's text.
void ComposePlayFromCommand(char* out, size_t capacity, bool cdTrack, int32_t startMs, int32_t lengthMs,
                            int32_t offsetMs);
// "status <alias> position track %d wait" or "status <alias> length track %d wait"
void ComposeCdTrackQuery(char* out, size_t capacity, const char* alias, const char* what, int32_t track);

// Whole seconds of a CD track played so far: whole seconds from whole seconds.
int32_t CdElapsedSeconds(int32_t positionMs, int32_t startMs);
// "%d:%02d of %d:%02d"
void FormatProgressText(char* out, size_t capacity, int32_t elapsed, int32_t total);
// "%d:%02d": a place whose entry's length is not known before it opens.
void FormatPlaceText(char* out, size_t capacity, int32_t elapsed);
// Appends " in " and the item text, cut to fit.
void AppendItemName(char* out, size_t capacity, const char* itemText);
// Holds the time text, " in " and a 259-character item text.
const size_t PROGRESS_TEXT_CAPACITY = 320;

#endif
