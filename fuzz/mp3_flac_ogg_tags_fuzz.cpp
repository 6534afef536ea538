// A whole file read by the MP3, FLAC and Ogg readers, with the whole budget
// and with a small one: the length is unknown or within bounds, the texts
// end within their fields as UTF-8 with no control character, and no
// reader is handed more bytes than its budget or the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "playlist/media_tags_text.h"

struct FuzzFile {
    const uint8_t* data;
    size_t size;
    uint64_t handedOut;
};

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static size_t ReadFuzzFile(void* context, uint64_t offset, unsigned char* bytes, size_t count)
{
    FuzzFile* file = static_cast<FuzzFile*>(context);
    Check(offset <= file->size && count <= file->size - offset);
    std::memcpy(bytes, file->data + offset, count);
    file->handedOut += count;
    return count;
}

static void CheckText(const char* field)
{
    const unsigned char* text = reinterpret_cast<const unsigned char*>(field);
    const void* end = std::memchr(text, 0, TAG_TEXT_CAPACITY);
    Check(end != nullptr);
    size_t length = static_cast<size_t>(static_cast<const unsigned char*>(end) - text);
    for (size_t i = 0; i < length;) {
        unsigned char lead = text[i];
        size_t more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                    : lead >= 0xF0 && lead < 0xF5                    ? 3
                                                                     : 9;
        Check(more <= 3 && more < length - i);
        uint32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (size_t k = 1; k <= more; ++k) {
            Check((text[i + k] & 0xC0) == 0x80);
            c = c << 6 | (text[i + k] & 0x3F);
        }
        static const uint32_t LEAST[] = {0, 0x80, 0x800, 0x10000};
        Check(c >= LEAST[more] && c <= 0x10FFFF && !(c >= 0xD800 && c < 0xE000));
        Check(c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0));
        i += more + 1;
    }
}

static void Run(bool (*reader)(TagSource*, MediaTags*), const uint8_t* data, size_t size, uint64_t budget)
{
    FuzzFile file = {data, size, 0};
    TagSource source;
    BeginTagSource(&source, size, ReadFuzzFile, &file);
    source.budget = budget;
    MediaTags tags;
    // Garbage where a reader might leave a field unwritten.
    std::memset(&tags, 0xC1, sizeof tags);
    bool recognised = reader(&source, &tags);
    Check(file.handedOut <= budget && file.handedOut + source.budget <= budget);
    if (!recognised)
        return;
    Check(tags.lengthMs == -1 || (tags.lengthMs >= 0 && tags.lengthMs <= TAG_LONGEST_MS));
    CheckText(tags.title);
    CheckText(tags.artist);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool (*const READERS[])(TagSource*, MediaTags*) = {ReadMp3Tags, ReadFlacTags, ReadOggTags};
    for (auto reader : READERS) {
        Run(reader, data, size, TAG_READ_BUDGET);
        Run(reader, data, size, size / 3);
    }
    return 0;
}
