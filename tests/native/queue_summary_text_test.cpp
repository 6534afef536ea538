#include <gtest/gtest.h>

#include <string>

#include "playlist/queue_summary_text.h"

namespace {

std::string Summary(unsigned long count, int64_t totalMs, bool totalPartial, int64_t leftMs, bool leftPartial)
{
    char text[QUEUE_SUMMARY_CAPACITY];
    FormatQueueSummary(text, sizeof text, QueueSummary{count, totalMs, totalPartial, leftMs, leftPartial});
    return text;
}

std::string Duration(int64_t ms)
{
    char text[32];
    FormatDuration(text, sizeof text, ms);
    return text;
}

TEST(QueueSummary, SaysCountTotalAndWhatIsLeftAndWhenEachIsALowerBound)
{
    EXPECT_EQ("No entries", Summary(0, 0, false, -1, false));
    EXPECT_EQ("1 entry, 3:02", Summary(1, 182999, false, -1, false));
    EXPECT_EQ("4 entries, 12:31", Summary(4, 751000, false, -1, false));
    EXPECT_EQ("4 entries, 12:31, 8:02 left", Summary(4, 751000, false, 482000, false));
    EXPECT_EQ("4 entries, at least 12:31, at least 8:02 left", Summary(4, 751000, true, 482000, true));
    EXPECT_EQ("4 entries", Summary(4, 0, true, 0, true));
    EXPECT_EQ("10000 entries, 694:26:40", Summary(10000, 2500000000LL, false, -1, false));
    // Cut to the buffer, never past it.
    char small[8];
    FormatQueueSummary(small, sizeof small, QueueSummary{4, 751000, true, 1, true});
    EXPECT_EQ("4 entri", std::string(small));
}

TEST(QueueSummary, DurationsCountWholeSecondsAndHoursFromTheFirst)
{
    EXPECT_EQ("0:00", Duration(-5));
    EXPECT_EQ("0:59", Duration(59999));
    EXPECT_EQ("59:59", Duration(3599999));
    EXPECT_EQ("1:00:00", Duration(3600000));
}

}  // namespace
