#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/kept_queue_text.h"

namespace {

struct Read {
    std::vector<std::string> entries;   // "kind|display|path" or "kind|display|start|length"
    KeptQueueReading reading;
};

std::string Describe(const KeptEntry& entry)
{
    std::string text = std::to_string(entry.kind) + "|" + entry.display + "|";
    if (entry.kind == ENTRY_CD_TRACK)
        return text + std::to_string(entry.startMs) + "|" + std::to_string(entry.lengthMs);
    return text + entry.path;
}

// The bytes as the restore reads them: whole, with a place record when given.
Read ReadBytes(std::string bytes, const KeptPlace* place = nullptr)
{
    Read read;
    BeginKeptQueueReading(&read.reading);
    if (place != nullptr)
        SetKeptReadingPlace(&read.reading, place->current, place->positionMs);
    std::vector<char> text(bytes.begin(), bytes.end());
    text.push_back('\0');
    char* end = text.data() + bytes.size();
    char* cursor = SkipByteOrderMark(text.data(), end);
    TextLine line;
    KeptEntry entry;
    while (TakeTextLine(&cursor, end, &line)) {
        KeptLineKind kind = ReadKeptQueueLine(&read.reading, line, &entry);
        if (kind == KEPT_LINE_ENTRY)
            read.entries.push_back(Describe(entry));
        else if (kind == KEPT_LINE_END)
            break;
    }
    return read;
}

std::string Written(int32_t current, int32_t positionMs, const std::vector<KeptEntry>& entries)
{
    GrowingText text;
    BeginKeptQueueText(&text, current, positionMs);
    for (const KeptEntry& entry : entries)
        AppendKeptEntry(&text, entry);
    EndKeptQueueText(&text);
    EXPECT_FALSE(text.failed);
    std::string bytes(text.text, text.length);
    FreeGrowingText(&text);
    return bytes;
}

bool Complete(const std::string& bytes)
{
    return KeptQueueVersion(bytes.data(), bytes.size()) == KEPT_QUEUE_VERSION &&
           EndsWithKeptQueueEnd(bytes.data(), bytes.size());
}

const std::vector<KeptEntry> QUEUE = {
    {ENTRY_WAVE, "Fanfare.wav", "C:\\WAVES\\FANFARE.WAV", 0, 0},
    {ENTRY_CD_TRACK, "CD track #3", nullptr, 183000, 245000},
    {ENTRY_OTHER, "Caf\xC3\xA9 \xE2\x99\xAA.mp3", "D:\\MUSIC\\CAF~1.MP3", 0, 0},
    {ENTRY_MIDI, "", "", 0, 0},
};
const std::vector<std::string> QUEUE_READ = {"2|Fanfare.wav|C:\\WAVES\\FANFARE.WAV", "0|CD track #3|183000|245000",
                                             "4|Caf\xC3\xA9 \xE2\x99\xAA.mp3|D:\\MUSIC\\CAF~1.MP3", "1||"};

TEST(KeptQueue, WhatIsWrittenReadsBackWithItsPlace)
{
    std::string bytes = Written(1, 60000, QUEUE);
    EXPECT_EQ(0u, bytes.find("VireoQueue\t1\r\ncurrent\t1\t60000\r\nentry\twave\tFanfare.wav\t"));
    EXPECT_TRUE(Complete(bytes));
    Read read = ReadBytes(bytes);
    EXPECT_EQ(QUEUE_READ, read.entries);
    EXPECT_EQ(1, read.reading.currentTaken);
    EXPECT_EQ(60000, read.reading.currentMs);
    EXPECT_EQ(0u, read.reading.passedOver);
    EXPECT_TRUE(read.reading.ended);
    // A tab or line end in a text would split the line: the entry keeps its place.
    KeptEntry odd = {ENTRY_WAVE, "a\tb\r\nc", "C:\\x\ty.wav", 0, 0};
    EXPECT_EQ(std::vector<std::string>{"2|a?b??c|C:\\x?y.wav"}, ReadBytes(Written(0, 0, {odd})).entries);
    // An earlier version's lines besides, and a byte-order mark an editor put first.
    read = ReadBytes("\xEF\xBB\xBFVireoQueue\t1\r\nsaved\t17\r\nentry\twave\ta\tb\r\nend\r\n");
    EXPECT_EQ(std::vector<std::string>{"2|a|b"}, read.entries);
}

TEST(KeptQueue, AFileCutAnywhereGivesItsWholeEntriesInOrderAndIsNotComplete)
{
    std::string bytes = Written(2, 5000, QUEUE);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string part = bytes.substr(0, cut);
        Read read = ReadBytes(part);
        ASSERT_LE(read.entries.size(), QUEUE_READ.size()) << cut;
        for (size_t i = 0; i < read.entries.size(); ++i)
            EXPECT_EQ(QUEUE_READ[i], read.entries[i]) << cut;
        EXPECT_FALSE(Complete(part)) << cut;
        EXPECT_LE(read.reading.passedOver, 1u) << cut;
    }
}

