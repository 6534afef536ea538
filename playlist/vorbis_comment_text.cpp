#include <cstring>

#include "audio_tag_parts.h"
#include "text_chars.h"

static const size_t LENGTH_BYTES = 4;

// "NAME=" at the start of a comment of count bytes, the name in any case.
static bool HasName(const unsigned char* comment, size_t count, const char* name)
{
    size_t length = std::strlen(name);
    if (count <= length || comment[length] != '=')
        return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(static_cast<char>(comment[i])) != name[i])
            return false;
    return true;
}

void ReadVorbisComments(const unsigned char* b, size_t count, MediaTags* tags)
{
    if (count < LENGTH_BYTES)
        return;
    uint32_t vendor = LittleEndian32(b);
    if (vendor > count - LENGTH_BYTES || count - LENGTH_BYTES - vendor < LENGTH_BYTES)
        return;
    size_t at = 2 * LENGTH_BYTES + vendor;
    uint32_t comments = LittleEndian32(b + at - LENGTH_BYTES);
    char text[TAG_TEXT_CAPACITY];
    // Each comment takes at least its length's bytes: the loop ends with them.
    for (uint32_t i = 0; i < comments && count - at >= LENGTH_BYTES; ++i) {
        uint32_t length = LittleEndian32(b + at);
        at += LENGTH_BYTES;
        if (length > count - at)
            return;  // cut short where the caller stopped reading
        const unsigned char* comment = b + at;
        static const char* const NAMES[] = {"title", "artist"};
        char* fields[] = {tags->title, tags->artist};
        for (int n = 0; n < 2; ++n) {
            size_t name = std::strlen(NAMES[n]) + 1;
            if (fields[n][0] == '\0' && HasName(comment, length, NAMES[n])) {
                TagTextFromUtf8(text, comment + name, length - name);
                KeepFirstTagText(fields[n], text);
            }
        }
        at += length;
    }
}
