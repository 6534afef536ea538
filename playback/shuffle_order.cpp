#include "shuffle_order.h"

#include <cstdlib>
#include <cstring>

// Generator state; every step wraps modulo 2^32.
static uint32_t s_randomState = 1;

ShuffleOrder g_shuffleOrder = {nullptr, 0, 0, 0};

// One draw gives 15 bits; a range wider than that takes two.
static const int32_t ONE_DRAW_RANGE = 32768;

void SeedRandom(uint32_t seed)
{
    s_randomState = seed;
}

int NextRandom()
{
    s_randomState = s_randomState * 214013u + 2531011u;
    return static_cast<int>((s_randomState >> 16) & 0x7FFFu);
}

static int32_t RandomBelow(int32_t limit)
{
    if (limit <= ONE_DRAW_RANGE)
        return NextRandom() % limit;
    int32_t high = NextRandom();
    return (high * ONE_DRAW_RANGE + NextRandom()) % limit;
}

void ClearShuffleOrder()
{
    std::free(g_shuffleOrder.entries);
    g_shuffleOrder.entries = nullptr;
    g_shuffleOrder.count = 0;
    g_shuffleOrder.capacity = 0;
    g_shuffleOrder.cursor = 0;
}

void BuildShuffleOrderOf(const PlaylistEntry* const* listed, int32_t count)
{
    if (count < 0)
        return;
    ClearShuffleOrder();
    const PlaylistEntry** entries = nullptr;
    if (count > 0)
        entries = static_cast<const PlaylistEntry**>(std::malloc(sizeof(*entries) * static_cast<size_t>(count)));
    if (entries == nullptr)
        count = 0;
    g_shuffleOrder.entries = entries;
    g_shuffleOrder.count = count;
    g_shuffleOrder.capacity = count;
    g_shuffleOrder.cursor = -1;
    for (int32_t i = 0; i < count; ++i)
        entries[i] = listed[i];
    for (int32_t j = 1; j < count; ++j) {
        int32_t k = NextRandom() % (j + 1);
        const PlaylistEntry* swap = entries[j];
        entries[j] = entries[k];
        entries[k] = swap;
    }
}

const PlaylistEntry* NextShuffledEntry()
{
    g_shuffleOrder.cursor += 1;
    if (g_shuffleOrder.cursor < g_shuffleOrder.count)
        return g_shuffleOrder.entries[g_shuffleOrder.cursor];
    g_shuffleOrder.cursor = g_shuffleOrder.count;
    return nullptr;
}

bool ShuffleOrderExhausted()
{
    return g_shuffleOrder.cursor == g_shuffleOrder.count;
}

static int32_t PositionOf(const PlaylistEntry* entry)
{
    for (int32_t i = 0; i < g_shuffleOrder.count; ++i)
        if (g_shuffleOrder.entries[i] == entry)
            return i;
    return -1;
}

// Moves the entries from..to-1 one place on and puts entry at from.
static void InsertAt(int32_t from, const PlaylistEntry* entry)
{
    const PlaylistEntry** at = g_shuffleOrder.entries + from;
    std::memmove(at + 1, at, sizeof(*at) * static_cast<size_t>(g_shuffleOrder.count - from));
    *at = entry;
    g_shuffleOrder.count += 1;
}

static bool MakeRoomForOne()
{
    if (g_shuffleOrder.count < g_shuffleOrder.capacity)
        return true;
    int32_t capacity = g_shuffleOrder.capacity > 0 ? g_shuffleOrder.capacity * 2 : 16;
    void* grown = std::realloc(g_shuffleOrder.entries, sizeof(*g_shuffleOrder.entries) * static_cast<size_t>(capacity));
    if (grown == nullptr)
        return false;
    g_shuffleOrder.entries = static_cast<const PlaylistEntry**>(grown);
    g_shuffleOrder.capacity = capacity;
    return true;
}

void JoinShuffleOrder(const PlaylistEntry* entry)
{
    // A cleared order is exhausted too: no pass is under way.
    if (ShuffleOrderExhausted() || !MakeRoomForOne())
        return;
    int32_t first = g_shuffleOrder.cursor + 1;
    InsertAt(first + RandomBelow(g_shuffleOrder.count - first + 1), entry);
}

void LeaveShuffleOrder(const PlaylistEntry* entry)
{
    int32_t position = PositionOf(entry);
    if (position < 0)
        return;
    const PlaylistEntry** at = g_shuffleOrder.entries + position;
    std::memmove(at, at + 1, sizeof(*at) * static_cast<size_t>(g_shuffleOrder.count - position - 1));
    g_shuffleOrder.count -= 1;
    if (position <= g_shuffleOrder.cursor)
        g_shuffleOrder.cursor -= 1;
}

void HandOutOfTurn(const PlaylistEntry* entry)
{
    int32_t position = PositionOf(entry);
    int32_t next = g_shuffleOrder.cursor + 1;
    if (position < next)
        return;  // handed out already, or not in the order
    const PlaylistEntry** at = g_shuffleOrder.entries + next;
    std::memmove(at + 1, at, sizeof(*at) * static_cast<size_t>(position - next));
    *at = entry;
    g_shuffleOrder.cursor = next;
}

const PlaylistEntry* ShuffledBeside(const PlaylistEntry* entry, int delta)
{
    int32_t position = PositionOf(entry);
    if (position < 0 || position > g_shuffleOrder.cursor)
        return nullptr;
    int32_t beside = position + delta;
    if (beside < 0 || beside > g_shuffleOrder.cursor)
        return nullptr;
    return g_shuffleOrder.entries[beside];
}

bool ShuffleOrderHasMore()
{
    return g_shuffleOrder.cursor + 1 < g_shuffleOrder.count;
}
