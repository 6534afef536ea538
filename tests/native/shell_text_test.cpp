#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/shell_text.h"

TEST(BoundedCopy, KeepsCapacityLessOneAndTerminates)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    CopyBounded(buffer, 5, "abcdefgh");
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(buffer[5], '#');
    CopyBounded(buffer, 5, "ab");
    EXPECT_STREQ(buffer, "ab");
    CopyBounded(buffer, 1, "abc");
    EXPECT_STREQ(buffer, "");
    buffer[0] = '#';
    CopyBounded(buffer, 0, "abc");
    EXPECT_EQ(buffer[0], '#');
}

TEST(TrayTip, SixtyTwoCharactersOrTheDefault)
{
    char tip[TRAY_TIP_CAPACITY];
    std::string longText(100, 'x');
    longText[61] = 'L';
    std::memset(tip, '#', sizeof tip);
    FillTrayTip(tip, longText.c_str());
    EXPECT_EQ(std::string(tip), longText.substr(0, 62));
    EXPECT_EQ(tip[62], '\0');
    EXPECT_EQ(tip[63], '\0');

    FillTrayTip(tip, nullptr);
    EXPECT_STREQ(tip, "Click to start playing, right-click for settings");
    FillTrayTip(tip, "");
    EXPECT_STREQ(tip, "");
}

TEST(HelpPage, ExtensionReplacedOnlyWhenLongEnough)
{
    char path[260] = "C:\\x\\vireo.exe";
    ASSERT_TRUE(MakeHelpPagePath(path));
    EXPECT_STREQ(path, "C:\\x\\vireo.htm");
    char four[] = "a.ex";
    ASSERT_TRUE(MakeHelpPagePath(four));
    EXPECT_STREQ(four, "ahtm");
    char three[] = "exe";
    EXPECT_FALSE(MakeHelpPagePath(three));
    EXPECT_STREQ(three, "exe");
    char empty[] = "";
    EXPECT_FALSE(MakeHelpPagePath(empty));
}
