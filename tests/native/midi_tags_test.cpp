#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_source.h"

namespace {

std::string VariableLength(uint32_t value)
{
    std::string bytes(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0)
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return bytes;
}

std::string Meta(uint32_t delta, unsigned char type, const std::string& data)
{
    return VariableLength(delta) + '\xFF' + static_cast<char>(type) + VariableLength(data.size()) + data;
}

std::string Tempo(uint32_t delta, uint32_t microseconds)
{
    return Meta(delta, 0x51, BigEndianBytes(microseconds, 3));
}

std::string End(uint32_t delta)
{
    return Meta(delta, 0x2F, "");
}

std::string Track(const std::string& events)
{
    return "MTrk" + BigEndianBytes(events.size(), 4) + events;
}

std::string Song(uint16_t format, uint16_t division, const std::vector<std::string>& tracks, int declared = -1)
{
    std::string song = "MThd" + BigEndianBytes(6, 4) + BigEndianBytes(format, 2) +
                       BigEndianBytes(declared < 0 ? tracks.size() : declared, 2) + BigEndianBytes(division, 2);
    for (const std::string& track : tracks)
        song += Track(track);
    return song;
}

// Notes kept sounding by running status, and a system exclusive message.
const std::string NOTES = std::string("\x00\x90\x3C\x40\x60\x3C\x00\x00\x3E\x40", 10) +
                          std::string("\x00\xF0\x03\x7E\x7F\xF7\x60\x90\x3E\x00\x00\xC0\x05", 13);

}  // namespace

TEST(MidiTags, LengthFollowsTheMergedTempoMap)
{
    struct Case {
        const char* what;
        std::string song;
        int64_t lengthMs;
    } cases[] = {
        // Two quarters at the default tempo, two at twice its speed.
        {"a tempo change in another track than the last end",
         Song(1, 96, {Tempo(0, 500000) + Tempo(192, 250000) + End(0), NOTES + End(192)}), 1500},
        {"no tempo at all", Song(0, 96, {NOTES + End(0)}), 1000},
        {"a tempo of 0 is passed over", Song(0, 96, {Tempo(0, 0) + NOTES + End(0)}), 1000},
        {"a track without its end", Song(0, 96, {NOTES}), 1000},
        {"SMPTE: 25 frames of 40 ticks", Song(1, 0xE728, {Tempo(0, 100000) + End(2500)}), 2500},
        {"SMPTE drop frame", Song(1, 0xE364, {End(3000)}), 1001},
        // Each sequence at its own tempos, one after another.
        {"format 2", Song(2, 96, {Tempo(0, 250000) + End(192), End(192)}), 1500},
        {"past 100 hours", Song(0, 1, {Tempo(0, 0xFFFFFF) + End(0x0FFFFFFF)}), -1},
        {"a broken event", Song(0, 96, {std::string("\x00\x3C\x40", 3) + End(96)}), -1},
        {"fewer tracks than declared", Song(1, 96, {End(96)}, 2), -1},
        {"division 0", Song(0, 0, {End(96)}), -1},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadTagsOf(ReadMidiTags, c.song);
        EXPECT_TRUE(read.accepted) << c.what;
        EXPECT_EQ(c.lengthMs, read.tags.lengthMs) << c.what;
    }
}

TEST(MidiTags, TenThousandTracksMergeTheirTempoChangesInTickOrder)
{
    // Track k changes the tempo at tick 10 * (9999 - k), and the first track
    // ends last: in track order the changes run backwards.
    std::vector<std::string> tracks;
    for (uint32_t k = 0; k < 10000; ++k)
        tracks.push_back(Tempo(10 * (9999 - k), (k + 1) * 100) + End(0));
    TagsRead read = ReadTagsOf(ReadMidiTags, Song(1, 10, tracks));
    // Tick 10 j to 10 j + 10 at (10000 - j) * 100 microseconds a quarter.
    int64_t microseconds = 0;
    for (int64_t j = 0; j < 9999; ++j)
        microseconds += (10000 - j) * 100;
    EXPECT_EQ(microseconds / 1000, read.tags.lengthMs);
}

TEST(MidiTags, TheTitleIsTheFirstTracksNameOrRmidsInfo)
{
    std::string song = Song(1, 96, {Meta(0, 0x03, "Nocturne") + End(96), Meta(0, 0x03, "Piano") + End(192)});
    EXPECT_STREQ("Nocturne", ReadTagsOf(ReadMidiTags, song).tags.title);
    // RIFF RMID: the song is its data chunk; INFO's title stands first.
    TagsRead wrapped = ReadTagsOf(ReadMidiTags, Riff("RMID", Chunk("data", song + "x") + InfoList("Night", "")));
    EXPECT_TRUE(wrapped.accepted);
    EXPECT_STREQ("Night", wrapped.tags.title);
    EXPECT_EQ(1000, wrapped.tags.lengthMs);
    EXPECT_STREQ("Nocturne", ReadTagsOf(ReadMidiTags, Riff("RMID", Chunk("data", song))).tags.title);
    // Past the budget or cut short: the name, no length.
    std::string longer = Song(1, 96, {Meta(0, 0x03, "Nocturne") + End(96), NOTES + std::string(4000, '\0')});
    TagsRead overBudget = ReadTagsOf(ReadMidiTags, longer, 0, "", 1000);
    EXPECT_STREQ("Nocturne", overBudget.tags.title);
    EXPECT_EQ(-1, overBudget.tags.lengthMs);
    EXPECT_LE(overBudget.handedOut, 1000u);
    TagsRead cut = ReadTagsOf(ReadMidiTags, song.substr(0, 36));
    EXPECT_STREQ("Nocturne", cut.tags.title);
    EXPECT_EQ(-1, cut.tags.lengthMs);
}
