#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/playlist_text.h"

// Code page 1252 and the like: no byte opens a two-byte character.
static LeadBytes SingleByteLeads()
{
    LeadBytes leads;
    FillLeadBytes(&leads, nullptr, 0);
    return leads;
}

// Code page 932 (Japanese) as the system reports it: two lead-byte ranges,
// then zeros.
static const unsigned char CP932_RANGES[12] = {0x81, 0x9F, 0xE0, 0xFC};

TEST(EntryText, KindByLastFourCharactersIgnoringCase)
{
    EXPECT_EQ(ClassifyEntryText("C:\\Media\\Fanfare.MID"), ENTRY_MIDI);
    EXPECT_EQ(ClassifyEntryText("song.RmI"), ENTRY_MIDI);
    EXPECT_EQ(ClassifyEntryText("D:\\Music\\clip.avi"), ENTRY_VIDEO);
    EXPECT_EQ(ClassifyEntryText(".wav"), ENTRY_WAVE);
    EXPECT_EQ(ClassifyEntryText("D:\\Track05.CDA"), ENTRY_CD_TRACK);
    EXPECT_EQ(ClassifyEntryText("long name.midi"), ENTRY_OTHER);
    EXPECT_EQ(ClassifyEntryText("\"C:\\my clip.wav\""), ENTRY_OTHER);
    EXPECT_EQ(ClassifyEntryText("clip.wav "), ENTRY_OTHER);
    for (const char* shortText : {"", "w", "av", "wav"})
        EXPECT_EQ(ClassifyEntryText(shortText), ENTRY_OTHER) << shortText;
}

TEST(EntryText, DisplayNameAndCdTrack)
{
    const LeadBytes single = SingleByteLeads();
    EXPECT_STREQ(NameAfterLastBackslash("D:\\Music\\clip.avi", single), "clip.avi");
    EXPECT_STREQ(NameAfterLastBackslash("\"C:\\my clip.wav\"", single), "my clip.wav\"");
    EXPECT_STREQ(NameAfterLastBackslash("plain.wav", single), "plain.wav");
    EXPECT_STREQ(NameAfterLastBackslash("C:\\dir\\", single), "");

    int32_t track = -1;
    ASSERT_TRUE(FindCdTrackNumber("D:\\Track05.cda", &track));
    EXPECT_EQ(track, 5);
    ASSERT_TRUE(FindCdTrackNumber("E:\\Disc 2\\Track03.cda", &track));
    EXPECT_EQ(track, 2);
    ASSERT_TRUE(FindCdTrackNumber("D:\\Track0.cda", &track));
    EXPECT_EQ(track, 0);
    track = 77;
    EXPECT_FALSE(FindCdTrackNumber("D:\\Track.cda", &track));
    EXPECT_EQ(track, 77);

    char name[TEXT_CAPACITY];
    FormatCdTrackName(name, sizeof name, 5);
    EXPECT_STREQ(name, "CD track #5");
    char tiny[8];
    std::memset(tiny, 'x', sizeof tiny);
    FormatCdTrackName(tiny, sizeof tiny, 12);
    EXPECT_STREQ(tiny, "CD trac");
}

TEST(EntryText, DisplayNameNeverEndsInsideADoubleByteCharacter)
{
    LeadBytes cp932;
    FillLeadBytes(&cp932, CP932_RANGES, sizeof CP932_RANGES);
    for (int byte : {0x81, 0x9F, 0xE0, 0xFC})
        EXPECT_TRUE(cp932.lead[byte]) << byte;
    for (int byte : {0x00, 0x5C, 0x80, 0xA0, 0xDF, 0xFD, 0xFF})
        EXPECT_FALSE(cp932.lead[byte]) << byte;

    // C:\音楽\表示.wav: the second byte of 表 (0x95 0x5C) is no backslash.
    const char* path = "C:\\\x89\xB9\x8A\x79\\\x95\x5C\x8E\xA6.wav";
    EXPECT_STREQ(NameAfterLastBackslash(path, cp932), "\x95\x5C\x8E\xA6.wav");
    // Read byte by byte, as on a Western system, the name starts inside 表.
    EXPECT_STREQ(NameAfterLastBackslash(path, SingleByteLeads()), "\x8E\xA6.wav");
    // A folder whose name ends in such a character, and no folder at all.
    EXPECT_STREQ(NameAfterLastBackslash("D:\\\x83\x5C\\clip.mid", cp932), "clip.mid");
    EXPECT_STREQ(NameAfterLastBackslash("\x94\x5C.wav", cp932), "\x94\x5C.wav");
    // A text cut after a lead byte ends with that byte alone.
    EXPECT_STREQ(NameAfterLastBackslash("C:\\dir\\\x95", cp932), "\x95");

    // A range list without its closing zeros is read to its size and no further.
    const unsigned char oneRange[2] = {0xA1, 0xFE};
    LeadBytes cp936;
    FillLeadBytes(&cp936, oneRange, sizeof oneRange);
    EXPECT_TRUE(cp936.lead[0xA1] && cp936.lead[0xFE]);
    EXPECT_FALSE(cp936.lead[0xA0] || cp936.lead[0xFF] || cp936.lead[0x81]);
}

