// The shuffle order: the playlist's entries in playing order, each handed
// out once a pass, and the program's own generator that shuffles it. It
// holds entries, not indices, so moving entries in the list changes nothing
// in it. No platform calls.
#ifndef VIREO_SHUFFLE_ORDER_H
#define VIREO_SHUFFLE_ORDER_H

#include <cstdint>

struct PlaylistEntry;

// State 1 until seeded.
void SeedRandom(uint32_t seed);
// 0 .. 32767.
int NextRandom();

// Positions up to the cursor have been handed out this pass.
struct ShuffleOrder {
    const PlaylistEntry** entries;
    int32_t count;
    int32_t capacity;
    int32_t cursor;  // the position handed out last; -1 right after a build
};
extern ShuffleOrder g_shuffleOrder;

// A fresh order of the count entries given in list order. With no memory
// for it the order is empty, which ends the pass at once.
void BuildShuffleOrderOf(const PlaylistEntry* const* listed, int32_t count);
// Moves the cursor on: the entry there, or null once the order is exhausted.
const PlaylistEntry* NextShuffledEntry();
bool ShuffleOrderExhausted();
void ClearShuffleOrder();

// An entry added during a pass joins the part not yet handed out, at a
// random place; an exhausted or cleared order takes none.
void JoinShuffleOrder(const PlaylistEntry* entry);
// A removed entry leaves the order.
void LeaveShuffleOrder(const PlaylistEntry* entry);
// An entry played out of turn counts as handed out in this pass.
void HandOutOfTurn(const PlaylistEntry* entry);
// The entry handed out just before or after this one (delta -1 or +1), or
// null: Previous and Next walk back and forth over what this pass has played.
const PlaylistEntry* ShuffledBeside(const PlaylistEntry* entry, int delta);
// Whether an entry is still to be handed out in this pass.
bool ShuffleOrderHasMore();

#endif
