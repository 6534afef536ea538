#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_source.h"

namespace {

struct FrameKind {
    const char* header;
    size_t bytes;
    int samples;
    int rate;
    int kbps;
};

// MPEG-1 layer III at 44.1 kHz, stereo, at three bit rates.
const FrameKind V1_L3_128 = {"\xFF\xFB\x90\x00", 417, 1152, 44100, 128};
const FrameKind V1_L3_64 = {"\xFF\xFB\x50\x00", 208, 1152, 44100, 64};
const FrameKind V1_L3_320 = {"\xFF\xFB\xE0\x00", 1044, 1152, 44100, 320};

std::string Frame(const FrameKind& kind, const std::string& payload = "")
{
    std::string frame = std::string(kind.header, 4) + payload;
    frame.resize(kind.bytes, '\x11');
    return frame;
}

std::string Frames(const FrameKind& kind, int count)
{
    std::string frames;
    for (int i = 0; i < count; ++i)
        frames += Frame(kind);
    return frames;
}

// A variable rate stream: 64 and 320 kbit/s by turns.
std::string VariableFrames(int count)
{
    std::string frames;
    for (int i = 0; i < count; ++i)
        frames += Frame(i % 2 == 0 ? V1_L3_64 : V1_L3_320);
    return frames;
}

std::string Id3v1(const std::string& title, const std::string& artist)
{
    std::string tag = "TAG" + title;
    tag.resize(33, '\0');
    tag += artist;
    tag.resize(128, ' ');
    return tag;
}

std::string ApeTag(const std::vector<std::pair<std::string, std::string>>& items, uint32_t binaryItem)
{
    std::string body;
    for (size_t i = 0; i < items.size(); ++i)
        body += LittleEndianBytes(items[i].second.size(), 4) + LittleEndianBytes(i == binaryItem ? 2 : 0, 4) +
                items[i].first + '\0' + items[i].second;
    auto part = [&](uint32_t flags) {
        return "APETAGEX" + LittleEndianBytes(2000, 4) + LittleEndianBytes(body.size() + 32, 4) +
               LittleEndianBytes(items.size(), 4) + LittleEndianBytes(flags, 4) + std::string(8, '\0');
    };
    return part(0xA0000000u) + body + part(0x80000000u);
}

// A zero after every 0xFF, as an unsynchronising writer stores the bytes.
std::string Unsynchronised(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        out += c;
        if (c == '\xFF')
            out += '\0';
    }
    return out;
}

int64_t MsOf(uint64_t samples, int rate)
{
    return static_cast<int64_t>(samples * 1000 / rate);
}

}  // namespace

TEST(Mp3Length, EachVersionAndLayerChainsItsFramesAndIsEstimatedFromItsBitRate)
{
    const FrameKind kinds[] = {
        V1_L3_128,
        {"\xFF\xFD\xA4\x00", 576, 1152, 48000, 192},  // MPEG-1 layer II
        {"\xFF\xFF\xC8\x00", 576, 384, 32000, 384},   // MPEG-1 layer I
        {"\xFF\xF3\x80\x00", 208, 576, 22050, 64},    // MPEG-2 layer III
        {"\xFF\xF7\x40\x00", 136, 384, 22050, 64},    // MPEG-2 layer I
        {"\xFF\xE3\x10\xC0", 52, 576, 11025, 8},      // MPEG-2.5 layer III, mono
    };
    for (const FrameKind& kind : kinds) {
        TagsRead r = ReadTagsOf(ReadMp3Tags, Frames(kind, 400));
        ASSERT_TRUE(r.accepted) << kind.kbps;
        // Frame sizes are whole bytes, never padded here: the estimate is a little short.
        EXPECT_NEAR(r.tags.lengthMs, MsOf(400 * kind.samples, kind.rate), MsOf(400 * kind.samples, kind.rate) / 30)
            << kind.kbps;
    }
}

