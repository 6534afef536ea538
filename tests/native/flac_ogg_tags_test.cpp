#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_source.h"

namespace {

std::string FlacBlock(int type, const std::string& body, bool last = false)
{
    return static_cast<char>(type | (last ? 0x80 : 0)) + BigEndianBytes(body.size(), 3) + body;
}

// Stereo, 16 bits, the rate in 20 bits and the samples in 36.
std::string StreamInfo(uint32_t rate, uint64_t samples)
{
    std::string info(10, '\0');
    info += static_cast<char>(rate >> 12);
    info += static_cast<char>(rate >> 4);
    info += static_cast<char>((rate & 0xF) << 4 | 0x2);
    info += static_cast<char>(0xF0 | ((samples >> 32) & 0xF));
    return FlacBlock(0, info + BigEndianBytes(samples, 4) + std::string(16, '\0'));
}

uint32_t OggChecksum(const std::string& page)
{
    uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= static_cast<uint32_t>(c) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

const unsigned char CONTINUED = 0x01;
const unsigned char BEGINS = 0x02;
const uint64_t NO_GRANULE = ~0ull;

// A page of the packets; the last one goes on in the next page unless it ends here.
std::string OggPage(uint32_t serial, uint64_t granule, unsigned char type, const std::vector<std::string>& packets,
                    bool lastEnds = true)
{
    std::string lacing;
    std::string body;
    for (size_t i = 0; i < packets.size(); ++i) {
        size_t left = packets[i].size();
        for (; left >= 255; left -= 255)
            lacing += '\xFF';
        if (i + 1 < packets.size() || lastEnds)
            lacing += static_cast<char>(left);
        body += packets[i];
    }
    std::string page = "OggS" + std::string(1, '\0') + static_cast<char>(type) + LittleEndianBytes(granule, 8) +
                       LittleEndianBytes(serial, 4) + std::string(8, '\0') + static_cast<char>(lacing.size()) +
                       lacing + body;
    return page.replace(22, 4, LittleEndianBytes(OggChecksum(page), 4));
}

std::string OpusHead(uint16_t preSkip)
{
    return "OpusHead\x01\x02" + LittleEndianBytes(preSkip, 2) + LittleEndianBytes(48000, 4) + std::string(3, '\0');
}

std::string VorbisHead(uint32_t rate)
{
    return "\x01vorbis" + std::string(4, '\0') + '\x02' + LittleEndianBytes(rate, 4) + std::string(12, '\0') +
           "\xB8\x01";
}

std::string Packet(size_t bytes)
{
    return std::string(bytes, '\x5A');
}

}  // namespace

TEST(FlacTags, StreamInfoGivesTheLengthAndVorbisCommentsTheTexts)
{
    std::string comments =
        FlacBlock(4, VorbisComments({"TITLES=Wrong", "title=Song", "ARTIST=First", "Artist=Second"}));
    std::string v24 = Id3v2Tag(4, 0x10, Id3v2Frame(4, "TIT2", std::string("\x03Tag", 4)));
    std::string footer = "3DI" + v24.substr(3, 7);
    const struct {
        std::string file;
        const char* title;
        int64_t lengthMs;
    } cases[] = {
        {"fLaC" + StreamInfo(44100, 441000) + comments + FlacBlock(1, std::string(100, '\0'), true), "Song", 10000},
        // Passed over: an ID3v2 tag (with its footer) in front, a big picture.
        {v24 + footer + "fLaC" + StreamInfo(44100, 441000) + FlacBlock(6, std::string(300000, '\x7F')) + comments,
         "Song", 10000},
        {"fLaC" + StreamInfo(96000, 0x123456789ull) + comments, "Song", 0x123456789ull * 1000 / 96000},
        // No count of samples, no length.
        {"fLaC" + StreamInfo(44100, 0) + comments, "Song", -1},
        // A block that runs past the end hides what would follow it.
        {"fLaC" + StreamInfo(48000, 48000) + FlacBlock(1, std::string(10, '\0')).replace(1, 3, "\x10\0\0", 3) +
             std::string(10, '\0') + comments,
         "", 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TagsRead r = ReadTagsOf(ReadFlacTags, c.file);
        EXPECT_TRUE(r.accepted);
        EXPECT_STREQ(r.tags.title, c.title);
        EXPECT_STREQ(r.tags.artist, c.title[0] != '\0' ? "First" : "");
        EXPECT_EQ(r.tags.lengthMs, c.lengthMs);
    }
}

TEST(OggTags, TheFirstStreamsLastGranuleLessThePreSkipAndItsComments)
{
    std::string opusTags = "OpusTags" + VorbisComments({"ARTIST=Band", "TITLE=Song"});
    std::string vorbisTags = "\x03vorbis" + VorbisComments({"artist=Band", "Title=Song"}) + std::string(600, 'x');
    std::string opusHead = OggPage(1, 0, BEGINS, {OpusHead(312)});
    std::string opus = OggPage(1, 0, 0, {opusTags}) + OggPage(1, 48312, 0, {Packet(500)});
    // The end of a long packet, then the start of one that this page does not end.
    std::string opusEnd = OggPage(1, 144312, CONTINUED, {Packet(100), Packet(300)}) +
                          OggPage(1, NO_GRANULE, CONTINUED, {Packet(255)}, false);
    std::string other = OggPage(2, 0, BEGINS, {VorbisHead(44100)});
    // The comment packet spans two pages.
    std::string vorbis = OggPage(7, 0, BEGINS, {VorbisHead(44100)}) +
                         OggPage(7, 0, 0, {vorbisTags.substr(0, 510)}, false) +
                         OggPage(7, 0, CONTINUED, {vorbisTags.substr(510), Packet(3000)}) +
                         OggPage(7, 88200, 0x04, {Packet(400)});
    std::string farOther;
    for (int i = 0; i < 40; ++i)
        farOther += OggPage(2, 1000000 + i, 0, {Packet(5000)});
    // "OggS" inside a packet is no page, nor is a page cut short at the end.
    std::string fake = OggPage(1, 480000, 0, {Packet(20)}).substr(0, 40);
    std::string cut = OggPage(1, 480000, 0, {Packet(2000)});
    cut.resize(1000);
    const struct {
        std::string file;
        int64_t lengthMs;
    } cases[] = {
        {opusHead + opus + opusEnd, 3000},
        // A second stream interleaved, and one chained after the first.
        {opusHead + other + opus + OggPage(2, 99999999, 0, {Packet(9)}) + opusEnd + farOther, 3000},
        {vorbis + OggPage(9, 0, BEGINS, {OpusHead(0)}) + OggPage(9, 4800000, 0x04, {Packet(9)}), 2000},
        {opusHead + opus + OggPage(1, 96312, 0, {Packet(200) + fake}) + cut, 2000},
        // Not Opus or Vorbis first: the first stream that is.
        {OggPage(5, 0, BEGINS, {"\x80theora" + Packet(40)}) + vorbis, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TagsRead r = ReadTagsOf(ReadOggTags, c.file);
        EXPECT_TRUE(r.accepted);
        EXPECT_STREQ(r.tags.title, "Song");
        EXPECT_STREQ(r.tags.artist, "Band");
        EXPECT_EQ(r.tags.lengthMs, c.lengthMs);
    }
}

TEST(FlacOggTags, OtherFilesAreLeftAfterASmallRead)
{
    std::string mp3 = Id3v2Tag(3, 0, std::string(20, '\0')) + "\xFF\xFB\x90\x00" + std::string(5000, '\0');
    const std::string others[] = {
        "",
        "fLa",
        mp3,
        std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(5000, '\0'),
        OggPage(3, 0, BEGINS, {"\x7F" "FLAC" + Packet(60)}) + OggPage(3, 9000, 0, {Packet(5000)}),
    };
    for (const std::string& other : others) {
        SCOPED_TRACE(other.size());
        EXPECT_FALSE(ReadTagsOf(ReadFlacTags, other).accepted);
        EXPECT_LE(ReadTagsOf(ReadFlacTags, other).handedOut, 16u);
        EXPECT_FALSE(ReadTagsOf(ReadOggTags, other).accepted);
    }
}
