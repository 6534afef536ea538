// A kept queue file read as the restore reads it, whole, with a place record
// in front when the input starts with a valid one; what is taken is written
// again and reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/kept_queue_text.h"

static const size_t MAX_FILE_SIZE = 1 << 20;

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static std::string Written(const KeptEntry& entry)
{
    GrowingText text;
    BeginKeptQueueText(&text, -1, 0);
    size_t before = text.length;
    AppendKeptEntry(&text, entry);
    std::string line(text.text + before, text.length - before);
    FreeGrowingText(&text);
    return line;
}

struct Outcome {
    std::vector<std::string> lines;     // each entry taken, as it would be written again
    KeptQueueReading reading;
};

static Outcome Read(std::string bytes, const KeptPlace* place)
{
    Outcome out;
    // Exactly its size and a zero, so that any read past them is caught.
    char* text = static_cast<char*>(std::malloc(bytes.size() + 1));
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    char* end = text + bytes.size();
    BeginKeptQueueReading(&out.reading);
    if (place != nullptr)
        SetKeptReadingPlace(&out.reading, place->current, place->positionMs);
    char* cursor = SkipByteOrderMark(text, end);
    TextLine line;
    KeptEntry entry;
    while (TakeTextLine(&cursor, end, &line)) {
        Check(line.text >= text && line.text + line.length <= end && line.text[line.length] == '\0');
        KeptLineKind kind = ReadKeptQueueLine(&out.reading, line, &entry);
        if (kind == KEPT_LINE_END)
            break;
        if (kind == KEPT_LINE_ENTRY)
            out.lines.push_back(Written(entry));
    }
    std::free(text);
    const KeptQueueReading& reading = out.reading;
    Check(reading.taken == out.lines.size() && reading.taken + reading.passedOver == reading.entryLines);
    Check(reading.currentTaken >= -1 && reading.currentTaken < static_cast<int32_t>(reading.taken));
    Check(reading.currentMs >= 0 && (reading.currentTaken >= 0 || reading.currentMs == 0));
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > MAX_FILE_SIZE)
        return 0;
    KeptPlace place;
    bool placed = size >= KEPT_PLACE_SIZE && ParseKeptPlace(reinterpret_cast<const char*>(data), KEPT_PLACE_SIZE, &place);
    if (placed) {
        char record[KEPT_PLACE_SIZE];
        FormatKeptPlace(record, place);
        KeptPlace again;
        Check(ParseKeptPlace(record, sizeof record, &again) && again.queueCheck == place.queueCheck &&
              again.current == place.current && again.positionMs == place.positionMs);
        data += KEPT_PLACE_SIZE;
        size -= KEPT_PLACE_SIZE;
    }
    std::string file(reinterpret_cast<const char*>(data), size);
    Outcome whole = Read(file, placed ? &place : nullptr);
    // Each entry taken stands in the file as written, in order (a CD
    // track's numbers up to the way they are spelt).
    size_t at = 0;
    for (const std::string& line : whole.lines) {
        std::string text = line.substr(0, line.size() - 2);
        if (text.compare(0, 9, "entry\tcd\t") == 0)
            text = text.substr(0, text.find('\t', 9));
        size_t found = file.find(text, at);
        Check(found != std::string::npos);
        at = found + text.size();
    }
    // What was taken, written whole, reads back the same and complete.
    std::string again = "VireoQueue\t1\r\n";
    for (const std::string& line : whole.lines)
        again += line;
    again += "end\r\n";
    Check(KeptQueueVersion(again.data(), again.size()) == 1 && EndsWithKeptQueueEnd(again.data(), again.size()));
    Outcome reread = Read(again, nullptr);
    Check(reread.lines == whole.lines && reread.reading.passedOver == 0);
    return 0;
}
