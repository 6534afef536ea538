#include <gtest/gtest.h>

#include <string>

#include "tag_source.h"

namespace {

std::string Format(uint16_t tag, uint32_t rate, uint32_t bytesPerSecond, uint16_t align)
{
    return Chunk("fmt ", LittleEndianBytes(tag, 2) + LittleEndianBytes(1, 2) + LittleEndianBytes(rate, 4) +
                             LittleEndianBytes(bytesPerSecond, 4) + LittleEndianBytes(align, 2) +
                             LittleEndianBytes(8 * align, 2));
}

std::string Extensible(uint16_t subFormat, uint32_t rate, uint32_t bytesPerSecond)
{
    std::string format = Format(0xFFFE, rate, bytesPerSecond, 2).substr(8);
    format += LittleEndianBytes(22, 2) + LittleEndianBytes(16, 2) + LittleEndianBytes(4, 4) +
              LittleEndianBytes(subFormat, 2) +
              std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return Chunk("fmt ", format);
}

// A wave whose data of dataBytes zeros, declared as declared, lies between
// the chunks before and after it.
TagsRead ReadWave(const std::string& before, uint32_t declared, uint64_t dataBytes, const std::string& after)
{
    std::string pad(dataBytes % 2, '\0');
    std::string head = "RIFF" + LittleEndianBytes(4 + before.size() + 8 + dataBytes + pad.size() + after.size(), 4) +
                       "WAVE" + before + "data" + LittleEndianBytes(declared, 4);
    return ReadTagsOf(ReadWaveTags, head, dataBytes, pad + after);
}

}  // namespace

TEST(WaveTags, LengthComesFromTheDataSizeOrTheFactChunk)
{
    const std::string pcm = Format(1, 44100, 176400, 4);
    const std::string ima = Format(0x11, 22050, 11100, 512);
    struct Case {
        const char* what;
        std::string before;
        uint32_t declared;
        uint64_t dataBytes;
        int64_t lengthMs;
    } cases[] = {
        {"PCM, more data than the budget", pcm, 1764000, 1764000, 10000},
        {"odd data size", Format(1, 8000, 8000, 1), 12001, 12001, 1500},
        {"float: a fact chunk is not needed", Format(3, 48000, 384000, 8) + Chunk("fact", LittleEndianBytes(1, 4)),
         384000, 384000, 1000},
        {"size 0: to the end", pcm, 0, 352800, 2000},
        {"size all ones: to the end", pcm, 0xFFFFFFFF, 352800, 2000},
        {"compressed: the fact chunk counts", ima + Chunk("fact", LittleEndianBytes(44100, 4)), 2000, 2000, 2000},
        {"compressed without fact: the rate", ima, 22200, 22200, 2000},
        {"extensible PCM: its fact chunk is not needed",
         Extensible(1, 44100, 176400) + Chunk("fact", LittleEndianBytes(1, 4)), 176400, 176400, 1000},
        {"extensible compressed", Extensible(0x55, 44100, 16000) + Chunk("fact", LittleEndianBytes(88200, 4)), 1000,
         1000, 2000},
        {"cut short", pcm, 352800, 176400, -1},
        {"no bytes a second", Format(1, 44100, 0, 4), 352800, 352800, -1},
        {"no format", "", 352800, 352800, -1},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadWave(c.before, c.declared, c.dataBytes, "");
        EXPECT_TRUE(read.accepted) << c.what;
        EXPECT_EQ(c.lengthMs, read.tags.lengthMs) << c.what;
        EXPECT_LT(read.handedOut, 200u) << c.what;
    }
}

TEST(WaveTags, InfoIsFoundBeforeOrPastThePaddedDataInLatin1OrUtf8)
{
    const std::string pcm = Format(1, 8000, 8000, 1);
    TagsRead after = ReadWave(pcm, 8001, 8001, Chunk("junk", "abc") + InfoList("Caf\xE9", "Bj\xC3\xB6rk"));
    EXPECT_STREQ("Caf\xC3\xA9", after.tags.title);
    EXPECT_STREQ("Bj\xC3\xB6rk", after.tags.artist);
    EXPECT_EQ(1000, after.tags.lengthMs);
    // A cut file keeps the title it could read.
    TagsRead cut = ReadWave(pcm + InfoList(" Evening\r\n", ""), 16000, 8000, "");
    EXPECT_STREQ("Evening", cut.tags.title);
    EXPECT_STREQ("", cut.tags.artist);
    EXPECT_EQ(-1, cut.tags.lengthMs);
}