// Runs a whole file through the header test and the line loop the way the
// loader does; header reports whether the header matched.
static std::vector<std::string> PlaylistLines(const std::string& file, bool* header = nullptr)
{
    std::vector<char> buffer(file.begin(), file.end());
    buffer.push_back('\0');
    char* text = buffer.data();
    std::vector<std::string> lines;
    bool matched = HasPlaylistHeader(text);
    if (header != nullptr)
        *header = matched;
    if (!matched)
        return lines;
    char* end = text + file.size();
    char* cursor = FirstPlaylistLine(text, file.size());
    while (char* line = TakePlaylistLine(&cursor, end)) {
        EXPECT_TRUE(line >= text && line < end);
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(PlaylistLines, FilesAsTheWriterMakesThemReadBack)
{
    bool header = false;
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\n", &header), Lines{});
    EXPECT_TRUE(header);
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\r\nC:\\B.MID\r\n"), (Lines{"C:\\A.WAV", "C:\\B.MID"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\r\nC:\\LAST.WAV"), (Lines{"C:\\A.WAV", "C:\\LAST.WAV"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]x"), Lines{});
}

TEST(PlaylistLines, OtherLineEndingsGiveTheKnownTexts)
{
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\r\n\r\nC:\\B.WAV\r\n"), (Lines{"C:\\A.WAV", "\r\nC:\\B.WAV"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\r\n\r\n"), (Lines{"C:\\A.WAV", "\r\n"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\nC:\\A.WAV\nC:\\B.WAV\n"), (Lines{":\\A.WAV\nC:\\B.WAV\n"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\rC:\\B.WAV\r\n"), (Lines{"C:\\A.WAV", ":\\B.WAV"}));
    EXPECT_EQ(PlaylistLines(std::string("[VIREO 1.0]\r\nC:\\A.WAV\r\nC:\\B\0.WAV\r\nC:\\C.WAV\r\n", 44)),
              (Lines{"C:\\A.WAV", "C:\\B"}));
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]  C:\\A.WAV\r\n"), (Lines{"C:\\A.WAV"}));
    // A CR as the very last byte: no skipped character after it to step past.
    EXPECT_EQ(PlaylistLines("[VIREO 1.0]\r\nC:\\A.WAV\r"), (Lines{"C:\\A.WAV"}));
}

TEST(PlaylistLines, HeaderIsExactAndComplete)
{
    for (const char* notPlaylist : {"", "[VIREO 1.0", "[vireo 1.0]\r\nC:\\A.WAV\r\n", " [VIREO 1.0]\r\n"}) {
        bool header = true;
        EXPECT_EQ(PlaylistLines(notPlaylist, &header), Lines{});
        EXPECT_FALSE(header) << notPlaylist;
    }
    EXPECT_FALSE(HasPlaylistHeader(std::string("[VIREO\0 1.0]", 12).c_str()));
}

TEST(PlaylistExtension, AppendedAlwaysAndOnlyWhenItFits)
{
    char name[TEXT_CAPACITY] = "a.VireoList";
    ASSERT_TRUE(AppendPlaylistExtension(name, sizeof name));
    EXPECT_STREQ(name, "a.VireoList.VireoList");

    // Heap buffers of exactly the capacity: ASan reports any write past it.
    const size_t fits = TEXT_CAPACITY - 1 - std::strlen(PLAYLIST_EXTENSION);
    for (size_t length : {fits, fits + 1, size_t(TEXT_CAPACITY - 1)}) {
        std::vector<char> buffer(TEXT_CAPACITY);
        std::string before(length, 'n');
        std::memcpy(buffer.data(), before.c_str(), length + 1);
        bool appended = AppendPlaylistExtension(buffer.data(), buffer.size());
        EXPECT_EQ(appended, length == fits) << length;
        EXPECT_EQ(std::string(buffer.data()), appended ? before + PLAYLIST_EXTENSION : before);
    }
}

