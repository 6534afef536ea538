// The queue's line: how many entries it holds, how long they play, and
// while it plays how much is left; and an entry's length in its row. No
// platform calls.
#ifndef VIREO_QUEUE_SUMMARY_TEXT_H
#define VIREO_QUEUE_SUMMARY_TEXT_H

#include <cstddef>
#include <cstdint>

// "3:02", or from an hour "1:02:03"; whole seconds, cut, not rounded.
void FormatDuration(char* out, size_t capacity, int64_t ms);

struct QueueSummary {
    unsigned long count;
    int64_t totalMs;        // of the entries whose length is known
    bool totalPartial;      // some lengths are not known yet: a lower bound
    int64_t leftMs;         // -1 while stopped
    bool leftPartial;
};
// "No entries", "1 entry, 3:02", "4 entries, at least 12:31",
// "4 entries, 12:31, 8:02 left".
const size_t QUEUE_SUMMARY_CAPACITY = 96;
void FormatQueueSummary(char* out, size_t capacity, const QueueSummary& summary);

#endif
