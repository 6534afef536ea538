// The progress text, the item name after it and the tray tip, in buffers of
// exactly their capacity so that any overrun is caught.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "playback/playback_text.h"
#include "playlist/playlist_text.h"
#include "shell/shell_text.h"

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

static int32_t TakeInt32(const uint8_t** data, size_t* size)
{
    uint32_t value = 0;
    for (int i = 0; i < 4 && *size > 0; ++i, ++*data, --*size)
        value = (value << 8) | **data;
    return static_cast<int32_t>(value);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int32_t positionMs = TakeInt32(&data, &size);
    int32_t startMs = TakeInt32(&data, &size);
    int32_t lengthMs = TakeInt32(&data, &size);
    size_t capacity = PROGRESS_TEXT_CAPACITY;
    bool cdTrack = false;
    if (size > 0) {
        // Mostly the real capacity; sometimes a small one to reach the cuts.
        cdTrack = (*data & 1) != 0;
        if (*data & 2)
            capacity = 1 + (*data >> 2);
        ++data;
        --size;
    }

    // Item texts hold at most 259 characters.
    char* raw = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(raw, data, size);
    raw[size] = '\0';
    char* item = static_cast<char*>(std::malloc(TEXT_CAPACITY));
    CopyBounded(item, TEXT_CAPACITY, raw);

    int32_t elapsed = cdTrack ? CdElapsedSeconds(positionMs, startMs) : positionMs / 1000;
    int32_t total = lengthMs / 1000;
    char* text = static_cast<char*>(std::malloc(capacity));
    FormatProgressText(text, capacity, elapsed, total);
    size_t timeLength = std::strlen(text);
    Check(timeLength < capacity);
    char reference[64];
    int full = std::snprintf(reference, sizeof reference, "%d:%02d of %d:%02d", elapsed / 60, elapsed % 60,
                             total / 60, total % 60);
    Check(std::strncmp(text, reference, timeLength) == 0);
    Check(timeLength == static_cast<size_t>(full) || timeLength == capacity - 1);

    AppendItemName(text, capacity, item);
    size_t textLength = std::strlen(text);
    Check(textLength < capacity && textLength >= timeLength);
    size_t itemLength = std::strlen(item);
    if (capacity == PROGRESS_TEXT_CAPACITY) {
        // The real buffer holds the longest time text and the longest item whole.
        Check(textLength == timeLength + 4 + itemLength);
        Check(std::memcmp(text + timeLength, " in ", 4) == 0 && std::strcmp(text + timeLength + 4, item) == 0);
    }

    char* tip = static_cast<char*>(std::malloc(TRAY_TIP_CAPACITY));
    FillTrayTip(tip, text);
    size_t tipLength = std::strlen(tip);
    Check(tipLength <= 62 && tip[TRAY_TIP_CAPACITY - 1] == '\0');
    Check(tipLength == (textLength < 62 ? textLength : 62) && std::memcmp(tip, text, tipLength) == 0);

    char* command = static_cast<char*>(std::malloc(COMMAND_CAPACITY));
    ComposePlayCommand(command, COMMAND_CAPACITY, cdTrack, startMs, lengthMs);
    Check(std::strlen(command) < COMMAND_CAPACITY);
    ComposeOpenCommand(command, COMMAND_CAPACITY, item);
    // An element with a blank is quoted, whole.
    size_t quotes = std::strchr(item, ' ') != nullptr ? 2 : 0;
    Check(std::strlen(command) == 5 + quotes + itemLength + std::strlen(" alias VireoMedia wait"));
    Check(std::memcmp(command + 5 + quotes / 2, item, itemLength) == 0);

    std::free(command);
    std::free(tip);
    std::free(text);
    std::free(item);
    std::free(raw);
    return 0;
}
