// Character tests of the playlist texts: ASCII only, whatever the system's
// code page, since the formats' own marks are ASCII.
#pragma once

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool IsSlash(char c)
{
    return c == '/' || c == '\\';
}

inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualNoCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    return *a == *b;
}