TEST(StoredText, Utf8IsToldFromTheLegacyCodePage)
{
    EXPECT_EQ(ClassifyStoredText("C:\\Waves\\one.wav"), STORED_ASCII);
    EXPECT_EQ(ClassifyStoredText(""), STORED_ASCII);
    EXPECT_EQ(ClassifyStoredText(u8"C:\\Musik\\Café.wav"), STORED_UTF8);
    EXPECT_EQ(ClassifyStoredText(u8"D:\\日本語\\🎵 tone.wav"), STORED_UTF8);
    // Code page 1252's "é" alone, a cut sequence, overlong forms, a
    // surrogate and a code point past U+10FFFF are no UTF-8.
    for (const char* legacy : {"C:\\Caf\xE9.wav", "\xE6\x97", "x\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                               "\xF4\x90\x80\x80", "\x80", "\xFF"})
        EXPECT_EQ(ClassifyStoredText(legacy), STORED_LEGACY) << legacy;
    EXPECT_EQ(ClassifyStoredText("\xF4\x8F\xBF\xBF"), STORED_UTF8);
}

TEST(DroppedNames, ExtensionListsAreBoundedAndMatchTheLastComponentInAnyCase)
{
    // Exactly "wav\0mid\0" and the closing zero fit; ASan reports a write past it.
    std::vector<char> list(9, 'x');
    list[0] = '\0';
    EXPECT_TRUE(AddExtensionToList(list.data(), list.size(), "wav"));
    EXPECT_TRUE(AddExtensionToList(list.data(), list.size(), "WAV")) << "listed already";
    EXPECT_TRUE(AddExtensionToList(list.data(), list.size(), ""));
    EXPECT_TRUE(AddExtensionToList(list.data(), list.size(), "mid"));
    EXPECT_FALSE(AddExtensionToList(list.data(), list.size(), "a"));
    EXPECT_EQ(std::string(list.data(), list.size()), std::string("wav\0mid\0\0", 9));

    EXPECT_TRUE(HasListedExtension("C:\\Music\\Tune.MID", list.data()));
    EXPECT_TRUE(HasListedExtension("a.b.wav", list.data()));
    for (const char* name : {"C:\\My.wav\\readme", "C:\\Music\\wav", "C:\\Music\\a.", "a.wave", "a.midi", ""})
        EXPECT_FALSE(HasListedExtension(name, list.data())) << name;
    EXPECT_FALSE(HasListedExtension("a.wav", "\0"));

    EXPECT_EQ(ClassifyPlaylistName("C:\\Lists\\Party.VIREOLIST"), PLAYLIST_VIREO);
    EXPECT_EQ(ClassifyPlaylistName(".VireoList"), PLAYLIST_VIREO);
    EXPECT_EQ(ClassifyPlaylistName("C:\\Lists\\Party.VireoList.txt"), PLAYLIST_NONE);
    EXPECT_EQ(ClassifyPlaylistName("VireoList"), PLAYLIST_NONE);
    EXPECT_EQ(ClassifyPlaylistName("D:\\Old\\mix.M3U"), PLAYLIST_M3U);
    EXPECT_EQ(ClassifyPlaylistName("mix.m3u8"), PLAYLIST_M3U8);
    EXPECT_EQ(ClassifyPlaylistName("\\\\server\\radio.Pls"), PLAYLIST_PLS);
    for (const char* media : {"a.m3u8x", "C:\\list.pls\\tune.wav", "a.mp3", "m3u", "a."})
        EXPECT_EQ(ClassifyPlaylistName(media), PLAYLIST_NONE) << media;
}

TEST(DroppedNames, FolderPathsJoinWithOneBackslashOrAreRefused)
{
    char path[16];
    ASSERT_TRUE(JoinFolderPath(path, sizeof path, "D:\\", "Track01.cda"));
    EXPECT_STREQ(path, "D:\\Track01.cda");
    ASSERT_TRUE(JoinFolderPath(path, sizeof path, "C:\\Music", "*"));
    EXPECT_STREQ(path, "C:\\Music\\*");
    // Heap buffers of exactly the capacity: ASan reports any write past it.
    for (size_t capacity : {size_t(12), size_t(11)}) {
        std::vector<char> out(capacity);
        EXPECT_EQ(JoinFolderPath(out.data(), out.size(), "C:\\ab", "c.wav"), capacity == 12) << capacity;
    }
}

namespace {

// The chooser's answer in a heap buffer of exactly its capacity.
std::vector<std::string> ChosenPaths(const std::string& answer, size_t capacity, size_t fileOffset, bool* whole,
                                     size_t pathCapacity = MAILBOX_CAPACITY)
{
    std::vector<char> buffer(capacity, '\x7f');
    std::memcpy(buffer.data(), answer.data(), std::min(answer.size(), capacity));
    ChosenFiles chosen;
    std::vector<std::string> paths;
    *whole = ReadChosenFiles(&chosen, buffer.data(), buffer.size(), fileOffset);
    std::vector<char> path(pathCapacity);
    while (*whole && TakeChosenFile(&chosen, path.data(), path.size()))
        paths.push_back(path.data());
    return paths;
}

}  // namespace

TEST(ChosenFiles, OnePathAFolderWithNamesOrTheOldStyleAndNothingOfACutAnswer)
{
    bool whole = false;
    const std::string several("C:\\My Music\0a.wav\0b c.mp3\0\0", 27);
    EXPECT_EQ(ChosenPaths(several, several.size(), 12, &whole),
              (std::vector<std::string>{"C:\\My Music\\a.wav", "C:\\My Music\\b c.mp3"}));
    EXPECT_TRUE(whole);
    EXPECT_EQ(ChosenPaths(std::string("D:\\\0x.wav\0\0", 11), 11, 4, &whole), std::vector<std::string>{"D:\\x.wav"});
    EXPECT_EQ(ChosenPaths(std::string("C:\\one.wav\0\0", 12), 40, 3, &whole), std::vector<std::string>{"C:\\one.wav"});
    EXPECT_EQ(ChosenPaths(std::string("C:\\one.wav\0", 11), 11, 3, &whole), std::vector<std::string>{"C:\\one.wav"});
    EXPECT_EQ(ChosenPaths(std::string("C:\\MUSIC A.WAV  BSIDE~1.WAV\0", 28), 40, 9, &whole),
              (std::vector<std::string>{"C:\\MUSIC\\A.WAV", "C:\\MUSIC\\BSIDE~1.WAV"}));
    // A name the mailbox would cut is passed over; the others still come.
    EXPECT_EQ(ChosenPaths(several, several.size(), 12, &whole, 18), std::vector<std::string>{"C:\\My Music\\a.wav"});

    // Cut short, as Wine answers a selection too large: the names without
    // their folder, or the list without its closing zero.
    for (const std::string& cut : {std::string("a.wav\0b c.mp3\0", 14), std::string("a.wav\0b c.m", 11),
                                   std::string("C:\\My Music\0a.wav\0", 18), std::string(20, 'x'), std::string()}) {
        EXPECT_EQ(ChosenPaths(cut, cut.size() + (cut.empty() ? 1 : 0), cut.empty() ? 0 : 12, &whole),
                  std::vector<std::string>{});
        EXPECT_FALSE(whole) << cut;
    }
    EXPECT_EQ(ChosenPaths(std::string("a.wav\0b.wav\0\0", 13), 13, 0, &whole), std::vector<std::string>{});
    EXPECT_FALSE(whole);
}

TEST(ChooserFilter, PatternAndPairsStayInsideTheirBuffers)
{
    std::vector<char> pattern(16, 'x');
    FormatExtensionPattern(pattern.data(), pattern.size(), "wav\0mid\0mpeg\0");
    EXPECT_STREQ(pattern.data(), "*.wav;*.mid");
    FormatExtensionPattern(pattern.data(), pattern.size(), "\0");
    EXPECT_STREQ(pattern.data(), "");

    std::vector<char> filter(13, 'x');
    size_t used = 0;
    filter[0] = '\0';
    EXPECT_TRUE(AppendFilterText(filter.data(), filter.size(), &used, "Waves"));
    EXPECT_TRUE(AppendFilterText(filter.data(), filter.size(), &used, "*.wav"));
    EXPECT_FALSE(AppendFilterText(filter.data(), filter.size(), &used, ""));
    EXPECT_EQ(std::string(filter.data(), filter.size()), std::string("Waves\0*.wav\0\0", 13));
    EXPECT_EQ(used, 12u);
}
