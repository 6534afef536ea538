// The find box's search: the query looked for through every record's texts
// at once, each record taken at its first hit.
#include "find_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

void InitFindIndex(FindIndex* index)
{
    std::memset(index, 0, sizeof *index);
}

void FreeFindIndex(FindIndex* index)
{
    std::free(index->units);
    std::free(index->records);
    InitFindIndex(index);
}

void EmptyFindIndex(FindIndex* index)
{
    index->unitCount = 0;
    index->count = 0;
}

// Room for at least needed items of the given size, grown by halves.
static bool Reserve(void** items, size_t* capacity, size_t needed, size_t size)
{
    if (needed <= *capacity)
        return true;
    size_t grown = *capacity + *capacity / 2;
    size_t wanted = grown > needed ? grown : needed;
    if (wanted > static_cast<size_t>(-1) / size)
        return false;
    void* moved = std::realloc(*items, wanted * size);
    if (moved == NULL)
        return false;
    *items = moved;
    *capacity = wanted;
    return true;
}

bool AddFindRecord(FindIndex* index, const void* entry, const char16_t* units, size_t length)
{
    void* records = index->records;
    if (!Reserve(&records, &index->capacity, index->count + 1, sizeof(FindRecord)))
        return false;
    index->records = static_cast<FindRecord*>(records);
    void* text = index->units;
    if (length > static_cast<size_t>(-1) - index->unitCount ||
        !Reserve(&text, &index->unitCapacity, index->unitCount + length, sizeof(char16_t)))
        return false;
    index->units = static_cast<char16_t*>(text);
    if (length > 0)
        std::memcpy(index->units + index->unitCount, units, length * sizeof(char16_t));
    index->unitCount += length;
    index->records[index->count].end = index->unitCount;
    index->records[index->count].entry = entry;
    ++index->count;
    return true;
}

static size_t StartOf(const FindIndex* index, size_t position)
{
    return position > 0 ? index->records[position - 1].end : 0;
}

void RemoveFindRecord(FindIndex* index, size_t position)
{
    if (position >= index->count)
        return;
    size_t start = StartOf(index, position);
    size_t length = index->records[position].end - start;
    std::memmove(index->units + start, index->units + start + length,
                 (index->unitCount - start - length) * sizeof(char16_t));
    index->unitCount -= length;
    for (size_t r = position + 1; r < index->count; ++r) {
        index->records[r - 1].end = index->records[r].end - length;
        index->records[r - 1].entry = index->records[r].entry;
    }
    --index->count;
}

// The units turned in place, so that a move needs no memory.
void MoveFindRecord(FindIndex* index, size_t from, size_t to)
{
    if (from >= index->count || to >= index->count || from == to)
        return;
    FindRecord moved = index->records[from];
    size_t length = moved.end - StartOf(index, from);
    if (from < to) {
        size_t start = StartOf(index, from);
        size_t end = index->records[to].end;
        std::rotate(index->units + start, index->units + start + length, index->units + end);
        for (size_t r = from; r < to; ++r) {
            index->records[r].end = index->records[r + 1].end - length;
            index->records[r].entry = index->records[r + 1].entry;
        }
        index->records[to].end = end;
    } else {
        size_t start = StartOf(index, to);
        size_t end = moved.end;
        std::rotate(index->units + start, index->units + end - length, index->units + end);
        for (size_t r = from; r > to; --r) {
            index->records[r].end = index->records[r - 1].end + length;
            index->records[r].entry = index->records[r - 1].entry;
        }
        index->records[to].end = start + length;
    }
    index->records[to].entry = moved.entry;
}

static bool HoldsZero(const char16_t* query, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (query[i] == 0)
            return true;
    return false;
}

size_t FindRecords(const FindIndex* index, const char16_t* query, size_t length, size_t* found, size_t capacity)
{
    size_t matched = 0;
    if (length == 0) {
        for (size_t r = 0; r < index->count; ++r, ++matched)
            if (matched < capacity)
                found[matched] = r;
        return matched;
    }
    if (HoldsZero(query, length))
        return 0;
    const char16_t* units = index->units;
    size_t end = index->unitCount;
    size_t record = 0;
    for (size_t at = 0; at + length <= end;) {
        if (units[at] != query[0] ||
            std::memcmp(units + at + 1, query + 1, (length - 1) * sizeof(char16_t)) != 0) {
            ++at;
            continue;
        }
        while (index->records[record].end <= at)
            ++record;
        // Texts end in zeros, which no query holds; a record handed in
        // without one still keeps its hits to itself.
        if (at + length > index->records[record].end) {
            ++at;
            continue;
        }
        if (matched < capacity)
            found[matched] = record;
        ++matched;
        at = index->records[record].end;
        ++record;
    }
    return matched;
}
