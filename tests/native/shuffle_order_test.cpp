#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "playback/shuffle_order.h"

namespace {

// Stand-ins for entries: only their addresses are used.
char s_places[64];

const PlaylistEntry* E(int i)
{
    return reinterpret_cast<const PlaylistEntry*>(&s_places[i]);
}

void Build(int32_t count)
{
    std::vector<const PlaylistEntry*> listed;
    for (int32_t i = 0; i < count; ++i)
        listed.push_back(E(i));
    BuildShuffleOrderOf(listed.data(), count);
}

class Shuffle : public ::testing::Test {
protected:
    void TearDown() override { ClearShuffleOrder(); }
    static std::vector<int> Order()
    {
        std::vector<int> order;
        for (int32_t i = 0; i < g_shuffleOrder.count; ++i)
            order.push_back(static_cast<int>(reinterpret_cast<const char*>(g_shuffleOrder.entries[i]) - s_places));
        return order;
    }
    static int Next()
    {
        const PlaylistEntry* entry = NextShuffledEntry();
        return entry == nullptr ? -1 : static_cast<int>(reinterpret_cast<const char*>(entry) - s_places);
    }
};

}  // namespace

TEST_F(Shuffle, GeneratorSequence)
{
    SeedRandom(1);
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
    EXPECT_EQ(NextRandom(), 26500);
    SeedRandom(0);
    EXPECT_EQ(NextRandom(), 38);
}

TEST_F(Shuffle, BuildsTheKnownOrderAndDrawsCountMinusOne)
{
    SeedRandom(1);
    Build(5);
    EXPECT_EQ(Order(), (std::vector<int>{4, 1, 3, 2, 0}));
    EXPECT_EQ(g_shuffleOrder.cursor, -1);
    EXPECT_EQ(NextRandom(), 19169);  // the fifth value of state 1: four were drawn

    SeedRandom(1);
    Build(1);
    EXPECT_EQ(Order(), std::vector<int>{0});
    EXPECT_EQ(NextRandom(), 41);

    const PlaylistEntry** before = g_shuffleOrder.entries;
    BuildShuffleOrderOf(nullptr, -1);
    EXPECT_EQ(g_shuffleOrder.entries, before);
    EXPECT_EQ(g_shuffleOrder.count, 1);
}

TEST_F(Shuffle, HandsOutEachEntryOnceThenExhausts)
{
    const int32_t n = 37;
    SeedRandom(12345);
    Build(n);
    std::vector<bool> seen(n, false);
    for (int32_t i = 0; i < n; ++i) {
        int entry = Next();
        ASSERT_TRUE(entry >= 0 && entry < n);
        EXPECT_FALSE(seen[entry]);
        seen[entry] = true;
        EXPECT_FALSE(ShuffleOrderExhausted());
    }
    EXPECT_EQ(Next(), -1);
    EXPECT_TRUE(ShuffleOrderExhausted());
    EXPECT_EQ(Next(), -1);
    EXPECT_TRUE(ShuffleOrderExhausted());

    // A rebuild (under ASan a leaked first array would be reported) starts afresh.
    Build(3);
    EXPECT_EQ(g_shuffleOrder.cursor, -1);
    EXPECT_FALSE(ShuffleOrderExhausted());

    Build(0);
    EXPECT_EQ(g_shuffleOrder.count, 0);
    EXPECT_FALSE(ShuffleOrderExhausted());
    EXPECT_EQ(Next(), -1);
    EXPECT_TRUE(ShuffleOrderExhausted());

    Build(4);
    ClearShuffleOrder();
    EXPECT_EQ(g_shuffleOrder.entries, nullptr);
    EXPECT_EQ(g_shuffleOrder.cursor, 0);
    EXPECT_TRUE(ShuffleOrderExhausted());
    EXPECT_EQ(Next(), -1);
}

// Edits during a pass: a removed entry leaves, an added one joins what is
// still to come, one played out of turn counts as played; what was handed
// out stays handed out.
TEST_F(Shuffle, EditsDuringAPassKeepEachEntryOncePerPass)
{
    SeedRandom(1);
    Build(5);  // 4, 1, 3, 2, 0
    EXPECT_EQ(Next(), 4);
    EXPECT_EQ(Next(), 1);

    LeaveShuffleOrder(E(4));  // handed out: the cursor follows it back
    LeaveShuffleOrder(E(2));  // still to come
    EXPECT_EQ(Order(), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(g_shuffleOrder.cursor, 0);
    LeaveShuffleOrder(E(9));  // not in it: nothing changes
    EXPECT_EQ(Order(), (std::vector<int>{1, 3, 0}));

    HandOutOfTurn(E(0));
    EXPECT_EQ(Order(), (std::vector<int>{1, 0, 3}));
    EXPECT_EQ(g_shuffleOrder.cursor, 1);
    HandOutOfTurn(E(1));  // played already this pass: nothing changes
    EXPECT_EQ(Order(), (std::vector<int>{1, 0, 3}));
    EXPECT_EQ(g_shuffleOrder.cursor, 1);

    // Twenty joins: each lands after the cursor, none is lost, the array grows.
    for (int i = 10; i < 30; ++i)
        JoinShuffleOrder(E(i));
    ASSERT_EQ(g_shuffleOrder.count, 23);
    std::vector<int> order = Order();
    EXPECT_EQ((std::vector<int>{1, 0}), std::vector<int>(order.begin(), order.begin() + 2));
    std::vector<int> handed;
    for (int entry; (entry = Next()) >= 0;)
        handed.push_back(entry);
    EXPECT_EQ(21u, handed.size());
    for (int i : {3, 10, 29})
        EXPECT_EQ(1, std::count(handed.begin(), handed.end(), i)) << i;

    // An exhausted or cleared order takes no new entry.
    JoinShuffleOrder(E(40));
    EXPECT_EQ(g_shuffleOrder.count, 23);
    ClearShuffleOrder();
    JoinShuffleOrder(E(40));
    EXPECT_EQ(g_shuffleOrder.count, 0);
    EXPECT_EQ(g_shuffleOrder.entries, nullptr);

    // Leaving until empty, from the last position handed out.
    Build(2);
    Next();
    Next();
    LeaveShuffleOrder(E(0));
    LeaveShuffleOrder(E(1));
    EXPECT_EQ(g_shuffleOrder.count, 0);
    EXPECT_EQ(Next(), -1);
}
