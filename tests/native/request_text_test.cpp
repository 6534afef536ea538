#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/request_text.h"

TEST(CommandLineTail, DropsProgramNameAndBlanksOnly)
{
    EXPECT_STREQ(CommandLineTail("vireo.exe /play a.VireoList"), "/play a.VireoList");
    EXPECT_STREQ(CommandLineTail("\"C:\\Program Files\\vireo.exe\" x.wav"), "x.wav");
    // A quoted name ends at its closing quote even with no blank after it.
    EXPECT_STREQ(CommandLineTail("\"C:\\a b\\vireo.exe\"x.wav"), "x.wav");
    // Each character 1 to 32 ends an unquoted name and is dropped after any name.
    std::string separators;
    for (char c = 1; c <= 32; ++c) {
        separators += c;
        EXPECT_STREQ(CommandLineTail((std::string("vireo") + c + "!x").c_str()), "!x") << int(c);
    }
    EXPECT_STREQ(CommandLineTail(("\"vireo\"" + separators + "!rest").c_str()), "!rest");
    EXPECT_STREQ(CommandLineTail("vireo\t\"C:\\my clip.wav\"  \t"), "\"C:\\my clip.wav\"  \t");
    EXPECT_STREQ(CommandLineTail("vireo.exe"), "");
    EXPECT_STREQ(CommandLineTail("\"unterminated name"), "");
    EXPECT_STREQ(CommandLineTail(""), "");
}

std::string FileName(const char* request, size_t capacity = 260)
{
    char name[260];
    RequestFileName(request, name, capacity);
    return name;
}

TEST(ClassifyRequest, PrefixIsExactSixCharacters)
{
    EXPECT_EQ(ClassifyRequest("/load list.VireoList"), REQUEST_LOAD);
    EXPECT_EQ(ClassifyRequest("/play list.VireoList"), REQUEST_PLAY);
    EXPECT_EQ(ClassifyRequest("/load "), REQUEST_LOAD);
    EXPECT_EQ(FileName("/load "), "");
    EXPECT_EQ(FileName("/play  x.VireoList"), " x.VireoList");

    for (const char* media : {"/Play x", "/LOAD x", "/load", "/loadx", "/load\tx", "/pla", "", "C:\\clip.wav",
                              "C:\\My Music\\a b.wav"})
        EXPECT_EQ(ClassifyRequest(media), REQUEST_MEDIA) << media;
}

TEST(ClassifyRequest, QuotesWrapOneNameOrMakeAListOfPaths)
{
    EXPECT_EQ(ClassifyRequest("/play \"C:\\My Lists\\q.VireoList\""), REQUEST_PLAY);
    EXPECT_EQ(FileName("/play \"C:\\My Lists\\q.VireoList\""), "C:\\My Lists\\q.VireoList");
    EXPECT_EQ(ClassifyRequest("/load \"q.VireoList\" \t"), REQUEST_LOAD);
    EXPECT_EQ(FileName("/load \"q.VireoList\" \t"), "q.VireoList");
    // Not wrapped in one pair: a list of paths, as any other quoted text.
    for (const char* list : {"/load \"a\" \"b\"", "/play \"a\"x", "/play x\"", "/load \"open", "\"a.wav\"",
                             "a.wav \"b c.wav\"", "\""})
        EXPECT_EQ(ClassifyRequest(list), REQUEST_PATHS) << list;
    // A name that does not fit is refused rather than cut into another name.
    EXPECT_EQ(FileName("/load 12345", 6), "12345");
    EXPECT_EQ(FileName("/load 123456", 6), "");
    EXPECT_EQ(FileName("/load \"123456\"", 6), "");
}

std::vector<std::string> Paths(const char* request, size_t capacity = 260)
{
    std::vector<std::string> paths;
    char item[260];
    const char* cursor = request;
    while (TakeRequestPath(&cursor, item, capacity))
        paths.push_back(item);
    return paths;
}

TEST(RequestPaths, QuotedAndBareItemsInOrder)
{
    using Items = std::vector<std::string>;
    EXPECT_EQ(Paths("\"D:\\My Music\\a.wav\" D:\\b.wav \"D:\\My Music\\c.wav\""),
              (Items{"D:\\My Music\\a.wav", "D:\\b.wav", "D:\\My Music\\c.wav"}));
    // Quotes may close and open inside one item; empty items are passed over.
    EXPECT_EQ(Paths("  C:\\\"a b\"\\c.wav\t\"\"  \"\" x \"unterminated one"),
              (Items{"C:\\a b\\c.wav", "x", "unterminated one"}));
    EXPECT_EQ(Paths(""), Items{});
    EXPECT_EQ(Paths("\" \""), (Items{" "}));
    // Cut to the buffer, and the next item still found.
    EXPECT_EQ(Paths("\"abcdefgh\" ij", 5), (Items{"abcd", "ij"}));
}
