#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "playlist/other_playlists_text.h"

namespace {

using Lines = std::vector<std::string>;

// The text in a heap buffer of its size and a zero, as the loader reads it.
struct Text {
    explicit Text(const std::string& bytes) : buffer(bytes.begin(), bytes.end())
    {
        buffer.push_back('\0');
    }
    char* begin() { return buffer.data(); }
    char* end() { return buffer.data() + buffer.size() - 1; }
    std::vector<char> buffer;
};

Lines M3uLines(const std::string& bytes)
{
    Text text(bytes);
    char* cursor = SkipByteOrderMark(text.begin(), text.end());
    Lines lines;
    TextLine line;
    while (TakeM3uPathLine(&cursor, text.end(), &line))
        lines.emplace_back(line.text, line.length);
    return lines;
}

Lines PlsValues(const std::string& bytes, PlsReading* reading)
{
    Text text(bytes);
    PlsEntry* entries = nullptr;
    size_t count = 0;
    *reading = ReadPlsEntries(text.begin(), text.end(), &entries, &count);
    Lines values;
    for (size_t i = 0; i < count; ++i)
        values.emplace_back(entries[i].value.text, entries[i].value.length);
    std::free(entries);
    return values;
}

std::string Decoded(const std::string& line, ListedForm expected = LISTED_PATH)
{
    std::vector<char> copy(line.begin(), line.end());
    copy.push_back('\0');
    TextLine listed = {copy.data(), line.size(), true};
    char out[64] = "";
    EXPECT_EQ(DecodeListedLine(listed, out, sizeof out), expected) << line;
    return out;
}

LeadBytes SingleByte()
{
    LeadBytes leads;
    FillLeadBytes(&leads, nullptr, 0);
    return leads;
}

// "" when it is refused.
std::string Resolved(const char* folder, const char* path, size_t capacity = MAILBOX_CAPACITY,
                     const LeadBytes& leads = SingleByte())
{
    std::vector<char> out(capacity, 'x');
    return ResolveListedPath(out.data(), out.size(), folder, path, leads) ? std::string(out.data()) : "";
}

}  // namespace

TEST(M3uLines, CommentsAndBlanksSkippedEveryLineEndAndTheMarkDropped)
{
    EXPECT_EQ(M3uLines("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nC:\\a.mp3\r\n\r\n  \t\r\n"
                       "b.wav\nc.wav\rd.wav\n\n  # indented comment\n  e f.wav  \t"),
              (Lines{"C:\\a.mp3", "b.wav", "c.wav", "d.wav", "e f.wav"}));
    // A mark anywhere but the start is part of the line.
    EXPECT_EQ(M3uLines("a.wav\r\n\xEF\xBB\xBF" "b.wav"), (Lines{"a.wav", "\xEF\xBB\xBF" "b.wav"}));
    EXPECT_EQ(M3uLines(""), Lines{});
    EXPECT_EQ(M3uLines("\xEF\xBB"), Lines{"\xEF\xBB"});
    EXPECT_EQ(M3uLines(std::string(100000, '#') + "\n" + std::string(5, '\n')), Lines{});
    // A zero byte stays inside its line, which the length tells.
    Lines withZero = M3uLines(std::string("a\0b.wav\nc.wav", 13));
    ASSERT_EQ(withZero.size(), 2u);
    EXPECT_EQ(withZero[0], std::string("a\0b.wav", 7));
}

