// The tray tip and the help page's path. No platform calls.
#ifndef VIREO_SHELL_TEXT_H
#define VIREO_SHELL_TEXT_H

#include <cstddef>

#include "../app/shared_text.h"

// The tray record's tip holds 64 characters; 62 of a text are kept.
const size_t TRAY_TIP_CAPACITY = 64;
const size_t TRAY_TIP_COPY_BOUND = 63;
void FillTrayTip(char* tip, const char* text);

// The tip shown whenever a caller gives none.
extern const char DEFAULT_TRAY_TIP[];

// Replaces the last three characters of the path with "htm". False, and the
// path unchanged, when it is shorter than 4 characters.
bool MakeHelpPagePath(char* path);

#endif
