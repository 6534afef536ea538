// A kept queue file read as the restore reads it: in blocks of a size the
// input chooses, into a buffer of a size it chooses, against the same file
// read whole; what is kept written again and read back. Input that starts
// with a valid place slot has it read as the place record of the file after it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/kept_place_text.h"
#include "playlist/kept_queue_text.h"

static const size_t MAX_FILE_SIZE = 1 << 20;

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Outcome {
    std::vector<std::string> lines;     // each kept entry as it would be written again
    std::vector<KeptEntry> entries;
    std::vector<std::string> texts;     // the entries' texts, kept alive
    KeptQueueReading reading;
    size_t longest = 0;                 // the longest line handed out
};

static std::string Rewritten(const KeptEntry& entry)
{
    KeptQueueText text;
    BeginKeptQueueText(&text, 0, -1, 0);
    size_t before = text.length;
    AppendKeptEntry(&text, entry);
    std::string line(text.text + before, text.length - before);
    FreeKeptQueueText(&text);
    return line;
}

static Outcome ReadInBlocks(const uint8_t* data, size_t size, size_t capacity, size_t block,
                            const KeptPlaceRecord* records, int recordCount)
{
    Outcome out;
    // Exactly capacity + 1 bytes, so that any read past them is caught.
    char* buffer = static_cast<char*>(std::malloc(capacity + 1));
    KeptLineBuffer lines;
    InitKeptLines(&lines, buffer, capacity);
    BeginKeptQueueReading(&out.reading, records, recordCount);
    size_t at = 0;
    size_t rounds = 0;
    for (;;) {
        Check(++rounds <= 4 * size + 16);
        KeptTextLine line;
        KeptLineTake take = TakeKeptLine(&lines, &line);
        if (take == KEPT_NO_MORE)
            break;
        if (take == KEPT_NEEDS_MORE) {
            size_t room = 0;
            char* to = KeptLinesRoom(&lines, &room);
            Check(room > 0 && room <= capacity);
            size_t count = std::min(std::min(room, block), size - at);
            if (count > 0)
                std::memcpy(to, data + at, count);
            at += count;
            KeptLinesFilled(&lines, count);
            continue;
        }
        Check(line.text >= buffer && line.text + line.length <= buffer + capacity && line.text[line.length] == '\0');
        out.longest = std::max(out.longest, line.length);
        KeptEntry entry;
        KeptLineKind kind = ReadKeptQueueLine(&out.reading, line.text, line.length, line.whole, &entry);
        if (kind == KEPT_LINE_END)
            break;
        if (kind == KEPT_LINE_ENTRY)
            out.lines.push_back(Rewritten(entry));
    }
    std::free(buffer);
    return out;
}

static void CheckReading(const KeptQueueReading& reading, size_t kept)
{
    Check(reading.kept == kept);
    Check(reading.kept + reading.passedOver == reading.entryLines);
    Check(reading.currentKept >= -1 && reading.currentKept < static_cast<int32_t>(reading.kept + 1));
    Check(reading.currentKept < static_cast<int32_t>(kept));
    Check(reading.currentMs >= 0 && (reading.currentKept >= 0 || reading.currentMs == 0));
}

static void CheckSlot(const uint8_t* data, size_t size, KeptPlaceRecord* record)
{
    record->valid = false;
    if (size < KEPT_PLACE_SLOT_SIZE)
        return;
    ParseKeptPlaceSlot(reinterpret_cast<const char*>(data), KEPT_PLACE_SLOT_SIZE, record);
    if (!record->valid)
        return;
    char slot[KEPT_PLACE_SLOT_SIZE];
    FormatKeptPlaceSlot(slot, *record);
    KeptPlaceRecord again;
    ParseKeptPlaceSlot(slot, sizeof slot, &again);
    Check(again.valid && again.saved == record->saved && again.sequence == record->sequence &&
          again.current == record->current && again.positionMs == record->positionMs);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > MAX_FILE_SIZE)
        return 0;
    size_t capacity = 16 + static_cast<size_t>(data[0]) * 16;
    size_t block = 1 + static_cast<size_t>(data[1]) * 8;
    data += 2;
    size -= 2;
    KeptPlaceRecord record;
    CheckSlot(data, size, &record);
    if (record.valid) {
        data += KEPT_PLACE_SLOT_SIZE;
        size -= KEPT_PLACE_SLOT_SIZE;
    }

    Outcome whole = ReadInBlocks(data, size, size + 1, size + 1, &record, 1);
    CheckReading(whole.reading, whole.lines.size());
    Outcome blocks = ReadInBlocks(data, size, capacity, block, &record, 1);
    CheckReading(blocks.reading, blocks.lines.size());
    // Where every line fits the buffer with its CR LF, blocks change nothing.
    if (whole.longest + 2 <= capacity) {
        Check(blocks.lines == whole.lines);
        Check(blocks.reading.passedOver == whole.reading.passedOver);
        Check(blocks.reading.currentKept == whole.reading.currentKept);
        Check(blocks.reading.currentMs == whole.reading.currentMs);
    }
    // Each kept entry stands in the file as written, in order (a CD
    // track's numbers up to the way they are spelt).
    std::string file(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    for (const std::string& line : whole.lines) {
        std::string text = line.substr(0, line.size() - 2);
        if (text.compare(0, 9, "entry\tcd\t") == 0)
            text = text.substr(0, text.find('\t', 9));
        size_t found = file.find(text, at);
        Check(found != std::string::npos);
        at = found + text.size();
    }
    // What was kept, written whole, reads back the same and complete.
    std::string again = "VireoQueue\t1\r\n";
    for (const std::string& line : whole.lines)
        again += line;
    again += "end\r\n";
    Check(HasKeptQueueHeader(again.data(), again.size()) && EndsWithKeptQueueEnd(again.data(), again.size()));
    Outcome reread = ReadInBlocks(reinterpret_cast<const uint8_t*>(again.data()), again.size(), again.size() + 1,
                                  again.size(), nullptr, 0);
    Check(reread.lines == whole.lines && reread.reading.passedOver == 0);
    return 0;
}
