// A whole M3U or PLS file, read as the loader reads it: its path lines, the
// PLS entries in the order of N, each line decoded and resolved against a
// drive's folder and a server's folder, in a single-byte and a double-byte
// code page, into buffers of exactly their capacity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/other_playlists_text.h"

static const size_t MAX_FILE_SIZE = 1 << 20;
static const size_t DECODED_CAPACITY = 3 * TEXT_CAPACITY;
// Every line is decoded; only so many are resolved, which bounds the time.
static const size_t RESOLVED_LINES = 64;

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The lines, written apart from the code under test.
static std::vector<std::string> ReferenceLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < text.size()) {
        size_t stop = text.find_first_of("\r\n", at);
        if (stop == std::string::npos)
            stop = text.size();
        std::string line = text.substr(at, stop - at);
        size_t first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        size_t last = line.size();
        while (last > first && IsBlank(line[last - 1]))
            --last;
        lines.push_back(line.substr(first, last - first));
        at = stop;
        if (at < text.size())
            at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    }
    return lines;
}

static char* Copy(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(text, data, size);
    text[size] = '\0';
    return text;
}

static void CheckResolved(const char* folder, const char* path, const LeadBytes& leads, bool singleByte)
{
    char* out = static_cast<char*>(std::malloc(MAILBOX_CAPACITY));
    if (ResolveListedPath(out, MAILBOX_CAPACITY, folder, path, leads)) {
        size_t length = std::strlen(out);
        Check(length > 2 && length < static_cast<size_t>(MAILBOX_CAPACITY));
        Check(PathRootLength(out, leads) > 0);
        if (singleByte) {
            std::string resolved(out);
            Check(resolved.find('/') == std::string::npos);
            std::string tail = resolved.substr(PathRootLength(out, leads)) + "\\";
            Check(tail.find("\\\\") == std::string::npos || tail == "\\\\");
            Check(tail.find("\\.\\") == std::string::npos && tail.find("\\..\\") == std::string::npos);
        }
    }
    std::free(out);
}

static void CheckListed(const TextLine& line, size_t index, const LeadBytes* leads)
{
    char* decoded = static_cast<char*>(std::malloc(DECODED_CAPACITY));
    ListedForm form = DecodeListedLine(line, decoded, DECODED_CAPACITY);
    if (form == LISTED_PATH) {
        size_t length = std::strlen(decoded);
        Check(length > 0 && length < DECODED_CAPACITY);
        for (size_t i = 0; i < length; ++i)
            Check(static_cast<unsigned char>(decoded[i]) >= 0x20);
        if (index < RESOLVED_LINES) {
            for (int page = 0; page < 2; ++page) {
                CheckResolved("C:\\Music\\Lists\\", decoded, leads[page], page == 0);
                CheckResolved("\\\\nas\\media\\lists", decoded, leads[page], page == 0);
            }
        }
    }
    std::free(decoded);
}

static void CheckM3u(const uint8_t* data, size_t size, const LeadBytes* leads)
{
    std::vector<std::string> expected;
    for (const std::string& line : ReferenceLines(std::string(reinterpret_cast<const char*>(data), size)))
        if (!line.empty() && line[0] != '#')
            expected.push_back(line);
    char* text = Copy(data, size);
    char* end = text + size;
    char* cursor = SkipByteOrderMark(text, end);
    TextLine line;
    size_t count = 0;
    while (TakeM3uPathLine(&cursor, end, &line)) {
        Check(line.text >= text && line.text + line.length <= end && line.text[line.length] == '\0');
        Check(count < expected.size() && expected[count] == std::string(line.text, line.length));
        CheckListed(line, count, leads);
        ++count;
    }
    Check(count == expected.size());
    std::free(text);
}

// a before b in the order of N, by the digits alone.
static bool NotAfter(const PlsEntry& a, const PlsEntry& b)
{
    std::string x(a.number, a.numberLength);
    std::string y(b.number, b.numberLength);
    x.erase(0, x.find_first_not_of('0') == std::string::npos ? x.size() : x.find_first_not_of('0'));
    y.erase(0, y.find_first_not_of('0') == std::string::npos ? y.size() : y.find_first_not_of('0'));
    if (x.size() != y.size())
        return x.size() < y.size();
    return x != y ? x < y : a.order < b.order;
}

static void CheckPls(const uint8_t* data, size_t size, const LeadBytes* leads)
{
    char* text = Copy(data, size);
    char* end = text + size;
    PlsEntry* entries = nullptr;
    size_t count = 0;
    PlsReading reading = ReadPlsEntries(text, end, &entries, &count);
    Check(reading != PLS_NOT_A_PLAYLIST || count == 0);
    Check(count <= size);
    for (size_t i = 0; i < count; ++i) {
        const PlsEntry& entry = entries[i];
        Check(entry.value.text >= text && entry.value.text + entry.value.length <= end);
        Check(entry.numberLength > 0 && entry.number >= text && entry.number + entry.numberLength <= end);
        if (i > 0)
            Check(NotAfter(entries[i - 1], entry));
        CheckListed(entry.value, i, leads);
    }
    std::free(entries);
    std::free(text);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > MAX_FILE_SIZE)
        return 0;
    LeadBytes leads[2];
    FillLeadBytes(&leads[0], nullptr, 0);
    static const unsigned char CP932_RANGES[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    FillLeadBytes(&leads[1], CP932_RANGES, sizeof CP932_RANGES);
    CheckM3u(data, size, leads);
    CheckPls(data, size, leads);
    return 0;
}
