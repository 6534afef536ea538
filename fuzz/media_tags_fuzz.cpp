// Every tag reader, and the dispatch that tries them in turn, over the input
// as a whole file: with the whole budget, a small one, and a file whose
// second half cannot be read. Lengths stay known or -1 and below the longest,
// texts are ended within their field, valid UTF-8 with no control character
// and no blank at either end, no read passes the file or the budget, and no
// two readers claim the same bytes (MP3 aside: the dispatch tries it last,
// since only its frames mark it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "playlist/media_tags_text.h"

static const uint64_t SMALL_BUDGET = 300;

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct FuzzFile {
    const uint8_t* data;
    size_t size;
    size_t readable;     // bytes past this cannot be read
    uint64_t handedOut;
};

static size_t ReadFuzzFile(void* context, uint64_t offset, unsigned char* bytes, size_t count)
{
    FuzzFile* file = static_cast<FuzzFile*>(context);
    Check(offset <= file->size && count <= file->size - offset);
    file->handedOut += count;
    if (offset >= file->readable)
        return 0;
    size_t got = count < file->readable - offset ? count : static_cast<size_t>(file->readable - offset);
    std::memcpy(bytes, file->data + offset, got);
    return got;
}

// Written apart from the code under test.
static void CheckText(const char* field)
{
    const unsigned char* text = reinterpret_cast<const unsigned char*>(field);
    const void* end = std::memchr(text, 0, TAG_TEXT_CAPACITY);
    Check(end != nullptr);
    size_t length = static_cast<size_t>(static_cast<const unsigned char*>(end) - text);
    size_t i = 0;
    while (i < length) {
        unsigned char lead = text[i];
        size_t more = lead < 0x80 ? 0 : lead < 0xC2 ? 9 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF5 ? 3 : 9;
        Check(more != 9 && i + more < length);
        uint32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (size_t k = 1; k <= more; ++k) {
            Check((text[i + k] & 0xC0) == 0x80);
            c = c << 6 | (text[i + k] & 0x3F);
        }
        static const uint32_t LEAST[] = {0, 0x80, 0x800, 0x10000};
        Check(c >= LEAST[more] && c <= 0x10FFFF && (c < 0xD800 || c >= 0xE000));
        Check(c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0));
        i += more + 1;
    }
    Check(length == 0 || (text[0] != ' ' && text[length - 1] != ' '));
}

static bool RunReader(bool (*reader)(TagSource*, MediaTags*), const uint8_t* data, size_t size, uint64_t budget,
                      size_t readable)
{
    FuzzFile file = {data, size, readable, 0};
    TagSource source;
    BeginTagSource(&source, size, ReadFuzzFile, &file);
    source.budget = budget;
    MediaTags tags;
    std::memset(&tags, 0xAA, sizeof tags);
    bool accepted = reader(&source, &tags);
    Check(file.handedOut <= budget && file.handedOut + source.budget <= budget);
    // A reader that does not know the bytes may leave the fields as they were.
    if (!accepted)
        return false;
    Check(tags.lengthMs == -1 || (tags.lengthMs >= 0 && tags.lengthMs <= TAG_LONGEST_MS));
    CheckText(tags.title);
    CheckText(tags.artist);
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool (*const MARKED[])(TagSource*, MediaTags*) = {ReadWaveTags, ReadAviTags, ReadMidiTags,
                                                             ReadFlacTags, ReadOggTags,  ReadMp4Tags, ReadAsfTags};
    int accepted = 0;
    for (auto reader : MARKED) {
        accepted += RunReader(reader, data, size, TAG_READ_BUDGET, size) ? 1 : 0;
        RunReader(reader, data, size, SMALL_BUDGET, size);
        RunReader(reader, data, size, TAG_READ_BUDGET, size / 2);
    }
    Check(accepted <= 1);
    RunReader(ReadMp3Tags, data, size, SMALL_BUDGET, size);
    RunReader(ReadMp3Tags, data, size, TAG_READ_BUDGET, size / 2);
    bool known = RunReader(ReadMediaTags, data, size, TAG_READ_BUDGET, size);
    Check(known || accepted == 0);
    return 0;
}