TEST(PlsEntries, FileKeysInTheOrderOfTheirNumberWhateverTheFileSays)
{
    PlsReading reading = PLS_NO_MEMORY;
    const std::string pls = "\r\n  \r\n[Playlist]\r\nNumberOfEntries=2\r\nFile10=ten.wav\r\nTitle10=Ten\r\n"
                            "file2 = two.wav\r\nLength2=-1\r\nFILE3=three.wav\nFile=none.wav\nFileX=x.wav\n"
                            "File99999999999999999999999=huge.wav\nFile002=two again.wav\nFile0=zero.wav\n"
                            "Version=2\n[other]\nFile1=one.wav\nFile4\nFile5=\n";
    EXPECT_EQ(PlsValues(pls, &reading), (Lines{"zero.wav", "one.wav", "two.wav", "two again.wav", "three.wav", "",
                                               "ten.wav", "huge.wav"}));
    EXPECT_EQ(reading, PLS_READ);
    EXPECT_EQ(PlsValues("[playlist]\nNumberOfEntries=1000000\n", &reading), Lines{});
    EXPECT_EQ(reading, PLS_READ);
    for (const char* notPls : {"", "\r\n", "File1=a.wav\n[playlist]\n", "[playlist] x\nFile1=a.wav", "#EXTM3U\n"}) {
        EXPECT_EQ(PlsValues(notPls, &reading), Lines{}) << notPls;
        EXPECT_EQ(reading, PLS_NOT_A_PLAYLIST) << notPls;
    }
    EXPECT_EQ(PlsValues("\xEF\xBB\xBF[PLAYLIST]\nFile1=a.wav", &reading), Lines{"a.wav"});
}

TEST(ListedLines, FileUrlsAreDecodedAndWebAddressesToldApart)
{
    EXPECT_EQ(Decoded("file:///C:/My%20Music/a.mp3"), "C:/My Music/a.mp3");
    EXPECT_EQ(Decoded("FILE://localhost/c|/a%2eWAV"), "c:/a.WAV");
    EXPECT_EQ(Decoded("file:/D:/x.wav"), "D:/x.wav");
    EXPECT_EQ(Decoded("file://server/share/a.wav"), "\\\\server/share/a.wav");
    EXPECT_EQ(Decoded("file:////server/share/a.wav"), "//server/share/a.wav");
    EXPECT_EQ(Decoded("file://///server/share/a.wav"), "//server/share/a.wav");
    EXPECT_EQ(Decoded("file:///music/a.wav"), "/music/a.wav");
    // Escapes that are none stay as written; escaped bytes are kept for the
    // code page the caller reads them in.
    EXPECT_EQ(Decoded("file:///C:/100%zz%4"), "C:/100%zz%4");
    EXPECT_EQ(Decoded("file:///C:/Caf%C3%A9%E9"), "C:/Caf\xC3\xA9\xE9");
    EXPECT_EQ(Decoded("C:\\plain %20 path.wav"), "C:\\plain %20 path.wav");
    EXPECT_EQ(Decoded("c:relative.wav"), "c:relative.wav");
    for (const char* web : {"http://radio.example/stream", "HTTPS://x/y.mp3", "mms://x", "rtsp+tcp://x", "ab:c"})
        Decoded(web, LISTED_WEB_ADDRESS);
    for (const char* unreadable : {"", "file:", "file:///C:/a%00b.wav", "file:///C:/a%0Ab.wav", "a\tb.wav"})
        Decoded(unreadable, LISTED_UNREADABLE);
    Decoded(std::string("a\0b", 3), LISTED_UNREADABLE);
    // Exactly what fits, and one more.
    EXPECT_EQ(Decoded(std::string(63, 'a')), std::string(63, 'a'));
    Decoded(std::string(64, 'a'), LISTED_UNREADABLE);
    Decoded("file:///" + std::string(64, 'a'), LISTED_UNREADABLE);
}

