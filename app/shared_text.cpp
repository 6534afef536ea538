#include "shared_text.h"

#include <cstring>

void CopyBounded(char* destination, size_t capacity, const char* source)
{
    if (capacity == 0)
        return;
    size_t length = 0;
    while (length + 1 < capacity && source[length] != '\0')
        ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

bool JoinFolderPath(char* out, size_t capacity, const char* folder, const char* name)
{
    size_t folderLength = std::strlen(folder);
    bool separator = folderLength > 0 && folder[folderLength - 1] != '\\';
    size_t nameLength = std::strlen(name);
    if (folderLength + (separator ? 1 : 0) + nameLength + 1 > capacity)
        return false;
    std::memcpy(out, folder, folderLength);
    if (separator)
        out[folderLength++] = '\\';
    std::memcpy(out + folderLength, name, nameLength + 1);
    return true;
}

void FillLeadBytes(LeadBytes* leads, const unsigned char* ranges, size_t size)
{
    std::memset(leads->lead, 0, sizeof leads->lead);
    for (size_t i = 0; i + 1 < size && (ranges[i] != 0 || ranges[i + 1] != 0); i += 2) {
        // The zero byte ends a text and never opens a character.
        for (unsigned byte = ranges[i] != 0 ? ranges[i] : 1; byte <= ranges[i + 1]; ++byte)
            leads->lead[byte] = true;
    }
}

const char* NextCharacter(const char* p, const LeadBytes& leads)
{
    return leads.lead[static_cast<unsigned char>(*p)] && p[1] != '\0' ? p + 2 : p + 1;
}

const char* NameAfterLastBackslash(const char* text, const LeadBytes& leads)
{
    const char* name = text;
    for (const char* p = text; *p != '\0'; p = NextCharacter(p, leads)) {
        if (*p == '\\')
            name = p + 1;
    }
    return name;
}
