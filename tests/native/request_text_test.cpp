#include <gtest/gtest.h>

#include <string>

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

TEST(ClassifyRequest, PrefixIsExactSixCharacters)
{
    EXPECT_EQ(ClassifyRequest("/load list.VireoList"), REQUEST_LOAD);
    EXPECT_EQ(ClassifyRequest("/play list.VireoList"), REQUEST_PLAY);
    EXPECT_EQ(ClassifyRequest("/load "), REQUEST_LOAD);
    EXPECT_STREQ(RequestFileName("/load "), "");
    EXPECT_STREQ(RequestFileName("/play  x.VireoList"), " x.VireoList");
    EXPECT_STREQ(RequestFileName("/play \"q.VireoList\""), "\"q.VireoList\"");

    for (const char* media : {"/Play x", "/LOAD x", "/load", "/loadx", "/load\tx", "/pla", "", "C:\\clip.wav"})
        EXPECT_EQ(ClassifyRequest(media), REQUEST_MEDIA) << media;
}
