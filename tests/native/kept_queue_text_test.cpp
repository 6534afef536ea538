#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/kept_place_text.h"
#include "playlist/kept_queue_text.h"

namespace {

struct Read {
    std::vector<std::string> entries;   // "kind|display|path" or "cd|display|start|length"
    KeptQueueReading reading;
};

std::string Describe(const KeptEntry& entry)
{
    std::string text = std::string(KeptKindWord(entry.kind)) + "|" + entry.display + "|";
    if (entry.kind == ENTRY_CD_TRACK)
        return text + std::to_string(entry.startMs) + "|" + std::to_string(entry.lengthMs);
    return text + entry.path;
}

// The bytes as the restore reads them: blocks of the given size into a buffer of the given capacity.
Read ReadBytes(const std::string& bytes, size_t capacity = 4096, size_t block = 1000,
               const std::vector<KeptPlaceRecord>& records = {})
{
    Read read;
    std::vector<char> data(capacity + 1);
    KeptLineBuffer lines;
    InitKeptLines(&lines, data.data(), capacity);
    BeginKeptQueueReading(&read.reading, records.data(), static_cast<int>(records.size()));
    size_t at = 0;
    for (;;) {
        KeptTextLine line;
        KeptLineTake take = TakeKeptLine(&lines, &line);
        if (take == KEPT_NO_MORE)
            break;
        if (take == KEPT_NEEDS_MORE) {
            size_t room = 0;
            char* to = KeptLinesRoom(&lines, &room);
            size_t count = std::min(std::min(room, block), bytes.size() - at);
            std::memcpy(to, bytes.data() + at, count);
            at += count;
            KeptLinesFilled(&lines, count);
            continue;
        }
        KeptEntry entry;
        KeptLineKind kind = ReadKeptQueueLine(&read.reading, line.text, line.length, line.whole, &entry);
        if (kind == KEPT_LINE_ENTRY)
            read.entries.push_back(Describe(entry));
        else if (kind == KEPT_LINE_END)
            break;
    }
    return read;
}

std::string Written(uint32_t saved, int32_t current, int32_t positionMs, const std::vector<KeptEntry>& entries)
{
    KeptQueueText text;
    BeginKeptQueueText(&text, saved, current, positionMs);
    for (const KeptEntry& entry : entries)
        AppendKeptEntry(&text, entry);
    EndKeptQueueText(&text);
    EXPECT_FALSE(text.failed);
    std::string bytes(text.text, text.length);
    FreeKeptQueueText(&text);
    return bytes;
}

bool Complete(const std::string& bytes)
{
    return HasKeptQueueHeader(bytes.data(), bytes.size()) && EndsWithKeptQueueEnd(bytes.data(), bytes.size());
}

const std::vector<KeptEntry> QUEUE = {
    {ENTRY_WAVE, "Fanfare.wav", "C:\\WAVES\\FANFARE.WAV", 0, 0},
    {ENTRY_CD_TRACK, "CD track #3", nullptr, 183000, 245000},
    {ENTRY_OTHER, "Caf\xC3\xA9 \xE2\x99\xAA.mp3", "D:\\MUSIC\\CAF~1.MP3", 0, 0},
    {ENTRY_MIDI, "", "", 0, 0},
};
const std::vector<std::string> QUEUE_READ = {"wave|Fanfare.wav|C:\\WAVES\\FANFARE.WAV", "cd|CD track #3|183000|245000",
                                             "other|Caf\xC3\xA9 \xE2\x99\xAA.mp3|D:\\MUSIC\\CAF~1.MP3", "midi||"};

TEST(KeptQueue, WhatIsWrittenReadsBackWithItsPlaceInBlocksOfAnySize)
{
    std::string bytes = Written(17, 1, 60000, QUEUE);
    EXPECT_EQ(0u, bytes.find("VireoQueue\t1\r\nsaved\t17\r\ncurrent\t1\t60000\r\nentry\twave\tFanfare.wav\t"));
    EXPECT_TRUE(Complete(bytes));
    for (size_t block : {1u, 7u, 4096u}) {
        Read read = ReadBytes(bytes, 64, block);
        EXPECT_EQ(QUEUE_READ, read.entries) << block;
        EXPECT_EQ(1, read.reading.currentKept);
        EXPECT_EQ(60000, read.reading.currentMs);
        EXPECT_EQ(17u, read.reading.saved);
        EXPECT_EQ(0u, read.reading.passedOver);
        EXPECT_TRUE(read.reading.ended);
    }
    // A tab or line end in a text would split the line: the entry keeps its place.
    KeptEntry odd = {ENTRY_WAVE, "a\tb\r\nc", "C:\\x\ty.wav", 0, 0};
    EXPECT_EQ(std::vector<std::string>{"wave|a?b??c|C:\\x?y.wav"}, ReadBytes(Written(1, 0, 0, {odd})).entries);
}

TEST(KeptQueue, AFileCutAnywhereGivesItsWholeEntriesInOrderAndIsNotComplete)
{
    std::string bytes = Written(3, 2, 5000, QUEUE);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string part = bytes.substr(0, cut);
        Read read = ReadBytes(part, 64, 5);
        ASSERT_LE(read.entries.size(), QUEUE_READ.size()) << cut;
        for (size_t i = 0; i < read.entries.size(); ++i)
            EXPECT_EQ(QUEUE_READ[i], read.entries[i]) << cut;
        // Only the end marker, cut before its own line end, still ends the file.
        EXPECT_EQ(cut >= bytes.size() - 2, Complete(part)) << cut;
        EXPECT_LE(read.reading.passedOver, 1u) << cut;
    }
    EXPECT_TRUE(ReadBytes("").entries.empty());
    EXPECT_FALSE(Complete(""));
}

