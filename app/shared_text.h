// Text helpers that every folder uses. No platform calls.
#ifndef VIREO_SHARED_TEXT_H
#define VIREO_SHARED_TEXT_H

#include <cstddef>

// Paths and list texts: 259 characters and the terminating zero.
const int TEXT_CAPACITY = 260;

// At most capacity - 1 characters, then a terminating zero; nothing for capacity 0.
void CopyBounded(char* destination, size_t capacity, const char* source);

// folder, a backslash unless the folder ends in one, and name into out;
// false, with out unusable, when that would not fit.
bool JoinFolderPath(char* out, size_t capacity, const char* folder, const char* name);

// The bytes that open a two-byte character in the code page the texts are
// in (932, 936, 949, 950); none in a single-byte code page. Whoever can ask
// the system fills it.
struct LeadBytes {
    bool lead[256];
};

// Marks the bytes of the given ranges as lead bytes and clears the rest. The
// ranges come as the system reports them: pairs of first and last byte, ended
// by a pair of zeros or after size bytes.
void FillLeadBytes(LeadBytes* leads, const unsigned char* ranges, size_t size);

// The character after the one at p; a lead byte right before the end (a
// text cut short) stands alone.
const char* NextCharacter(const char* p, const LeadBytes& leads);

// The part after the last backslash, or the whole text without one. The text
// is read character by character: the second byte of a two-byte character
// may be 0x5C and is then no backslash.
const char* NameAfterLastBackslash(const char* text, const LeadBytes& leads);

// The length of the UTF-8 sequence at text (1 for ASCII), or 0 when none
// starts there within the bytes available: overlong forms, surrogates and
// code points past U+10FFFF are no UTF-8.
size_t Utf8SequenceLength(const unsigned char* text, size_t available);

#endif
