#include "restart_text.h"

#include <cstring>

const char RESTART_REQUEST[] = "/restart";

bool IsRestartRequest(const char* tail)
{
    size_t length = sizeof RESTART_REQUEST - 1;
    if (std::strncmp(tail, RESTART_REQUEST, length) != 0)
        return false;
    for (const char* rest = tail + length; *rest != '\0'; ++rest)
        if (static_cast<unsigned char>(*rest) > ' ')
            return false;
    return true;
}