TEST(KeptQueue, DamagedLinesArePassedOverAndCountedAndTheRestKeptInOrder)
{
    std::string bytes = std::string("VireoQueue\t1\r\nsaved\t2\r\ncurrent\t4\t1500\r\n") +
                        "entry\twave\ta.wav\tC:\\a.wav\r\n" +
                        std::string("entry\twa\0ve\tb.wav\tC:\\b.wav\r\n", 28) +   // a zero byte
                        "entry\twave\t\xFF\xFE.wav\tC:\\\xE9t\xE9.wav\r\n" +  // no UTF-8: kept as stored
                        "\x01\x02garbage\r\n" +
                        "entry\tcd\tCD track #1\t-5\t1000\r\n" +           // no start before the disc
                        "entry\twave\te.wav\tC:\\e.wav\r\n" +
                        "entry\twave\t" + std::string(1 << 20, 'x') + "\tC:\\long.wav\r\n" +
                        "entry\tmidi\tf.mid\tC:\\f.mid\r\n" +
                        "end\r\n";
    Read read = ReadBytes(bytes, 65536, 65536);
    EXPECT_EQ((std::vector<std::string>{"wave|a.wav|C:\\a.wav", "wave|\xFF\xFE.wav|C:\\\xE9t\xE9.wav",
                                        "wave|e.wav|C:\\e.wav", "midi|f.mid|C:\\f.mid"}),
              read.entries);
    EXPECT_EQ(4u, read.reading.passedOver);
    // Entry line 4 is the CD track that was passed over: no current entry, no place.
    EXPECT_EQ(-1, read.reading.currentKept);
    EXPECT_EQ(0, read.reading.currentMs);
}

TEST(KeptQueue, APlaceOutsideTheQueueOrItsTrackNamesNoEntryOrTheTrackStart)
{
    auto place = [](const char* line) {
        Read read = ReadBytes(std::string("VireoQueue\t1\r\n") + line +
                              "entry\twave\ta.wav\tC:\\a.wav\r\nentry\tcd\tCD track #2\t1000\t2000\r\nend\r\n");
        return std::to_string(read.reading.currentKept) + "@" + std::to_string(read.reading.currentMs);
    };
    EXPECT_EQ("-1@0", place("current\t2\t500\r\n"));
    EXPECT_EQ("-1@0", place("current\t-3\t500\r\n"));
    EXPECT_EQ("-1@0", place("current\t99999999999\t500\r\n"));
    EXPECT_EQ("1@0", place("current\t1\t2000\r\n"));
    EXPECT_EQ("1@1999", place("current\t1\t1999\r\n"));
    EXPECT_EQ("0@0", place("current\t0\t-20\r\n"));
    // A place after the entries have begun is no longer theirs.
    Read late = ReadBytes("VireoQueue\t1\r\nentry\twave\ta\tb\r\ncurrent\t0\t10\r\nend\r\n");
    EXPECT_EQ(-1, late.reading.currentKept);
}

TEST(KeptQueue, ALaterVersionIsReadAsFarAsItIsKnownAndAnythingElseNotAtAll)
{
    std::string later = "\xEF\xBB\xBFVireoQueue\t3\r\nsaved\t5\r\ncover\tart.png\r\ncurrent\t1\t7\textra\r\n"
                        "entry\twave\ta.wav\tC:\\a.wav\tlength\t1500\r\nentry\tstream\thttp://radio\r\n"
                        "entry\tvideo\tb.avi\tC:\\b.avi\r\nend\r\n";
    Read read = ReadBytes(later);
    EXPECT_EQ((std::vector<std::string>{"wave|a.wav|C:\\a.wav", "video|b.avi|C:\\b.avi"}), read.entries);
    EXPECT_EQ(3, read.reading.version);
    EXPECT_EQ(1u, read.reading.unknown);
    EXPECT_EQ(1u, read.reading.passedOver);   // an entry of a kind this version cannot play
    EXPECT_EQ(-1, read.reading.currentKept);
    EXPECT_TRUE(Complete(later));
    for (const char* other : {"[VIREO 1.0]\r\nC:\\a.wav\r\n", "VireoQueue\r\nentry\twave\ta\tb\r\nend\r\n",
                              "vireoqueue\t1\r\nentry\twave\ta\tb\r\nend\r\n"}) {
        Read none = ReadBytes(other);
        EXPECT_TRUE(none.entries.empty()) << other;
        EXPECT_FALSE(HasKeptQueueHeader(other, std::strlen(other))) << other;
    }
}

