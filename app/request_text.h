// Reading a command line and telling request forms apart. No platform calls.
#ifndef VIREO_REQUEST_TEXT_H
#define VIREO_REQUEST_TEXT_H

enum RequestForm {
    REQUEST_LOAD,   // "/load " and a playlist file name
    REQUEST_PLAY,   // "/play " and a playlist file name
    REQUEST_MEDIA   // anything else: one media path
};

// Length of the "/load " and "/play " prefixes.
const int REQUEST_PREFIX_LENGTH = 6;

// The command line without the program name (quoted or not) and the
// characters 1 to 32 that follow it. Points into commandLine.
const char* CommandLineTail(const char* commandLine);

// Exact, case-sensitive test of at most the first 6 characters.
RequestForm ClassifyRequest(const char* request);

// The playlist file name of a load or play request: everything after the prefix.
const char* RequestFileName(const char* request);

#endif
