#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/find_text.h"

namespace {

// An index over records whose texts are given already lowered; each
// record's texts are zero-ended as the window's side writes them.
class Find : public ::testing::Test {
protected:
    void SetUp() override { InitFindIndex(&index); }
    void TearDown() override { FreeFindIndex(&index); }

    void Add(const std::vector<std::u16string>& texts)
    {
        std::u16string units;
        for (const std::u16string& text : texts)
            units += text + u'\0';
        ASSERT_TRUE(AddFindRecord(&index, &index + index.count, units.data(), units.size()));
    }

    std::vector<size_t> Records(const std::u16string& query, size_t capacity = 100, size_t* all = nullptr)
    {
        std::vector<size_t> found(capacity);
        size_t matched = FindRecords(&index, query.data(), query.size(), found.data(), capacity);
        if (all != nullptr)
            *all = matched;
        found.resize(matched < capacity ? matched : capacity);
        return found;
    }

    // Each record's first text, and its entry's number, in order.
    std::vector<std::u16string> Texts()
    {
        std::vector<std::u16string> texts;
        for (size_t r = 0, start = 0; r < index.count; start = index.records[r++].end) {
            auto number = static_cast<const FindIndex*>(index.records[r].entry) - &index;
            texts.push_back(std::u16string(index.units + start) + u"@" + static_cast<char16_t>(u'0' + number));
        }
        return texts;
    }

    FindIndex index;
};

TEST_F(Find, EachRecordHoldingTheQueryOnceInOrder)
{
    Add({u"песня", u"c:\\музыка\\песня.wav"});
    Add({u"日本語の歌", u"d:\\歌\\song.mp3"});
    Add({u"cd track #3"});
    Add({u"evening raga", u"c:\\music\\evening\\raga.wav"});
    EXPECT_EQ((std::vector<size_t>{0}), Records(u"песн")) << "two hits in one record count once";
    EXPECT_EQ((std::vector<size_t>{1}), Records(u"歌"));
    EXPECT_EQ((std::vector<size_t>{1, 3}), Records(u"s")) << "the same hit in a later text";
    EXPECT_EQ((std::vector<size_t>{0, 1, 2, 3}), Records(u"")) << "the empty query is in every record";
    EXPECT_EQ((std::vector<size_t>{}), Records(u"evening raga.wav"));
    EXPECT_EQ(&index, index.records[0].entry);
    EXPECT_EQ(&index + 3, index.records[3].entry);

    size_t all = 0;
    EXPECT_EQ((std::vector<size_t>{0}), Records(u"a", 1, &all)) << "only as many as fit";
    EXPECT_EQ(3u, all) << "but every one counted";
    EXPECT_EQ((std::vector<size_t>{}), Records(u"", 0, &all));
    EXPECT_EQ(4u, all);
}

TEST_F(Find, NoHitSpansTwoTextsOrRecords)
{
    Add({u"ab", u"cd"});
    Add({u"ef"});
    EXPECT_EQ((std::vector<size_t>{}), Records(u"bc"));
    EXPECT_EQ((std::vector<size_t>{}), Records(u"de"));
    EXPECT_EQ((std::vector<size_t>{}), Records(std::u16string(u"b\0c", 3))) << "a query holding a zero";
    EXPECT_EQ((std::vector<size_t>{}), Records(u"abcdefg"));
    // A record handed in without its closing zero still keeps to itself.
    const char16_t bare[] = u"gh";
    ASSERT_TRUE(AddFindRecord(&index, nullptr, bare, 2));
    Add({u"ij"});
    EXPECT_EQ((std::vector<size_t>{}), Records(u"hi"));
    EXPECT_EQ((std::vector<size_t>{2}), Records(u"gh"));

    EmptyFindIndex(&index);
    EXPECT_EQ((std::vector<size_t>{}), Records(u""));
    EXPECT_EQ((std::vector<size_t>{}), Records(u"ab"));
}

// The list's removals and moves, followed in place: each record keeps its
// texts and its entry, and the search finds them where they went.
TEST_F(Find, RemovalsAndMovesKeepEachRecordWhole)
{
    for (const char16_t* name : {u"alpha", u"bravo", u"charlie", u"delta", u"echo"})
        Add({name, u"c:\\m\\" + std::u16string(name) + u".wav"});
    MoveFindRecord(&index, 0, 3);
    EXPECT_EQ((std::vector<std::u16string>{u"bravo@1", u"charlie@2", u"delta@3", u"alpha@0", u"echo@4"}), Texts());
    MoveFindRecord(&index, 4, 1);
    EXPECT_EQ((std::vector<std::u16string>{u"bravo@1", u"echo@4", u"charlie@2", u"delta@3", u"alpha@0"}), Texts());
    MoveFindRecord(&index, 2, 2);
    MoveFindRecord(&index, 5, 0);
    RemoveFindRecord(&index, 1);
    RemoveFindRecord(&index, 3);
    RemoveFindRecord(&index, 3);
    EXPECT_EQ((std::vector<std::u16string>{u"bravo@1", u"charlie@2", u"delta@3"}), Texts());
    EXPECT_EQ((std::vector<size_t>{1}), Records(u"charlie.wav")) << "found where it went";
    EXPECT_EQ(Records(u""), Records(u".wav"));
    RemoveFindRecord(&index, 0);
    RemoveFindRecord(&index, 0);
    RemoveFindRecord(&index, 0);
    EXPECT_EQ(0u, index.unitCount);
    Add({u"foxtrot"});
    EXPECT_EQ((std::vector<size_t>{0}), Records(u"trot"));
}

// A long queue: every record that holds the digits, as a plain search finds them.
TEST_F(Find, TenThousandRecordsAgreeWithAPlainSearch)
{
    std::vector<std::u16string> titles;
    for (int i = 0; i < 10000; ++i) {
        std::string number = std::to_string(i * 7919 % 100003);
        titles.push_back(std::u16string(number.begin(), number.end()));
        Add({titles.back(), u"c:\\m\\" + titles.back() + u".wav"});
    }
    for (const std::u16string query : {u"123", u"99", u"0", u"100002", u".wav"}) {
        std::vector<size_t> expected;
        for (size_t r = 0; r < titles.size(); ++r)
            if ((titles[r] + u'|' + u"c:\\m\\" + titles[r] + u".wav").find(query) != std::u16string::npos)
                expected.push_back(r);
        EXPECT_EQ(expected, Records(query, titles.size()));
    }
}

}  // namespace
