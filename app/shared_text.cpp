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

size_t Utf8SequenceLength(const unsigned char* text, size_t available)
{
    if (available == 0)
        return 0;
    unsigned char lead = text[0];
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (available < length || text[1] < low || text[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (text[i] < 0x80 || text[i] > 0xBF)
            return 0;
    return length;
}
