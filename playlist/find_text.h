// Finding entries as the user types: each entry's texts lowered to UTF-16
// once, then searched for the lowered query at every key. No platform calls.
#ifndef VIREO_FIND_TEXT_H
#define VIREO_FIND_TEXT_H

#include <cstddef>

// One record per entry, in the list's order: its texts one after another,
// each ended by a zero so that no match spans two of them, and the entry it
// stands for (compared, never read).
struct FindRecord {
    size_t end;              // its units lie before this, from the last record's end on
    const void* entry;
};
struct FindIndex {
    char16_t* units;
    size_t unitCount;
    size_t unitCapacity;
    FindRecord* records;
    size_t count;
    size_t capacity;
};

void InitFindIndex(FindIndex* index);
void FreeFindIndex(FindIndex* index);
// Every record dropped; the memory is kept for the next fill.
void EmptyFindIndex(FindIndex* index);

// The entry's texts, each zero-ended, length units in all. False when
// memory ran out: the index is then as it was.
bool AddFindRecord(FindIndex* index, const void* entry, const char16_t* units, size_t length);

// The record at position dropped, those after it moving up one.
void RemoveFindRecord(FindIndex* index, size_t position);
// The record at from moved to to, as the list moves an item (to counted
// after its removal); positions past the last change nothing.
void MoveFindRecord(FindIndex* index, size_t from, size_t to);

// The records that hold the query, in order: the first capacity of them are
// written to found, and the number of all is returned. The empty query is
// in every record; one holding a zero is in none.
size_t FindRecords(const FindIndex* index, const char16_t* query, size_t length, size_t* found, size_t capacity);

#endif
