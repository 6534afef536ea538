#include "playback_text.h"

#include <cstdio>
#include <cstring>

const char MEDIA_ALIAS[] = "VireoMedia";
const char CD_QUERY_ALIAS[] = "VireoCdQuery";
const char CD_DEVICE_NAME[] = "cdaudio";

static bool IsReplySpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int32_t ParseReplyInteger(const char* reply)
{
    const char* p = reply;
    while (IsReplySpace(*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = (*p == '-');
        ++p;
    }
    // Unsigned arithmetic wraps where a signed overflow would be undefined.
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
        ++p;
    }
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

void ComposeOpenCommand(char* out, size_t capacity, const char* element)
{
    // A blank would end the element: a volume without short names keeps the
    // blanks of a stored path.
    const char* quote = std::strchr(element, ' ') != nullptr ? "\"" : "";
    std::snprintf(out, capacity, "open %s%s%s alias %s wait", quote, element, quote, MEDIA_ALIAS);
}

void ComposePlayCommand(char* out, size_t capacity, bool cdTrack, int32_t startMs, int32_t lengthMs)
{
    if (cdTrack) {
        int32_t endMs = static_cast<int32_t>(static_cast<uint32_t>(startMs) + static_cast<uint32_t>(lengthMs));
        std::snprintf(out, capacity, "play %s from %d to %d notify", MEDIA_ALIAS,
                      static_cast<int>(startMs), static_cast<int>(endMs));
    } else {
        std::snprintf(out, capacity, "play %s notify", MEDIA_ALIAS);
    }
}

void ComposePlayFromCommand(char* out, size_t capacity, bool cdTrack, int32_t startMs, int32_t lengthMs,
                            int32_t offsetMs)
{
    if (offsetMs == 0) {
        ComposePlayCommand(out, capacity, cdTrack, startMs, lengthMs);
    } else if (cdTrack) {
        uint32_t fromMs = static_cast<uint32_t>(startMs) + static_cast<uint32_t>(offsetMs);
        uint32_t toMs = static_cast<uint32_t>(startMs) + static_cast<uint32_t>(lengthMs);
        std::snprintf(out, capacity, "play %s from %d to %d notify", MEDIA_ALIAS,
                      static_cast<int>(static_cast<int32_t>(fromMs)), static_cast<int>(static_cast<int32_t>(toMs)));
    } else {
        std::snprintf(out, capacity, "play %s from %d notify", MEDIA_ALIAS, static_cast<int>(offsetMs));
    }
}

void ComposeCdTrackQuery(char* out, size_t capacity, const char* alias, const char* what, int32_t track)
{
    std::snprintf(out, capacity, "status %s %s track %d wait", alias, what, static_cast<int>(track));
}

int32_t CdElapsedSeconds(int32_t positionMs, int32_t startMs)
{
    return static_cast<int32_t>(static_cast<uint32_t>(positionMs / 1000) - static_cast<uint32_t>(startMs / 1000));
}

void FormatProgressText(char* out, size_t capacity, int32_t elapsed, int32_t total)
{
    std::snprintf(out, capacity, "%d:%02d of %d:%02d", static_cast<int>(elapsed / 60),
                  static_cast<int>(elapsed % 60), static_cast<int>(total / 60), static_cast<int>(total % 60));
}

void FormatPlaceText(char* out, size_t capacity, int32_t elapsed)
{
    std::snprintf(out, capacity, "%d:%02d", static_cast<int>(elapsed / 60), static_cast<int>(elapsed % 60));
}

void AppendItemName(char* out, size_t capacity, const char* itemText)
{
    size_t length = std::strlen(out);
    if (length + 1 >= capacity)
        return;
    std::snprintf(out + length, capacity - length, " in %s", itemText);
}
