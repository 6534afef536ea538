// The command line Windows restarts the player with. No platform calls.
#ifndef VIREO_RESTART_TEXT_H
#define VIREO_RESTART_TEXT_H

// "/restart": no file name starts with a slash, and no request of ours does so.
extern const char RESTART_REQUEST[];

// The command line's tail (CommandLineTail) is the restart request, with
// nothing after it but blanks and control characters.
bool IsRestartRequest(const char* tail);

#endif