TEST(Mp3Length, AnInfoFrameCountsTheFramesAndIsNoAudio)
{
    const int count = 300;
    std::string flagged = BigEndianBytes(0xF, 4) + BigEndianBytes(count, 4);
    std::string vbri = "VBRI" + std::string(10, '\0') + BigEndianBytes(count, 4);
    const FrameKind v1Mono = {"\xFF\xFB\x90\xC0", 417, 1152, 44100, 128};
    const FrameKind v2 = {"\xFF\xF3\x80\x00", 208, 576, 22050, 64};
    const struct {
        FrameKind kind;
        std::string payload;
        int64_t expected;
    } cases[] = {
        {V1_L3_128, std::string(32, '\0') + "Xing" + flagged, MsOf(count * 1152, 44100)},
        {v1Mono, std::string(17, '\0') + "Info" + flagged, MsOf(count * 1152, 44100)},
        {v2, std::string(17, '\0') + "Xing" + flagged, MsOf(count * 576, 22050)},
        {V1_L3_128, std::string(32, '\0') + vbri, MsOf(count * 1152, 44100)},
        // The encoder's delay and padding are no part of the sound.
        {V1_L3_128,
         std::string(32, '\0') + "Info" + flagged + std::string(108, '\0') + "LAME3.100" + std::string(12, '\0') +
             BigEndianBytes(576 << 12 | 1152, 3),
         MsOf(count * 1152 - 1728, 44100)},
        // A count no file of this size could hold.
        {V1_L3_128, std::string(32, '\0') + "Xing" + BigEndianBytes(1, 4) + BigEndianBytes(9000000, 4), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::string audio = c.kind.samples == 576 ? Frames(c.kind, count) : VariableFrames(count);
        TagsRead r = ReadTagsOf(ReadMp3Tags, Frame(c.kind, c.payload) + audio);
        EXPECT_TRUE(r.accepted);
        EXPECT_EQ(r.tags.lengthMs, c.expected);
    }
}

TEST(Mp3Length, WithoutAnInfoFrameTheEstimateIsFromTheFirstRealFrame)
{
    // A lone header in the padding after the tag chains to nothing.
    std::string junk = std::string(V1_L3_320.header, 4) + std::string(10, '\0');
    std::string audio = VariableFrames(300);
    std::string tag = Id3v2Tag(3, 0, Id3v2Frame(3, "TIT2", std::string("\0Song", 5)));
    TagsRead r = ReadTagsOf(ReadMp3Tags, tag + junk + audio + Id3v1("Song", "Band"));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.tags.lengthMs, static_cast<int64_t>(audio.size() * 8 / 64));
}

TEST(Mp3Tags, Id3v2VersionsEncodingsAndUnsynchronisation)
{
    std::string ja = std::string("\0Ja\xFFna", 6);  // Latin-1 "Jaÿna": a zero follows its 0xFF when stored
    std::string v22 = std::string("TT2") + BigEndianBytes(5, 3) + std::string("\0Song", 5) + "TP1" +
                      BigEndianBytes(5, 3) + std::string("\0Band", 5);
    std::string note = Id3v2Frame(3, "COMM", std::string(255, '\xFF'));  // its size ends in 0xFF too
    const struct {
        std::string tag;
        const char* title;
        const char* artist;
    } cases[] = {
        // A picture too big for one block stands before the texts.
        {Id3v2Tag(3, 0, Id3v2Frame(3, "APIC", std::string(100000, '\xFF')) +
                            Id3v2Frame(3, "TIT2", std::string("\0Caf\xE9", 5)) +
                            Id3v2Frame(3, "TPE1", std::string("\0Band", 5)) + std::string(300, '\0')),
         "Caf\xC3\xA9", "Band"},
        {Id3v2Tag(2, 0, v22), "Song", "Band"},
        {Id3v2Tag(4, 0, Id3v2Frame(4, "TIT2", SyncSafeBytes(6) + Unsynchronised(ja), 0x03) +
                            Id3v2Frame(4, "TPE1", std::string("\x02\0B\0a\0n\0d", 9))),
         "Ja\xC3\xBFna", "Band"},
        {Id3v2Tag(3, 0x80, Unsynchronised(note + Id3v2Frame(3, "TIT2", ja))),
         "Ja\xC3\xBFna", ""},
        // UTF-16 with a mark, and without one as some writers store it.
        {Id3v2Tag(3, 0, Id3v2Frame(3, "TIT2", std::string("\x01\xFF\xFE\xC9\0t\0\xE9\0", 9)) +
                            Id3v2Frame(3, "TPE1", std::string("\x01Z\0o\0\xEB\0", 7))),
         "\xC3\x89t\xC3\xA9", "Zo\xC3\xAB"},
        // The band stands in for a missing artist; extended headers are passed over.
        {Id3v2Tag(3, 0x40,
                  BigEndianBytes(6, 4) + std::string(6, '\0') + Id3v2Frame(3, "TPE2", std::string("\0Band", 5))),
         "", "Band"},
        {Id3v2Tag(4, 0x40, SyncSafeBytes(6) + std::string(2, '\0') + Id3v2Frame(4, "TPE2", std::string("\0Group", 6)) +
                               Id3v2Frame(4, "TPE1", std::string("\x03Solo", 5))),
         "", "Solo"},
    };
    std::string audio = Frames(V1_L3_128, 100);
    int64_t bare = ReadTagsOf(ReadMp3Tags, audio).tags.lengthMs;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TagsRead r = ReadTagsOf(ReadMp3Tags, c.tag + audio);
        EXPECT_TRUE(r.accepted);
        EXPECT_STREQ(r.tags.title, c.title);
        EXPECT_STREQ(r.tags.artist, c.artist);
        EXPECT_EQ(r.tags.lengthMs, bare);
    }
}

