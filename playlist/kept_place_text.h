// The place in the kept queue, written apart from its entries while an
// entry plays: two slots of a fixed size at the start of a small file,
// written in turn over themselves, each with a sequence number and a check,
// so that a write cut short leaves the other slot to be read. No platform calls.
//
//   VireoPlace<TAB>1<TAB>saved<TAB>sequence<TAB>current<TAB>positionMs<TAB>check
//
// then blanks up to the slot's size, less the CR LF that ends it. The check
// is eight hex digits over the bytes before its tab; saved names the write of
// the queue the place belongs to; current and positionMs mean what the
// queue's own place line means.
#ifndef VIREO_KEPT_PLACE_TEXT_H
#define VIREO_KEPT_PLACE_TEXT_H

#include <cstddef>
#include <cstdint>

#include "kept_queue_text.h"

const size_t KEPT_PLACE_SLOT_SIZE = 96;
const int KEPT_PLACE_SLOTS = 2;

// Exactly KEPT_PLACE_SLOT_SIZE bytes, with no zero after them.
void FormatKeptPlaceSlot(char* slot, const KeptPlaceRecord& record);
// valid is false for a slot that is not one whole record of ours.
void ParseKeptPlaceSlot(const char* slot, size_t size, KeptPlaceRecord* record);
// The newest valid record of the given write, or null.
const KeptPlaceRecord* NewestKeptPlace(const KeptPlaceRecord* records, int count, uint32_t saved);
// The slot a record of this sequence number is written to.
int KeptPlaceSlotOf(uint32_t sequence);

// Decimal numbers as the kept files write them: an optional minus and
// digits, nothing else; false outside the bounds.
bool ReadKeptNumber(const char* text, int32_t low, int32_t high, int32_t* value);
bool ReadKeptCount(const char* text, uint32_t* value);

#endif
