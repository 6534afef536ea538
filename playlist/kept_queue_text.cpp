#include "kept_queue_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>


const char KEPT_QUEUE_HEADER[] = "VireoQueue";
static const char LINE_END[] = "\r\n";
static const size_t NUMBER_CAPACITY = 16;

const char KEPT_QUEUE_END[] = "end";
static const struct {
    EntryKind kind;
    const char* word;
} KIND_WORDS[] = {{ENTRY_CD_TRACK, "cd"}, {ENTRY_MIDI, "midi"}, {ENTRY_WAVE, "wave"}, {ENTRY_VIDEO, "video"},
                  {ENTRY_OTHER, "other"}};

const char* KeptKindWord(EntryKind kind)
{
    for (const auto& known : KIND_WORDS)
        if (known.kind == kind)
            return known.word;
    return "other";
}

bool ReadKeptKindWord(const char* word, EntryKind* kind)
{
    for (const auto& known : KIND_WORDS)
        if (std::strcmp(word, known.word) == 0) {
            *kind = known.kind;
            return true;
        }
    return false;
}

// ---- Writing ---------------------------------------------------------------

static bool Reserve(KeptQueueText* out, size_t more)
{
    if (out->failed)
        return false;
    if (out->length + more <= out->capacity)
        return true;
    size_t capacity = out->capacity > 0 ? out->capacity : 4096;
    while (capacity < out->length + more)
        capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(out->text, capacity));
    if (grown == nullptr) {
        out->failed = true;
        return false;
    }
    out->text = grown;
    out->capacity = capacity;
    return true;
}

static void AppendBytes(KeptQueueText* out, const char* bytes, size_t count)
{
    if (Reserve(out, count)) {
        std::memcpy(out->text + out->length, bytes, count);
        out->length += count;
    }
}

static void AppendText(KeptQueueText* out, const char* text)
{
    AppendBytes(out, text, std::strlen(text));
}

// A tab, then the text with every control character as '?'.
static void AppendField(KeptQueueText* out, const char* text)
{
    size_t count = std::strlen(text);
    if (!Reserve(out, count + 1))
        return;
    char* to = out->text + out->length;
    *to++ = '\t';
    for (size_t i = 0; i < count; ++i)
        to[i] = static_cast<unsigned char>(text[i]) < 0x20 ? '?' : text[i];
    out->length += count + 1;
}

static void AppendNumber(KeptQueueText* out, long long value)
{
    char number[NUMBER_CAPACITY];
    std::snprintf(number, sizeof number, "\t%lld", value);
    AppendText(out, number);
}

void BeginKeptQueueText(KeptQueueText* out, uint32_t saved, int32_t current, int32_t positionMs)
{
    out->text = nullptr;
    out->length = 0;
    out->capacity = 0;
    out->failed = false;
    AppendText(out, KEPT_QUEUE_HEADER);
    AppendNumber(out, KEPT_QUEUE_VERSION);
    AppendText(out, LINE_END);
    AppendText(out, "saved");
    AppendNumber(out, saved);
    AppendText(out, LINE_END);
    AppendText(out, "current");
    AppendNumber(out, current);
    AppendNumber(out, positionMs);
    AppendText(out, LINE_END);
}

void AppendKeptEntry(KeptQueueText* out, const KeptEntry& entry)
{
    AppendText(out, "entry\t");
    AppendText(out, KeptKindWord(entry.kind));
    AppendField(out, entry.display);
    if (entry.kind == ENTRY_CD_TRACK) {
        AppendNumber(out, entry.startMs);
        AppendNumber(out, entry.lengthMs);
    } else {
        AppendField(out, entry.path);
    }
    AppendText(out, LINE_END);
}

void EndKeptQueueText(KeptQueueText* out)
{
    AppendText(out, KEPT_QUEUE_END);
    AppendText(out, LINE_END);
}

void FreeKeptQueueText(KeptQueueText* out)
{
    std::free(out->text);
    out->text = nullptr;
    out->length = 0;
    out->capacity = 0;
}

// ---- Reading ---------------------------------------------------------------

const char* SkipKeptMark(const char* text, size_t* length)
{
    if (*length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        *length -= 3;
        return text + 3;
    }
    return text;
}

bool HasKeptQueueHeader(const char* head, size_t length)
{
    head = SkipKeptMark(head, &length);
    size_t header = sizeof KEPT_QUEUE_HEADER - 1;
    return length > header && std::memcmp(head, KEPT_QUEUE_HEADER, header) == 0 && head[header] == '\t';
}

bool EndsWithKeptQueueEnd(const char* tail, size_t length)
{
    if (length > 0 && tail[length - 1] == '\n')
        --length;
    if (length > 0 && tail[length - 1] == '\r')
        --length;
    size_t marker = sizeof KEPT_QUEUE_END - 1;
    return length > marker && std::memcmp(tail + length - marker, KEPT_QUEUE_END, marker) == 0 &&
           tail[length - marker - 1] == '\n';
}

void FormatKeptPassedOverText(char* out, size_t capacity, unsigned long count)
{
    if (count == 1)
        std::snprintf(out, capacity, "Passed over 1 line of the kept playlist that could not be read.");
    else
        std::snprintf(out, capacity, "Passed over %lu lines of the kept playlist that could not be read.", count);
}
