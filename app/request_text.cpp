#include "request_text.h"

#include <cstring>

static const char QUOTE = '"';
static const char LOAD_PREFIX[] = "/load ";
static const char PLAY_PREFIX[] = "/play ";

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
    if (*p == QUOTE) {
        ++p;
        while (*p != '\0' && *p != QUOTE)
            ++p;
        if (*p == QUOTE)
            ++p;
    } else {
        while (*p != '\0' && !IsSeparator(*p))
            ++p;
    }
    while (IsSeparator(*p))
        ++p;
    return p;
}

// The length of the name inside one pair of quotes that wraps the whole text
// (blanks may follow the closing quote), or -1.
static long WrappedLength(const char* text)
{
    if (text[0] != QUOTE)
        return -1;
    const char* close = std::strchr(text + 1, QUOTE);
    if (close == nullptr)
        return -1;
    for (const char* p = close + 1; *p != '\0'; ++p)
        if (!IsSeparator(*p))
            return -1;
    return static_cast<long>(close - text - 1);
}

RequestForm ClassifyRequest(const char* request)
{
    bool quoted = std::strchr(request, QUOTE) != nullptr;
    RequestForm prefixed = REQUEST_MEDIA;
    if (std::strncmp(request, LOAD_PREFIX, REQUEST_PREFIX_LENGTH) == 0)
        prefixed = REQUEST_LOAD;
    else if (std::strncmp(request, PLAY_PREFIX, REQUEST_PREFIX_LENGTH) == 0)
        prefixed = REQUEST_PLAY;
    if (!quoted)
        return prefixed;
    if (prefixed != REQUEST_MEDIA && WrappedLength(request + REQUEST_PREFIX_LENGTH) >= 0)
        return prefixed;
    return REQUEST_PATHS;
}

void RequestFileName(const char* request, char* name, size_t capacity)
{
    if (capacity == 0)
        return;
    const char* text = request + REQUEST_PREFIX_LENGTH;
    long wrapped = WrappedLength(text);
    size_t length = wrapped >= 0 ? static_cast<size_t>(wrapped) : std::strlen(text);
    if (wrapped >= 0)
        ++text;
    // A cut name could open another file: refuse it whole.
    if (length >= capacity)
        length = 0;
    std::memcpy(name, text, length);
    name[length] = '\0';
}

bool TakeRequestPath(const char** cursor, char* item, size_t capacity)
{
    const char* p = *cursor;
    for (;;) {
        while (IsSeparator(*p))
            ++p;
        if (*p == '\0') {
            *cursor = p;
            return false;
        }
        size_t length = 0;
        bool inQuotes = false;
        for (; *p != '\0' && (inQuotes || !IsSeparator(*p)); ++p) {
            if (*p == QUOTE)
                inQuotes = !inQuotes;
            else if (length + 1 < capacity)
                item[length++] = *p;
        }
        if (capacity > 0)
            item[length] = '\0';
        if (length > 0) {
            *cursor = p;
            return true;
        }
    }
}
