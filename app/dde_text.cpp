#include "dde_text.h"

#include <cstring>

const char DDE_SERVICE_NAME[] = "Vireo";
const char DDE_TOPIC_NAME[] = "Playlist";

// A cut path would name another file: one that does not fit is refused.
static const size_t PATH_LIMIT = 259;

struct ExecuteCommand {
    const char* name;
    const char* prefix;  // what the command line puts before the quoted path
};

static const ExecuteCommand COMMANDS[] = {
    {"add", ""},
    {"play", "/play "},
    {"load", "/load "},
};

struct Cursor {
    const char* at;
    const char* end;
};

static void SkipBlanks(Cursor* cursor)
{
    while (cursor->at < cursor->end && (*cursor->at == ' ' || *cursor->at == '\t'))
        ++cursor->at;
}

static bool Take(Cursor* cursor, char c)
{
    SkipBlanks(cursor);
    if (cursor->at == cursor->end || *cursor->at != c)
        return false;
    ++cursor->at;
    return true;
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

static const ExecuteCommand* TakeCommand(Cursor* cursor)
{
    SkipBlanks(cursor);
    for (const ExecuteCommand& command : COMMANDS) {
        size_t length = std::strlen(command.name);
        if (static_cast<size_t>(cursor->end - cursor->at) < length)
            continue;
        size_t i = 0;
        while (i < length && Lower(cursor->at[i]) == command.name[i])
            ++i;
        if (i == length) {
            cursor->at += length;
            return &command;
        }
    }
    return NULL;
}

// The quoted path: no quote and no control character inside, none empty.
static bool TakePath(Cursor* cursor, const char** path, size_t* length)
{
    if (!Take(cursor, '"'))
        return false;
    const char* start = cursor->at;
    while (cursor->at < cursor->end && *cursor->at != '"') {
        if (static_cast<unsigned char>(*cursor->at) < 32)
            return false;
        ++cursor->at;
    }
    if (cursor->at == cursor->end)
        return false;
    *path = start;
    *length = static_cast<size_t>(cursor->at - start);
    ++cursor->at;
    return *length > 0 && *length <= PATH_LIMIT;
}

static bool AtEnd(Cursor* cursor)
{
    SkipBlanks(cursor);
    return cursor->at == cursor->end;
}

ExecuteForm ReadExecute(const char* execute, size_t size, char* request, size_t capacity)
{
    if (capacity > 0)
        request[0] = '\0';
    // An execute need not end in a zero; one that has it ends there.
    size_t length = 0;
    while (length < size && execute[length] != '\0')
        ++length;
    Cursor cursor = {execute, execute + length};
    if (!Take(&cursor, '['))
        return EXECUTE_REFUSED;
    if (Take(&cursor, ']'))
        return AtEnd(&cursor) ? EXECUTE_NOTHING : EXECUTE_REFUSED;
    const ExecuteCommand* command = TakeCommand(&cursor);
    const char* path = NULL;
    size_t pathLength = 0;
    if (command == NULL || !Take(&cursor, '(') || !TakePath(&cursor, &path, &pathLength) || !Take(&cursor, ')') ||
        !Take(&cursor, ']') || !AtEnd(&cursor))
        return EXECUTE_REFUSED;
    size_t prefix = std::strlen(command->prefix);
    if (prefix + pathLength + 3 > capacity)
        return EXECUTE_REFUSED;
    std::memcpy(request, command->prefix, prefix);
    request[prefix] = '"';
    std::memcpy(request + prefix + 1, path, pathLength);
    request[prefix + 1 + pathLength] = '"';
    request[prefix + 2 + pathLength] = '\0';
    return EXECUTE_REQUEST;
}
