#include "request_text.h"

#include <cstring>

static bool IsSeparator(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

const char* CommandLineTail(const char* commandLine)
{
    const char* p = commandLine;
    if (p == nullptr)
        return "";
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsSeparator(*p))
            ++p;
    }
    while (IsSeparator(*p))
        ++p;
    return p;
}

RequestForm ClassifyRequest(const char* request)
{
    if (std::strncmp(request, "/load ", REQUEST_PREFIX_LENGTH) == 0)
        return REQUEST_LOAD;
    if (std::strncmp(request, "/play ", REQUEST_PREFIX_LENGTH) == 0)
        return REQUEST_PLAY;
    return REQUEST_MEDIA;
}

const char* RequestFileName(const char* request)
{
    return request + REQUEST_PREFIX_LENGTH;
}
