// The playlist's texts: what a mailbox text names, a CD track's name, the
// playlist file's header and lines, how stored lines are encoded, names and
// their extensions, the choosers' filters and answers, and texts composed
// whole. No platform calls.
#ifndef VIREO_PLAYLIST_TEXT_H
#define VIREO_PLAYLIST_TEXT_H

#include <cstddef>
#include <cstdint>

#include "../app/shared_text.h"

enum EntryKind : int32_t {
    ENTRY_CD_TRACK = 0,
    ENTRY_MIDI = 1,
    ENTRY_WAVE = 2,
    ENTRY_VIDEO = 3,
    ENTRY_OTHER = 4
};

// The mailbox is read into 259 characters, so at most 258 arrive.
const int MAILBOX_CAPACITY = 259;

// By the last four characters, case-insensitively.
EntryKind ClassifyEntryText(const char* text);

// The text after the name's last dot, where no backslash follows it; null
// for a name without one.
const char* NameExtension(const char* name);

// The first run of decimal digits anywhere in the text, read as a number.
// False when the text holds no digit.
bool FindCdTrackNumber(const char* text, int32_t* track);

// "CD track #%d"
void FormatCdTrackName(char* out, size_t capacity, int32_t track);

// The playlist file format.
extern const char PLAYLIST_HEADER[];          // "[VIREO 1.0]"
extern const char PLAYLIST_EXTENSION[];       // ".VireoList"
const size_t PLAYLIST_HEADER_LENGTH = 11;

// The first 11 characters are exactly the header; stops at a zero byte.
bool HasPlaylistHeader(const char* text);

// text holds size bytes followed by a zero byte. The first line's start,
// past the header and the two characters after it, or null when fewer than
// two characters follow the header.
char* FirstPlaylistLine(char* text, size_t size);

// Cuts the line at *cursor out of the text (its CR becomes a zero) and moves
// *cursor past the CR and the character after it, or to null at the end.
// end points at the zero byte after the data. Returns null when there are
// no more lines (no cursor, or the cursor is on a zero byte).
char* TakePlaylistLine(char** cursor, char* end);

// How a stored line is written: plain ASCII, UTF-8 (what is written now), or
// neither, which is the system's legacy code page of earlier versions.
enum StoredEncoding {
    STORED_ASCII,
    STORED_UTF8,
    STORED_LEGACY
};
StoredEncoding ClassifyStoredText(const char* text);

// Appends the extension (its dot included) to the zero-terminated name in a
// buffer of the given capacity. Refuses (false, name unchanged) when the
// result would not fit.
bool AppendNameExtension(char* name, size_t capacity, const char* extension);
// The same with ".VireoList".
bool AppendPlaylistExtension(char* name, size_t capacity);

// Playlists by the extension of their name, in any case; the media layer
// claims m3u as a kind of its own, so every door asks this first.
extern const char M3U8_EXTENSION[];           // ".m3u8"
enum PlaylistKind {
    PLAYLIST_NONE,
    PLAYLIST_VIREO,     // .VireoList
    PLAYLIST_M3U,       // .m3u
    PLAYLIST_M3U8,      // .m3u8
    PLAYLIST_PLS        // .pls
};
PlaylistKind ClassifyPlaylistName(const char* path);

// Lists of extensions without their dot: each item zero-terminated, a second
// zero after the last; a lone zero is the empty list.
// Adds the extension unless it is empty, listed already (in any case) or
// would not fit; false when it did not fit.
bool AddExtensionToList(char* list, size_t capacity, const char* extension);
// Whether a file name's extension (after its last dot, with no backslash
// after it) is in the list, compared case-insensitively.
bool HasListedExtension(const char* name, const char* list);

// A file chooser's filter: pairs of zero-terminated texts and a closing
// zero. Appends one text, keeping the closing zero; false, the filter
// unchanged, when it does not fit. *used counts the bytes before the
// closing zero (0 for an empty filter).
bool AppendFilterText(char* filter, size_t capacity, size_t* used, const char* text);
// "*.rmi;*.mid;..." for the listed extensions, as many whole ones as fit.
void FormatExtensionPattern(char* out, size_t capacity, const char* list);

// The chooser's answer when several files may be chosen: one full path, or
// a folder and the names in it (zero between them and two after the last;
// blanks between them in the old style, whose names are short). Read
// within the capacity the chooser was given only.
struct ChosenFiles {
    const char* folder;
    size_t folderLength;
    const char* next;       // null once every name is taken
    const char* end;
    bool oldStyle;
};
// False when the answer is cut short (the selection did not fit): none of
// it is to be taken. fileOffset is the chooser's offset of the first name.
bool ReadChosenFiles(ChosenFiles* chosen, const char* buffer, size_t capacity, size_t fileOffset);
// The next chosen file as a full path; a path that does not fit the
// capacity is passed over. False when none is left.
bool TakeChosenFile(ChosenFiles* chosen, char* path, size_t capacity);

// ---- Lines -------------------------------------------------------------------

// A text grown with malloc as a file is composed; failed once memory ran out,
// and then nothing more is appended.
struct GrowingText {
    char* text;
    size_t length;
    size_t capacity;
    bool failed;
};
void AppendToText(GrowingText* out, const char* bytes, size_t count);
// The text and a CR LF.
void AppendLineToText(GrowingText* out, const char* line);
void FreeGrowingText(GrowingText* out);

// A line cut out of a text in place: what ended it became a zero byte.
// length counts the line's bytes, so a line that holds a zero byte of its
// own has a shorter strlen.
struct TextLine {
    char* text;
    size_t length;
    bool ended;     // by a line end, not by the end of the text
};

// Where the text's first line starts: after a UTF-8 byte-order mark, if any.
char* SkipByteOrderMark(char* text, char* end);

// The next line at *cursor, ended by CR, LF, CR LF or the end of the text
// (end points at the zero byte after it). False when no line is left.
bool TakeTextLine(char** cursor, char* end, TextLine* line);
// The same with blanks and tabs trimmed from both ends.
bool TakeTrimmedLine(char** cursor, char* end, TextLine* line);

// What the status line says of lines a reading passed over:
// "Passed over 3 lines that name nothing Vireo can play."
// "Passed over 2 lines of the kept playlist that could not be read."
enum PassedOverLines {
    PASSED_OVER_UNPLAYABLE,
    PASSED_OVER_KEPT_DAMAGED
};
const size_t PASSED_OVER_CAPACITY = 96;
void FormatPassedOverText(char* out, size_t capacity, unsigned long count, PassedOverLines what);

#endif
