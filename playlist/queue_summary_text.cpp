#include "queue_summary_text.h"

#include <cstdio>
#include <cstring>

static const size_t DURATION_CAPACITY = 32;
static const char LOWER_BOUND[] = "at least ";

void FormatDuration(char* out, size_t capacity, int64_t ms)
{
    long long seconds = ms > 0 ? ms / 1000 : 0;
    long long hours = seconds / 3600;
    if (hours > 0)
        std::snprintf(out, capacity, "%lld:%02lld:%02lld", hours, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(out, capacity, "%lld:%02lld", seconds / 60, seconds % 60);
}

// ", 12:31" or ", at least 12:31", then what follows it.
static void AppendDuration(char* out, size_t capacity, int64_t ms, bool partial, const char* after)
{
    char duration[DURATION_CAPACITY];
    FormatDuration(duration, sizeof duration, ms);
    size_t used = std::strlen(out);
    if (used < capacity)
        std::snprintf(out + used, capacity - used, ", %s%s%s", partial ? LOWER_BOUND : "", duration, after);
}

void FormatQueueSummary(char* out, size_t capacity, const QueueSummary& summary)
{
    if (capacity == 0)
        return;
    if (summary.count == 0) {
        std::snprintf(out, capacity, "No entries");
        return;
    }
    std::snprintf(out, capacity, "%lu %s", summary.count, summary.count == 1 ? "entry" : "entries");
    // Nothing known is no bound worth saying.
    if (summary.totalMs > 0 || !summary.totalPartial)
        AppendDuration(out, capacity, summary.totalMs, summary.totalPartial, "");
    if (summary.leftMs > 0 || (summary.leftMs == 0 && !summary.leftPartial))
        AppendDuration(out, capacity, summary.leftMs, summary.leftPartial, " left");
}