TEST(KeptQueue, AMillionEntriesAreReadInBoundedMemory)
{
    const size_t count = 1000000;
    KeptQueueText text;
    BeginKeptQueueText(&text, 9, static_cast<int32_t>(count - 1), 42);
    KeptEntry entry = {ENTRY_WAVE, "tone.wav", "C:\\TONES\\TONE.WAV", 0, 0};
    for (size_t i = 0; i < count; ++i)
        AppendKeptEntry(&text, entry);
    EndKeptQueueText(&text);
    ASSERT_FALSE(text.failed);
    std::string bytes(text.text, text.length);
    FreeKeptQueueText(&text);
    Read read = ReadBytes(bytes, 65536, 65536);
    EXPECT_EQ(count, read.entries.size());
    EXPECT_EQ(static_cast<int32_t>(count - 1), read.reading.currentKept);
    EXPECT_EQ(42, read.reading.currentMs);
}

KeptPlaceRecord Record(uint32_t saved, uint32_t sequence, int32_t current, int32_t positionMs)
{
    return KeptPlaceRecord{true, saved, sequence, current, positionMs};
}

KeptPlaceRecord ThroughSlot(const KeptPlaceRecord& record)
{
    char slot[KEPT_PLACE_SLOT_SIZE];
    FormatKeptPlaceSlot(slot, record);
    KeptPlaceRecord parsed;
    ParseKeptPlaceSlot(slot, sizeof slot, &parsed);
    return parsed;
}

TEST(KeptPlace, ASlotReadsBackAndATornOneDoesNot)
{
    KeptPlaceRecord parsed = ThroughSlot(Record(4000000000u, 77, -1, 2147483647));
    EXPECT_TRUE(parsed.valid);
    EXPECT_EQ(4000000000u, parsed.saved);
    EXPECT_EQ(77u, parsed.sequence);
    EXPECT_EQ(-1, parsed.current);
    EXPECT_EQ(2147483647, parsed.positionMs);

    char older[KEPT_PLACE_SLOT_SIZE];
    char newer[KEPT_PLACE_SLOT_SIZE];
    FormatKeptPlaceSlot(older, Record(5, 10, 3, 12000));
    FormatKeptPlaceSlot(newer, Record(5, 12, 3, 14000));
    ASSERT_EQ('\r', newer[KEPT_PLACE_SLOT_SIZE - 2]);
    for (size_t cut = 1; cut < KEPT_PLACE_SLOT_SIZE; ++cut) {
        char torn[KEPT_PLACE_SLOT_SIZE];
        std::memcpy(torn, newer, cut);
        std::memcpy(torn + cut, older + cut, KEPT_PLACE_SLOT_SIZE - cut);
        ParseKeptPlaceSlot(torn, sizeof torn, &parsed);
        bool same = std::memcmp(torn, newer, sizeof torn) == 0 || std::memcmp(torn, older, sizeof torn) == 0;
        EXPECT_EQ(same, parsed.valid) << cut;
    }
    char zeros[KEPT_PLACE_SLOT_SIZE] = {};
    ParseKeptPlaceSlot(zeros, sizeof zeros, &parsed);
    EXPECT_FALSE(parsed.valid);
}

TEST(KeptPlace, TheNewestRecordOfTheQueuesWriteDecidesThePlace)
{
    std::vector<KeptPlaceRecord> records = {Record(8, 0xFFFFFFFFu, 0, 100), Record(8, 0, 1, 200)};
    EXPECT_EQ(&records[1], NewestKeptPlace(records.data(), 2, 8));   // across the wrap
    EXPECT_EQ(nullptr, NewestKeptPlace(records.data(), 2, 7));
    EXPECT_EQ(1, KeptPlaceSlotOf(0xFFFFFFFFu));
    EXPECT_EQ(0, KeptPlaceSlotOf(0));

    std::string bytes = Written(8, 0, 50, QUEUE);
    Read read = ReadBytes(bytes, 4096, 4096, records);
    EXPECT_EQ(1, read.reading.currentKept);
    EXPECT_EQ(200, read.reading.currentMs);
    // Records of another write leave the file's own place.
    read = ReadBytes(Written(9, 0, 50, QUEUE), 4096, 4096, records);
    EXPECT_EQ(0, read.reading.currentKept);
    EXPECT_EQ(50, read.reading.currentMs);
}

}  // namespace
