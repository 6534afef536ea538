// A whole playlist file, read and split the way the loader does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "playlist/playlist_text.h"

static const size_t MAX_FILE_SIZE = 1 << 20;

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The loop over positions, written apart from the code under test.
static std::vector<std::vector<char>> ReferenceLines(const uint8_t* data, size_t size)
{
    std::vector<std::vector<char>> lines;
    size_t position = PLAYLIST_HEADER_LENGTH + 2;
    if (size < position)
        return lines;
    while (position < size && data[position] != 0) {
        size_t stop = position + 1;
        while (stop < size && data[stop] != 0 && data[stop] != '\r')
            ++stop;
        lines.emplace_back(data + position, data + stop);
        if (stop >= size || data[stop] != '\r')
            break;
        position = stop + 2;
    }
    return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > MAX_FILE_SIZE)
        return 0;
    // Exactly size + 1 bytes, so that any read past the zero is caught.
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(text, data, size);
    text[size] = '\0';
    char* end = text + size;

    bool header = HasPlaylistHeader(text);
    Check(header == (size >= PLAYLIST_HEADER_LENGTH && std::memcmp(data, PLAYLIST_HEADER, PLAYLIST_HEADER_LENGTH) == 0));
    if (header) {
        std::vector<std::vector<char>> expected = ReferenceLines(data, size);
        size_t count = 0;
        char* cursor = FirstPlaylistLine(text, size);
        while (char* line = TakePlaylistLine(&cursor, end)) {
            Check(line >= text && line < end);
            size_t length = std::strlen(line);
            Check(line + length <= end);
            Check(count < expected.size());
            Check(expected[count].size() == length && std::memcmp(expected[count].data(), line, length) == 0);
            ++count;
            // Each line takes at least one byte of the file, so this bounds the loop.
            Check(count <= size);
        }
        Check(count == expected.size());
    }
    std::free(text);
    return 0;
}
