// Paths as other players' playlists list them, resolved against the
// playlist's own folder the way Windows would: drive and server roots, "."
// and "..", either slash.
#include "other_playlists_text.h"

#include <cstring>

#include "text_chars.h"

const char* PathComponentEnd(const char* p, const LeadBytes& leads)
{
    while (*p != '\0' && !IsSlash(*p))
        p = NextCharacter(p, leads);
    return p;
}

size_t PathRootLength(const char* path, const LeadBytes& leads)
{
    if (IsAsciiLetter(path[0]) && path[1] == ':')
        return 2;
    if (!IsSlash(path[0]) || !IsSlash(path[1]))
        return 0;
    const char* server = path + 2;
    const char* serverEnd = PathComponentEnd(server, leads);
    if (serverEnd == server)
        return 0;
    if (*serverEnd == '\0' || PathComponentEnd(serverEnd + 1, leads) == serverEnd + 1)
        return static_cast<size_t>(serverEnd - path);
    return static_cast<size_t>(PathComponentEnd(serverEnd + 1, leads) - path);
}

// The resolved path as it is written: the root, then one component after
// another. A component that does not fit is counted rather than written,
// so that a later ".." can still take it back.
struct PathWriter {
    char* out;
    size_t capacity;
    size_t length;
    size_t rootLength;
    size_t unwritten;
    const LeadBytes* leads;
};

// The start of the last written component's separator, past the root.
static size_t LastSeparator(const PathWriter& writer)
{
    size_t last = writer.rootLength;
    for (const char* p = writer.out + writer.rootLength; *p != '\0'; p = NextCharacter(p, *writer.leads))
        if (*p == '\\')
            last = static_cast<size_t>(p - writer.out);
    return last;
}

static void AddComponent(PathWriter* writer, const char* start, size_t length)
{
    if (length == 0 || (length == 1 && start[0] == '.'))
        return;
    if (length == 2 && start[0] == '.' && start[1] == '.') {
        if (writer->unwritten > 0) {
            --writer->unwritten;
        } else {
            writer->length = LastSeparator(*writer);
            writer->out[writer->length] = '\0';
        }
        return;
    }
    if (writer->unwritten > 0 || writer->length + 1 + length + 1 > writer->capacity) {
        ++writer->unwritten;
        return;
    }
    writer->out[writer->length++] = '\\';
    std::memcpy(writer->out + writer->length, start, length);
    writer->length += length;
    writer->out[writer->length] = '\0';
}

static void AddComponents(PathWriter* writer, const char* path)
{
    const char* p = path;
    while (*p != '\0') {
        const char* stop = PathComponentEnd(p, *writer->leads);
        AddComponent(writer, p, static_cast<size_t>(stop - p));
        p = *stop != '\0' ? stop + 1 : stop;
    }
}

static bool WriteRoot(PathWriter* writer, const char* root, size_t length)
{
    if (length + 2 > writer->capacity)
        return false;
    for (size_t i = 0; i < length; ++i)
        writer->out[i] = root[i] == '/' ? '\\' : root[i];
    writer->length = writer->rootLength = length;
    writer->out[length] = '\0';
    return true;
}

bool ResolveListedPath(char* out, size_t capacity, const char* folder, const char* path, const LeadBytes& leads)
{
    PathWriter writer = {out, capacity, 0, 0, 0, &leads};
    size_t root = PathRootLength(path, leads);
    if (root > 0) {
        if (!WriteRoot(&writer, path, root))
            return false;
        AddComponents(&writer, path + root);
    } else if (IsSlash(path[0]) && IsSlash(path[1])) {
        return false;
    } else {
        size_t folderRoot = PathRootLength(folder, leads);
        if (folderRoot == 0 || !WriteRoot(&writer, folder, folderRoot))
            return false;
        // "\music\a.wav" starts at the root of the playlist's drive.
        if (!IsSlash(path[0]))
            AddComponents(&writer, folder + folderRoot);
        AddComponents(&writer, path);
    }
    if (writer.unwritten > 0)
        return false;
    if (writer.length == writer.rootLength) {
        out[writer.length++] = '\\';
        out[writer.length] = '\0';
    }
    return true;
}
