#include <gtest/gtest.h>

#include <string>

#include "tag_source.h"

namespace {

std::string Box(const std::string& type, const std::string& body)
{
    return BigEndianBytes(8 + body.size(), 4) + type + body;
}

std::string FullBox(const std::string& type, int version, const std::string& body)
{
    return Box(type, std::string(1, static_cast<char>(version)) + std::string(3, '\0') + body);
}

std::string MovieHeader(uint32_t scale, uint32_t duration)
{
    return FullBox("mvhd", 0, std::string(8, '\0') + BigEndianBytes(scale, 4) + BigEndianBytes(duration, 4) +
                                  std::string(80, '\0'));
}

// Version 1: 64-bit times.
std::string Track(const char* handler, uint32_t scale, uint64_t duration)
{
    std::string mediaHeader = FullBox("mdhd", 1, std::string(16, '\0') + BigEndianBytes(scale, 4) +
                                                     BigEndianBytes(duration, 8) + std::string(4, '\0'));
    std::string handlerBox = FullBox("hdlr", 0, std::string(4, '\0') + handler + std::string(13, '\0'));
    return Box("trak", FullBox("tkhd", 0, std::string(80, '\0')) +
                           Box("mdia", mediaHeader + handlerBox + Box("minf", std::string(64, '\0'))));
}

std::string Item(const std::string& type, uint32_t dataType, const std::string& text)
{
    return Box(type, Box("data", BigEndianBytes(dataType, 4) + std::string(4, '\0') + text));
}

std::string Tags(const std::string& title, const std::string& artist, bool fullMeta = true)
{
    std::string children = FullBox("hdlr", 0, std::string(4, '\0') + "mdir" + std::string(13, '\0')) +
                           Box("ilst", Item("\xA9too", 1, "encoder") + Item("\xA9nam", 1, title) +
                                           Item("\xA9" "ART", 1, artist));
    return Box("udta", fullMeta ? FullBox("meta", 0, children) : Box("meta", children));
}

const std::string FILE_TYPE = Box("ftyp", "M4A \0\0\0\0M4A mp42isom");
const std::string SOUND = Track("soun", 44100, 441000);
const std::string PICTURES = Track("vide", 90000, 1080000);

// The media data's header for gap bytes that follow it, 64-bit.
std::string LargeData(uint64_t gap)
{
    return BigEndianBytes(1, 4) + "mdat" + BigEndianBytes(16 + gap, 8);
}

}  // namespace

TEST(Mp4Tags, TheSoundTrackTimesTheFileWhereverTheMovieStands)
{
    const uint64_t fiveGigabytes = 5ULL << 30;
    const std::string movie = Box("moov", MovieHeader(1000, 12000) + PICTURES + SOUND + Tags("Song", "Band"));
    struct Case {
        const char* what;
        std::string head;
        uint64_t gap;
        std::string tail;
        int64_t lengthMs;
    } cases[] = {
        {"movie first", FILE_TYPE + movie + Box("mdat", ""), 0, "", 10000},
        {"no file type: the media data first", Box("wide", "") + Box("mdat", "abc") + movie, 0, "", 10000},
        {"movie past 5 GB of 64-bit media data", FILE_TYPE + LargeData(fiveGigabytes), fiveGigabytes, movie, 10000},
        {"a last box of size 0 runs to the end", FILE_TYPE + BigEndianBytes(0, 4) + "moov" + movie.substr(8), 0,
         "", 10000},
        {"no sound track: the movie header",
         FILE_TYPE + Box("moov", MovieHeader(1000, 12000) + PICTURES + Tags("Song", "Band")), 0, "", 12000},
        {"a sound track of unknown duration: the movie header",
         FILE_TYPE + Box("moov", MovieHeader(600, 7200) + Track("soun", 44100, UINT64_MAX) + Tags("Song", "Band")),
         0, "", 12000},
        {"media data cut short", FILE_TYPE + movie + LargeData(fiveGigabytes), 1000, "", -1},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadTagsOf(ReadMp4Tags, c.head, c.gap, c.tail);
        EXPECT_TRUE(read.accepted) << c.what;
        EXPECT_EQ(c.lengthMs, read.tags.lengthMs) << c.what;
        EXPECT_STREQ("Song", read.tags.title) << c.what;
        EXPECT_STREQ("Band", read.tags.artist) << c.what;
        EXPECT_LT(read.handedOut, 1000u) << c.what;
    }
}

std::string QuickTimeText(const std::string& type, const std::string& text)
{
    return Box(type, BigEndianBytes(text.size(), 2) + BigEndianBytes(0x55C4, 2) + text + "junk");
}

TEST(Mp4Tags, ItemTextsInEitherFormOfMetaInTheMovieOrATrackOrAsQuickTimeTexts)
{
    struct Case {
        std::string tags;
        const char* title;
        const char* artist;
    } cases[] = {
        {Tags("Caf\xC3\xA9 ", "\tBand", false), "Caf\xC3\xA9", "Band"},
        {Box("trak", Tags("Song", "Band")), "Song", "Band"},
        {Box("udta", QuickTimeText("\xA9nam", "Movie") + QuickTimeText("\xA9" "ART", "Crew")), "Movie", "Crew"},
        {Box("udta", FullBox("meta", 0, Box("ilst", Item("\xA9nam", 2, std::string("\0S\0o\0n\0g", 8)) +
                                                        Item("\xA9" "ART", 21, "x")))),
         "Song", ""},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadTagsOf(ReadMp4Tags, FILE_TYPE + Box("moov", MovieHeader(1000, 12000) + c.tags));
        EXPECT_STREQ(c.title, read.tags.title);
        EXPECT_STREQ(c.artist, read.tags.artist);
    }
}

TEST(Mp4Tags, BoxesThatLieEndTheWalk)
{
    // A track that claims to hold itself, and one smaller than its header.
    std::string selfHolding = Box("moov", MovieHeader(1000, 12000) + Tags("Song", "") +
                                              BigEndianBytes(0x7FFFFFFF, 4) + "trak" + SOUND);
    std::string tooSmall = Box("moov", MovieHeader(1000, 12000) + Tags("Song", "") + BigEndianBytes(4, 4) +
                                           "trak" + SOUND);
    for (const std::string& movie : {selfHolding, tooSmall}) {
        TagsRead read = ReadTagsOf(ReadMp4Tags, FILE_TYPE + movie);
        EXPECT_TRUE(read.accepted);
        EXPECT_EQ(12000, read.tags.lengthMs);
        EXPECT_STREQ("Song", read.tags.title);
    }
    EXPECT_EQ(-1, ReadTagsOf(ReadMp4Tags, FILE_TYPE + BigEndianBytes(4, 4) + "moov").tags.lengthMs);
}