namespace {

std::string StreamList(const char* type, uint32_t scale, uint32_t rate, uint32_t length)
{
    std::string header = std::string(type) + std::string(16, '\0') + LittleEndianBytes(scale, 4) +
                         LittleEndianBytes(rate, 4) + LittleEndianBytes(0, 4) + LittleEndianBytes(length, 4) +
                         std::string(20, '\0');
    return Chunk("LIST", "strl" + Chunk("strh", header) + Chunk("strf", std::string(40, '\0')));
}

// 250 frames of 40 ms in the main header; the frames' list of movieBytes, of
// which only present are there.
TagsRead ReadAvi(const std::string& streams, const std::string& before, uint64_t movieBytes, uint64_t present,
                 const std::string& after)
{
    std::string mainHeader = LittleEndianBytes(40000, 4) + std::string(12, '\0') + LittleEndianBytes(250, 4) +
                             std::string(36, '\0');
    std::string headers = Chunk("LIST", "hdrl" + Chunk("avih", mainHeader) + streams) + before;
    std::string head = "RIFF" + LittleEndianBytes(4 + headers.size() + 12 + movieBytes + after.size(), 4) + "AVI " +
                       headers + "LIST" + LittleEndianBytes(4 + movieBytes, 4) + "movi";
    return ReadTagsOf(ReadAviTags, head, present, after);
}

}  // namespace

TEST(AviTags, TheSoundStreamTimesTheFileAndInfoIsFoundWhereverItStands)
{
    const std::string video = StreamList("vids", 1, 25, 300);
    const std::string audio = StreamList("auds", 1, 44100, 418950);
    const std::string info = InfoList("Clip", "Crew");
    struct Case {
        const char* what;
        std::string streams;
        std::string before;
        std::string after;
        uint64_t present;
        int64_t lengthMs;
    } cases[] = {
        {"sound before pictures, info past the frames", video + audio, "", info, 50000000, 9500},
        {"pictures alone, info in the header list", video + info, "", "", 50000000, 12000},
        {"a sound stream of no rate, info before the frames", video + StreamList("auds", 1, 0, 10), info, "",
         50000000, 12000},
        {"no stream says: the main header", StreamList("vids", 1, 0, 300), info, "", 50000000, 10000},
        {"cut short: the title, no length", video + audio, info, "", 1000, -1},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadAvi(c.streams, c.before, 50000000, c.present, c.after);
        EXPECT_TRUE(read.accepted) << c.what;
        EXPECT_EQ(c.lengthMs, read.tags.lengthMs) << c.what;
        EXPECT_STREQ("Clip", read.tags.title) << c.what;
        EXPECT_STREQ("Crew", read.tags.artist) << c.what;
        EXPECT_LT(read.handedOut, 500u) << c.what;
    }
}

TEST(ContainerTags, EachReaderClaimsItsOwnKindAloneAfterASmallRead)
{
    bool (*const readers[])(TagSource*, MediaTags*) = {ReadWaveTags, ReadAviTags, ReadMidiTags, ReadMp4Tags,
                                                       ReadAsfTags};
    const int none = -1;
    const std::string asf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    struct Case {
        std::string head;
        uint64_t gap;
        int reader;
    } cases[] = {
        {Riff("WAVE", ""), 0, 0},
        {Riff("AVI ", ""), 0, 1},
        {Riff("RMID", ""), 0, 2},
        {"MThd" + BigEndianBytes(6, 4) + BigEndianBytes(96, 6), 0, 2},
        {BigEndianBytes(16, 4) + "ftypM4A " + std::string(4, '\0'), 0, 3},
        {asf + LittleEndianBytes(30, 8) + std::string(6, '\0'), 0, 4},
        // Waves of nearly 2 GB whose sizes read as a box's type.
        {"RIFFftypWAVE", 0x70797466 - 4, 0},
        {"RIFFskipWAVE" + BigEndianBytes(8, 4) + "moov", 0x70696B73 - 12, 0},
        {"RIFX" + LittleEndianBytes(4, 4) + "WAVE", 0, none},
        {"ID3\x04", 0, none},
        {"fLaC", 0, none},
        {"OggS", 0, none},
        {"RIF", 0, none},
        {"", 0, none},
    };
    for (const Case& c : cases) {
        for (int r = 0; r < 5; ++r) {
            TagsRead read = ReadTagsOf(readers[r], c.head, c.gap);
            EXPECT_EQ(r == c.reader, read.accepted) << c.head << " by reader " << r;
            if (r != c.reader)
                EXPECT_LE(read.handedOut, 48u) << c.head << " by reader " << r;
        }
    }
}
