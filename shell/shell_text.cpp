#include "shell_text.h"

#include <cstring>

const char DEFAULT_TRAY_TIP[] = "Click to start playing, right-click for settings";

void FillTrayTip(char* tip, const char* text)
{
    std::memset(tip, 0, TRAY_TIP_CAPACITY);
    CopyBounded(tip, TRAY_TIP_COPY_BOUND, text != nullptr ? text : DEFAULT_TRAY_TIP);
    tip[TRAY_TIP_CAPACITY - 1] = '\0';
}

bool MakeHelpPagePath(char* path)
{
    size_t length = std::strlen(path);
    if (length < 4)
        return false;
    std::memcpy(path + length - 3, "htm", 3);
    return true;
}
