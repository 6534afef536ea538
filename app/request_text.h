// Reading a command line and telling request forms apart. No platform calls.
#ifndef VIREO_REQUEST_TEXT_H
#define VIREO_REQUEST_TEXT_H

#include <cstddef>

enum RequestForm {
    REQUEST_LOAD,   // "/load " and a playlist file name
    REQUEST_PLAY,   // "/play " and a playlist file name
    REQUEST_MEDIA,  // no double quote anywhere: one media path, blanks and all
    REQUEST_PATHS   // any other text with a double quote: quoted and unquoted paths
};

// Length of the "/load " and "/play " prefixes.
const int REQUEST_PREFIX_LENGTH = 6;

// The command line without the program name (quoted or not) and the
// characters 1 to 32 that follow it. Points into commandLine.
const char* CommandLineTail(const char* commandLine);

// Exact, case-sensitive test of at most the first 6 characters; a load or
// play whose name holds a double quote is one only when the name is wrapped
// in one pair of them.
RequestForm ClassifyRequest(const char* request);

// The playlist file name of a load or play request: everything after the
// prefix, inside its quotes when it is wrapped in them. Refused (the empty
// name) when it does not fit the capacity.
void RequestFileName(const char* request, char* name, size_t capacity);

// The next item of a list of paths at *cursor: quoted parts lose their
// quotes, and characters 1 to 32 outside quotes separate items. The item is
// cut to the capacity; empty items are passed over. False when none is left.
bool TakeRequestPath(const char** cursor, char* item, size_t capacity);

#endif