TEST(Mp3Tags, ATagThatClaimsMoreThanTheFileGivesItsTextsAndNoLength)
{
    std::string frames = Id3v2Frame(3, "TIT2", std::string("\0Song", 5)) + Frames(V1_L3_128, 2);
    const uint32_t claims[] = {200u * 1000 * 1000, static_cast<uint32_t>(frames.size() + 100)};
    for (uint32_t claim : claims) {
        std::string file = Id3v2Tag(3, 0, frames);
        file.replace(6, 4, SyncSafeBytes(claim));
        TagsRead r = ReadTagsOf(ReadMp3Tags, file);
        EXPECT_TRUE(r.accepted);
        EXPECT_STREQ(r.tags.title, "Song");
        EXPECT_EQ(r.tags.lengthMs, -1);
        EXPECT_LE(r.handedOut, file.size() + 10);
    }
}

TEST(Mp3Tags, TagsAroundTheAudioAreReadInOrderOfTrustAndAreNoAudio)
{
    std::string ape = ApeTag({{"Cover Art (Front)", "\xFF\xD8"}, {"TITLE", "Long title"}, {"Artist", "Band"}}, 0);
    std::string v2 = Id3v2Tag(4, 0, Id3v2Frame(4, "TIT2", std::string("\x03" "Front", 6)));
    const struct {
        std::string head;
        std::string tail;
        const char* title;
        const char* artist;
    } cases[] = {
        {"", Id3v1("Short title", "Short band"), "Short title", "Short band"},
        {"", ape, "Long title", "Band"},
        {"", ape + Id3v1("Short title", "Short band"), "Long title", "Band"},
        {v2, Id3v1("Short title", "Short band"), "Front", "Short band"},
        // Some writers put the APEv2 tag in front.
        {ape, Id3v1("Short title", "Short band"), "Long title", "Band"},
    };
    std::string audio = Frames(V1_L3_128, 100);
    int64_t bare = ReadTagsOf(ReadMp3Tags, audio).tags.lengthMs;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TagsRead r = ReadTagsOf(ReadMp3Tags, c.head + audio + c.tail);
        EXPECT_TRUE(r.accepted);
        EXPECT_STREQ(r.tags.title, c.title);
        EXPECT_STREQ(r.tags.artist, c.artist);
        EXPECT_EQ(r.tags.lengthMs, bare);
    }
}

TEST(Mp3Tags, OnlyAnMp3IsRecognisedAndOtherFilesAreLeftAfterASmallRead)
{
    std::string late = std::string(5000, '\0') + Frames(V1_L3_128, 10);
    const std::string others[] = {
        "",
        std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(100000, '\0'),
        Frame(V1_L3_128) + std::string(100000, '\0'),  // one header, nothing chained to it
        late,                                         // no frame early enough
        Id3v2Tag(3, 0, Id3v2Frame(3, "TIT2", std::string("\0Song", 5))) + "fLaC" + std::string(100, '\0'),
    };
    for (const std::string& other : others) {
        TagsRead r = ReadTagsOf(ReadMp3Tags, other);
        EXPECT_FALSE(r.accepted) << other.size();
        EXPECT_LE(r.handedOut, 8u * 1024) << other.size();
    }
}