TEST(KeptQueue, DamagedLinesArePassedOverAndCountedAndTheRestKeptInOrder)
{
    std::string bytes = std::string("VireoQueue\t1\r\ncurrent\t4\t1500\r\n") +
                        "entry\twave\ta.wav\tC:\\a.wav\r\n" +
                        std::string("entry\twa\0ve\tb.wav\tC:\\b.wav\r\n", 28) +   // a zero byte
                        "entry\twave\t\xFF\xFE.wav\tC:\\\xE9t\xE9.wav\r\n" +  // no UTF-8: kept as stored
                        "\x01\x02garbage\r\n" +
                        "entry\tcd\tCD track #1\t-5\t1000\r\n" +           // no start before the disc
                        "entry\twave\te.wav\tC:\\e.wav\textra\r\n" +      // a field too many
                        "entry\tstream\thttp://radio\tx\r\n" +           // a kind no Vireo plays
                        "entry\twave\t" + std::string(1 << 20, 'x') + "\tC:\\long.wav\r\n" +
                        "entry\tmidi\tf.mid\tC:\\f.mid\r\n" +
                        "end\r\n";
    Read read = ReadBytes(bytes);
    EXPECT_EQ((std::vector<std::string>{"2|a.wav|C:\\a.wav", "2|\xFF\xFE.wav|C:\\\xE9t\xE9.wav", "1|f.mid|C:\\f.mid"}),
              read.entries);
    EXPECT_EQ(6u, read.reading.passedOver);
    // Entry line 4 is the CD track that was passed over: no current entry, no place.
    EXPECT_EQ(-1, read.reading.currentTaken);
    EXPECT_EQ(0, read.reading.currentMs);
}

TEST(KeptQueue, APlaceOutsideTheQueueOrItsTrackNamesNoEntryOrTheTrackStart)
{
    auto place = [](const char* line) {
        Read read = ReadBytes(std::string("VireoQueue\t1\r\n") + line +
                              "entry\twave\ta.wav\tC:\\a.wav\r\nentry\tcd\tCD track #2\t1000\t2000\r\nend\r\n");
        return std::to_string(read.reading.currentTaken) + "@" + std::to_string(read.reading.currentMs);
    };
    EXPECT_EQ("-1@0", place("current\t2\t500\r\n"));
    EXPECT_EQ("-1@0", place("current\t-3\t500\r\n"));
    EXPECT_EQ("-1@0", place("current\t99999999999\t500\r\n"));
    EXPECT_EQ("1@0", place("current\t1\t2000\r\n"));
    EXPECT_EQ("1@1999", place("current\t1\t1999\r\n"));
    EXPECT_EQ("0@0", place("current\t0\t-20\r\n"));
    // A place after the entries have begun is no longer theirs.
    Read late = ReadBytes("VireoQueue\t1\r\nentry\twave\ta\tb\r\ncurrent\t0\t10\r\nend\r\n");
    EXPECT_EQ(-1, late.reading.currentTaken);
}

TEST(KeptQueue, OnlyThisVersionsHeaderOpensAQueue)
{
    EXPECT_EQ(3, KeptQueueVersion("VireoQueue\t3\r\n", 14));
    for (const char* other : {"[VIREO 1.0]\r\nC:\\a.wav\r\n", "VireoQueue\r\nentry\twave\ta\tb\r\nend\r\n",
                              "vireoqueue\t1\r\nentry\twave\ta\tb\r\nend\r\n", "VireoQueue\t", ""})
        EXPECT_EQ(0, KeptQueueVersion(other, std::strlen(other))) << other;
}

TEST(KeptPlace, ARecordReadsBackAndADamagedOneDoesNot)
{
    const KeptPlace written = {0xDEADBEEFu, 2147483647, -2147483647 - 1};
    char record[KEPT_PLACE_SIZE];
    FormatKeptPlace(record, written);
    KeptPlace read;
    ASSERT_TRUE(ParseKeptPlace(record, sizeof record, &read));
    EXPECT_EQ(written.queueCheck, read.queueCheck);
    EXPECT_EQ(written.current, read.current);
    EXPECT_EQ(written.positionMs, read.positionMs);
    // Torn by a power cut: any byte of it changed, or the record cut short.
    for (size_t at = 0; at < KEPT_PLACE_SIZE; ++at) {
        char torn[KEPT_PLACE_SIZE];
        std::memcpy(torn, record, sizeof torn);
        torn[at] = torn[at] == '7' ? '8' : '7';
        bool blank = record[at] == ' ';
        EXPECT_EQ(false, ParseKeptPlace(torn, sizeof torn, &read) && !blank) << at;
    }
    EXPECT_FALSE(ParseKeptPlace(record, KEPT_PLACE_SIZE - 1, &read));
    char zeros[KEPT_PLACE_SIZE] = {};
    EXPECT_FALSE(ParseKeptPlace(zeros, sizeof zeros, &read));
    // The place record goes before the file's own line.
    std::string bytes = Written(0, 50, QUEUE);
    KeptPlace place = {KeptTextCheck(bytes.data(), bytes.size()), 1, 200};
    Read withRecord = ReadBytes(bytes, &place);
    EXPECT_EQ(1, withRecord.reading.currentTaken);
    EXPECT_EQ(200, withRecord.reading.currentMs);
}

}  // namespace
