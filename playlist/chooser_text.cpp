// The media and playlist choosers' texts: the lists of extensions each kind
// takes, the filter strings made of them, and the names a chooser hands back.
#include "playlist_text.h"

#include <cstring>

#include "text_chars.h"

static const char PATTERN_PREFIX[] = "*.";

static bool ListHas(const char* list, const char* extension)
{
    for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1)
        if (EqualNoCase(item, extension))
            return true;
    return false;
}

bool AddExtensionToList(char* list, size_t capacity, const char* extension)
{
    if (*extension == '\0' || ListHas(list, extension))
        return true;
    size_t used = 0;
    while (list[used] != '\0')
        used += std::strlen(list + used) + 1;
    size_t length = std::strlen(extension);
    // The item, its zero and the list's closing zero.
    if (used + length + 2 > capacity)
        return false;
    std::memcpy(list + used, extension, length + 1);
    list[used + length + 1] = '\0';
    return true;
}

bool HasListedExtension(const char* name, const char* list)
{
    const char* extension = NameExtension(name);
    return extension != nullptr && ListHas(list, extension);
}

bool AppendFilterText(char* filter, size_t capacity, size_t* used, const char* text)
{
    size_t length = std::strlen(text);
    // The text, its zero and the filter's closing zero.
    if (*used + length + 2 > capacity)
        return false;
    std::memcpy(filter + *used, text, length + 1);
    *used += length + 1;
    filter[*used] = '\0';
    return true;
}

void FormatExtensionPattern(char* out, size_t capacity, const char* list)
{
    if (capacity == 0)
        return;
    size_t used = 0;
    out[0] = '\0';
    for (const char* item = list; *item != '\0'; item += std::strlen(item) + 1) {
        size_t separator = used > 0 ? 1 : 0;
        size_t length = std::strlen(item);
        if (used + separator + (sizeof PATTERN_PREFIX - 1) + length + 1 > capacity)
            return;
        if (separator)
            out[used++] = ';';
        std::memcpy(out + used, PATTERN_PREFIX, sizeof PATTERN_PREFIX - 1);
        used += sizeof PATTERN_PREFIX - 1;
        std::memcpy(out + used, item, length + 1);
        used += length;
    }
}

// Every text of an Explorer-style list ends inside the capacity, and so
// does the empty text that closes it.
static bool ListEndsInside(const char* names, const char* end)
{
    const char* p = names;
    while (p < end && *p != '\0') {
        while (p < end && *p != '\0')
            ++p;
        if (p == end)
            return false;
        ++p;
    }
    return p < end;
}

bool ReadChosenFiles(ChosenFiles* chosen, const char* buffer, size_t capacity, size_t fileOffset)
{
    chosen->folder = buffer;
    chosen->folderLength = 0;
    chosen->next = nullptr;
    chosen->end = buffer + capacity;
    chosen->oldStyle = false;
    size_t first = 0;
    while (first < capacity && buffer[first] != '\0')
        ++first;
    if (first == 0 || first == capacity)
        return false;
    if (fileOffset > 0 && fileOffset < first) {
        chosen->next = buffer;
        // The old style puts a blank before the first of several names.
        if (buffer[fileOffset - 1] == ' ') {
            chosen->oldStyle = true;
            chosen->folderLength = fileOffset - 1;
            chosen->next = buffer + fileOffset;
            chosen->end = buffer + first;
        }
        return true;
    }
    // Wine answers a selection that did not fit with the names it could take
    // and no folder, or with the list cut short and no closing zero.
    if (fileOffset != first + 1 || !ListEndsInside(buffer + fileOffset, chosen->end))
        return false;
    chosen->folderLength = first;
    chosen->next = buffer + fileOffset;
    return true;
}

// The folder, a backslash unless it ends in one, and the name.
static bool JoinChosenPath(char* path, size_t capacity, const ChosenFiles& chosen, const char* name, size_t length)
{
    size_t folder = chosen.folderLength;
    bool separator = folder > 0 && chosen.folder[folder - 1] != '\\';
    if (folder + (separator ? 1 : 0) + length + 1 > capacity)
        return false;
    std::memcpy(path, chosen.folder, folder);
    if (separator)
        path[folder++] = '\\';
    std::memcpy(path + folder, name, length);
    path[folder + length] = '\0';
    return true;
}

bool TakeChosenFile(ChosenFiles* chosen, char* path, size_t capacity)
{
    while (chosen->next != nullptr) {
        const char* name = chosen->next;
        size_t length;
        if (chosen->oldStyle) {
            while (name < chosen->end && *name == ' ')
                ++name;
            const char* stop = name;
            while (stop < chosen->end && *stop != ' ')
                ++stop;
            length = static_cast<size_t>(stop - name);
            chosen->next = stop < chosen->end ? stop : nullptr;
            if (length == 0)
                continue;
        } else {
            length = std::strlen(name);
            if (length == 0) {
                chosen->next = nullptr;
                return false;
            }
            // One full path: the folder is part of it.
            chosen->next = chosen->folderLength > 0 ? name + length + 1 : nullptr;
        }
        if (JoinChosenPath(path, capacity, *chosen, name, length))
            return true;
    }
    return false;
}
