#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "playback/playback_text.h"
#include "playlist/playlist_text.h"

TEST(ParseReplyInteger, ReadsLikeAtoiWithWrapAround)
{
    EXPECT_EQ(ParseReplyInteger("  -12a"), -12);
    EXPECT_EQ(ParseReplyInteger(""), 0);
    EXPECT_EQ(ParseReplyInteger("+7"), 7);
    EXPECT_EQ(ParseReplyInteger(" \t\n\v\f\r42"), 42);
    EXPECT_EQ(ParseReplyInteger("\b42"), 0);
    EXPECT_EQ(ParseReplyInteger("+-5"), 0);
    EXPECT_EQ(ParseReplyInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseReplyInteger("2147483648"), INT32_MIN);
    EXPECT_EQ(ParseReplyInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseReplyInteger("4294967296"), 0);
    EXPECT_EQ(ParseReplyInteger("99999999999999999999"), int32_t(UINT32_C(1661992959)));
}

TEST(MediaCommands, ComposedTextsAreExact)
{
    char command[COMMAND_CAPACITY];
    std::string longest(TEXT_CAPACITY - 1, 'P');
    ComposeOpenCommand(command, sizeof command, longest.c_str());
    EXPECT_EQ(std::string(command), "open " + longest + " alias VireoMedia wait");
    ComposeOpenCommand(command, sizeof command, CD_DEVICE_NAME);
    EXPECT_STREQ(command, "open cdaudio alias VireoMedia wait");
    // A blank would end the element: such a path is quoted, whole, even at the longest.
    longest[1] = ' ';
    ComposeOpenCommand(command, sizeof command, longest.c_str());
    EXPECT_EQ(std::string(command), "open \"" + longest + "\" alias VireoMedia wait");

    ComposePlayCommand(command, sizeof command, true, 323999, 245500);
    EXPECT_STREQ(command, "play VireoMedia from 323999 to 569499 notify");
    ComposePlayCommand(command, sizeof command, false, 323999, 245500);
    EXPECT_STREQ(command, "play VireoMedia notify");
    ComposePlayCommand(command, sizeof command, true, INT32_MIN, INT32_MIN);
    EXPECT_STREQ(command, "play VireoMedia from -2147483648 to 0 notify");
    // Going on from a kept place: a CD track within its own range.
    ComposePlayFromCommand(command, sizeof command, true, 323999, 245500, 60000);
    EXPECT_STREQ(command, "play VireoMedia from 383999 to 569499 notify");
    ComposePlayFromCommand(command, sizeof command, false, 0, 0, 61500);
    EXPECT_STREQ(command, "play VireoMedia from 61500 notify");
    ComposePlayFromCommand(command, sizeof command, false, 0, 0, 0);
    EXPECT_STREQ(command, "play VireoMedia notify");

    ComposeCdTrackQuery(command, sizeof command, CD_QUERY_ALIAS, "length", 5);
    EXPECT_STREQ(command, "status VireoCdQuery length track 5 wait");
}

TEST(ProgressText, WorkedExamples)
{
    char text[PROGRESS_TEXT_CAPACITY];
    FormatProgressText(text, sizeof text, 65432 / 1000, 200999 / 1000);
    EXPECT_STREQ(text, "1:05 of 3:20");
    // Whole seconds from whole seconds: 389 - 323, not (389000 - 323999) / 1000.
    EXPECT_EQ(CdElapsedSeconds(389000, 323999), 66);
    FormatProgressText(text, sizeof text, CdElapsedSeconds(389000, 323999), 245500 / 1000);
    EXPECT_STREQ(text, "1:06 of 4:05");
    FormatProgressText(text, sizeof text, CdElapsedSeconds(0, 323999), 245500 / 1000);
    EXPECT_STREQ(text, "-5:-23 of 4:05");
    FormatProgressText(text, sizeof text, 0, 0);
    AppendItemName(text, sizeof text, "clip.wav");
    EXPECT_STREQ(text, "0:00 of 0:00 in clip.wav");
}

TEST(ProgressText, ItemNameNeverPassesTheBuffer)
{
    std::string item(TEXT_CAPACITY - 1, 'i');
    char text[PROGRESS_TEXT_CAPACITY + 8];
    std::memset(text, '#', sizeof text);
    FormatProgressText(text, PROGRESS_TEXT_CAPACITY, INT32_MIN, INT32_MIN);
    AppendItemName(text, PROGRESS_TEXT_CAPACITY, item.c_str());
    // The longest time text and the longest item both fit whole.
    EXPECT_EQ(std::string(text).substr(std::strlen(text) - item.size()), item);
    EXPECT_EQ(text[PROGRESS_TEXT_CAPACITY], '#');

    char small[24];
    std::memset(small, '#', sizeof small);
    FormatProgressText(small, 16, 65, 200);
    AppendItemName(small, 16, item.c_str());
    EXPECT_STREQ(small, "1:05 of 3:20 in");
    EXPECT_EQ(small[16], '#');
    AppendItemName(small, 16, item.c_str());
    EXPECT_STREQ(small, "1:05 of 3:20 in");
}
