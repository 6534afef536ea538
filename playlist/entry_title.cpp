// An entry's title from its tags, in the program's own text: the process's
// code page, which is UTF-8 itself where the manifest's code page is
// honoured (Windows 10 1903 on), the system's legacy one elsewhere. A
// character the code page lacks becomes a question mark, as in file names.
#include <windows.h>

#include <cstring>

#include "playlist.h"
#include "title_scan.h"

static const char BETWEEN[] = " - ";
// A tag's text in a double-byte code page takes at most twice its UTF-8 bytes.
static const int PROGRAM_TEXT_CAPACITY = 2 * static_cast<int>(TAG_TEXT_CAPACITY);

// False where the system cannot convert from UTF-8 (Windows 95).
static bool ToProgramText(const char* utf8, char* out, int capacity)
{
    WCHAR wide[TAG_TEXT_CAPACITY];
    out[0] = '\0';
    if (utf8[0] == '\0')
        return true;
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, TAG_TEXT_CAPACITY);
    return units > 0 && WideCharToMultiByte(CP_ACP, 0, wide, -1, out, capacity, NULL, NULL) > 0;
}

// At most TEXT_CAPACITY - 1 bytes, never half a double-byte character; a
// UTF-8 code page cuts before a continuation byte.
static void CutToListText(char* text)
{
    if (std::strlen(text) < static_cast<size_t>(TEXT_CAPACITY))
        return;
    LeadBytes leads;
    GetAnsiLeadBytes(&leads);
    const char* p = text;
    const char* end = text + TEXT_CAPACITY - 1;
    bool utf8 = GetACP() == CP_UTF8;
    for (;;) {
        const char* next = NextCharacter(p, leads);
        if (utf8)
            while ((static_cast<unsigned char>(*next) & 0xC0) == 0x80)
                ++next;
        if (next > end)
            break;
        p = next;
    }
    text[p - text] = '\0';
}

void ComposeTitle(const char* artist, const char* title, char* out, uint16_t* artistLength)
{
    char artistText[PROGRAM_TEXT_CAPACITY];
    char titleText[PROGRAM_TEXT_CAPACITY];
    out[0] = '\0';
    *artistLength = 0;
    if (!ToProgramText(artist, artistText, sizeof artistText) || !ToProgramText(title, titleText, sizeof titleText))
        return;
    char joined[sizeof artistText + sizeof BETWEEN + sizeof titleText];
    joined[0] = '\0';
    size_t length = std::strlen(artistText);
    if (length > 0 && titleText[0] != '\0') {
        std::strcat(std::strcat(std::strcpy(joined, artistText), BETWEEN), titleText);
        if (length + sizeof BETWEEN - 1 < static_cast<size_t>(TEXT_CAPACITY) - 1)
            *artistLength = static_cast<uint16_t>(length);
    } else {
        std::strcpy(joined, length > 0 ? artistText : titleText);
    }
    CutToListText(joined);
    CopyBounded(out, TEXT_CAPACITY, joined);
}
