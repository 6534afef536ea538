// Reading the playlists of other players (M3U, M3U8, PLS): which lines name
// paths, file: URLs, and paths relative to the playlist's own folder. No
// platform calls; the texts are bytes as the file holds them until the
// caller has converted them.
#ifndef VIREO_OTHER_PLAYLISTS_TEXT_H
#define VIREO_OTHER_PLAYLISTS_TEXT_H

#include <cstddef>
#include <cstdint>

#include "playlist_text.h"

// The next line of an M3U text that names something: blank lines and lines
// that start with '#' (#EXTM3U, #EXTINF and the rest) are passed by.
bool TakeM3uPathLine(char** cursor, char* end, TextLine* line);

// What an #EXTINF line says of the path after it: "#EXTINF:215,Artist - Title".
struct M3uEntryInfo {
    int32_t lengthMs;       // -1: not said
    const char* title;      // into the text; length 0 for none
    size_t titleLength;
};
// The same, with the last #EXTINF before the path (none: -1 and no title).
bool TakeM3uEntry(char** cursor, char* end, TextLine* line, M3uEntryInfo* info);

// A FileN entry of a PLS text.
struct PlsEntry {
    TextLine value;
    const char* number;     // N's digits, leading zeros and all
    size_t numberLength;
    size_t order;           // its place in the file
};

enum PlsReading {
    PLS_NOT_A_PLAYLIST,     // the first line that is not blank is no "[playlist]"
    PLS_NO_MEMORY,
    PLS_READ
};

// The FileN entries of a PLS text in the order of N, however large, and in
// file order where N is the same; the other keys (TitleN, LengthN,
// NumberOfEntries, Version) are read past and trusted for nothing. The
// entries come in an array from malloc, null when there are none.
PlsReading ReadPlsEntries(char* text, char* end, PlsEntry** entries, size_t* count);

enum ListedForm {
    LISTED_PATH,
    LISTED_WEB_ADDRESS,     // http:, https:, mms: and any other scheme but file:
    LISTED_UNREADABLE       // empty, a zero byte or control character, or too long
};

// A listed line as a path, still in the file's own bytes: a file: URL is
// decoded (its percent escapes to bytes, a host to a server's share), any
// other path is taken as it is.
ListedForm DecodeListedLine(const TextLine& line, char* out, size_t capacity);

// The listed path made full against the playlist's folder (full itself: a
// drive or a server's share first), forward slashes read as backslashes,
// "." and ".." worked out and ".." stopped at the root, as the platform
// does. False when the result does not fit the capacity, or names no full
// path. The texts are in the code page the leads describe.
bool ResolveListedPath(char* out, size_t capacity, const char* folder, const char* path, const LeadBytes& leads);

// How much of a path is its root: "C:" or "\\server\share", without the
// separator after it; 0 for a path without one.
size_t PathRootLength(const char* path, const LeadBytes& leads);
// The end of the path component at p: the next slash or backslash, or the
// end. The second byte of a two-byte character may be 0x5C and is then no
// separator; 0x2F never is a second byte.
const char* PathComponentEnd(const char* p, const LeadBytes& leads);

#endif