TEST(ListedPaths, ResolvedAgainstThePlaylistsFolderAndStoppedAtTheRoot)
{
    const char* folder = "C:\\Music\\Lists\\";
    EXPECT_EQ(Resolved(folder, "sub\\a.wav"), "C:\\Music\\Lists\\sub\\a.wav");
    EXPECT_EQ(Resolved("C:\\Music\\Lists", "sub/./a.wav"), "C:\\Music\\Lists\\sub\\a.wav");
    EXPECT_EQ(Resolved(folder, "..\\a.wav"), "C:\\Music\\a.wav");
    EXPECT_EQ(Resolved(folder, "..\\..\\..\\..\\a.wav"), "C:\\a.wav");
    EXPECT_EQ(Resolved(folder, "\\music\\a.wav"), "C:\\music\\a.wav");
    EXPECT_EQ(Resolved(folder, "/music//a.wav"), "C:\\music\\a.wav");
    EXPECT_EQ(Resolved(folder, "D:/x/../y.wav"), "D:\\y.wav");
    EXPECT_EQ(Resolved(folder, "D:\\.."), "D:\\");
    EXPECT_EQ(Resolved(folder, "//server/share/../a.wav"), "\\\\server\\share\\a.wav");
    EXPECT_EQ(Resolved("\\\\nas\\media\\lists\\", "\\a.wav"), "\\\\nas\\media\\a.wav");
    EXPECT_EQ(Resolved("\\\\nas\\media\\lists\\", "..\\..\\..\\a.wav"), "\\\\nas\\media\\a.wav");
    // Without a full folder a relative path names nothing.
    EXPECT_EQ(Resolved("", "a.wav"), "");
    EXPECT_EQ(Resolved("lists\\", "\\a.wav"), "");
    EXPECT_EQ(Resolved("", "C:\\a.wav"), "C:\\a.wav");
    EXPECT_EQ(Resolved(folder, "\\\\\\a.wav"), "");

    // 258 characters fit the mailbox, 259 do not; a long part that a later
    // ".." takes back does not count. Heap buffers of exactly the capacity:
    // ASan reports any write past them.
    const std::string name(258 - 3, 'n');
    EXPECT_EQ(Resolved("C:\\", name.c_str()), "C:\\" + name);
    EXPECT_EQ(Resolved("C:\\", (name + "m").c_str()), "");
    EXPECT_EQ(Resolved("C:\\", (std::string(400, 'x') + "\\y\\..\\..\\a.wav").c_str()), "C:\\a.wav");
    EXPECT_EQ(Resolved("C:\\", "x\\y.wav", 3), "");
    EXPECT_EQ(Resolved("C:\\", "..", 4), "C:\\");

    // Code page 932: 0x5C as a character's second byte divides nothing.
    LeadBytes cp932;
    static const unsigned char ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    FillLeadBytes(&cp932, ranges, sizeof ranges);
    EXPECT_EQ(Resolved("C:\\\x95\\\\", "..\\\x83\\..\\a.wav", MAILBOX_CAPACITY, cp932), "C:\\\x83\\..\\a.wav");
    EXPECT_EQ(Resolved("C:\\\x95\\\\", "..\\\x83\\..\\a.wav", MAILBOX_CAPACITY, SingleByte()), "C:\\a.wav");
}

TEST(ListedPaths, PassedOverTextCountsInWords)
{
    char text[96];
    FormatPassedOverText(text, sizeof text, 1, PASSED_OVER_UNPLAYABLE);
    EXPECT_STREQ(text, "Passed over 1 line that names nothing Vireo can play.");
    FormatPassedOverText(text, sizeof text, 3, PASSED_OVER_UNPLAYABLE);
    EXPECT_STREQ(text, "Passed over 3 lines that name nothing Vireo can play.");
}

TEST(M3u, ExtinfGivesTheLengthAndTitleOfThePathAfterIt)
{
    Text text("#EXTM3U\r\n#EXTINF:215,The Quiet Tide - Harbour Bells\r\nbells.mp3\r\n"
              "#EXTINF:-1 tvg-name=\"a, b\",Radio, live\r\nhttp://radio\r\n"
              "#EXTINF:12.5,\r\n#EXTINF:99999999999,Too long\r\nlong.mp3\r\nplain.mp3\r\n#EXTINF:7\r\nbare.mp3\r\n");
    char* cursor = SkipByteOrderMark(text.begin(), text.end());
    TextLine line;
    M3uEntryInfo info;
    std::vector<std::string> seen;
    while (TakeM3uEntry(&cursor, text.end(), &line, &info))
        seen.push_back(std::string(line.text, line.length) + "|" + std::to_string(info.lengthMs) + "|" +
                       std::string(info.title != nullptr ? info.title : "", info.titleLength));
    EXPECT_EQ((Lines{"bells.mp3|215000|The Quiet Tide - Harbour Bells", "http://radio|-1|Radio, live",
                     "long.mp3|-1|Too long", "plain.mp3|-1|", "bare.mp3|7000|"}),
              seen);
}
