#include "kept_place_text.h"

#include <cstdio>
#include <cstring>

static const char PLACE_TAG[] = "VireoPlace";
static const int PLACE_VERSION = 1;
static const size_t CHECK_DIGITS = 8;
// Beyond any 32-bit number, short of any overflow.
static const size_t MAX_DIGITS = 12;

// FNV-1a: a torn write leaves bytes of two records, which no longer match.
static uint32_t CheckOf(const char* bytes, size_t count)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < count; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 16777619u;
    }
    return hash;
}

void FormatKeptPlaceSlot(char* slot, const KeptPlaceRecord& record)
{
    char text[KEPT_PLACE_SLOT_SIZE + 1];
    int length = std::snprintf(text, sizeof text, "%s\t%d\t%lu\t%lu\t%ld\t%ld", PLACE_TAG, PLACE_VERSION,
                               static_cast<unsigned long>(record.saved), static_cast<unsigned long>(record.sequence),
                               static_cast<long>(record.current), static_cast<long>(record.positionMs));
    std::snprintf(text + length, sizeof text - length, "\t%08lx",
                  static_cast<unsigned long>(CheckOf(text, static_cast<size_t>(length))));
    size_t used = std::strlen(text);
    std::memset(slot, ' ', KEPT_PLACE_SLOT_SIZE);
    std::memcpy(slot, text, used);
    slot[KEPT_PLACE_SLOT_SIZE - 2] = '\r';
    slot[KEPT_PLACE_SLOT_SIZE - 1] = '\n';
}

static bool ReadDigits(const char* text, bool* negative, unsigned long long* value)
{
    *negative = *text == '-';
    if (*negative)
        ++text;
    size_t digits = 0;
    *value = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        if (digits == MAX_DIGITS)
            return false;
        *value = *value * 10 + static_cast<unsigned>(text[digits] - '0');
    }
    return digits > 0 && text[digits] == '\0';
}

bool ReadKeptNumber(const char* text, int32_t low, int32_t high, int32_t* value)
{
    bool negative = false;
    unsigned long long magnitude = 0;
    if (!ReadDigits(text, &negative, &magnitude))
        return false;
    long long number = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (number < low || number > high)
        return false;
    *value = static_cast<int32_t>(number);
    return true;
}

bool ReadKeptCount(const char* text, uint32_t* value)
{
    bool negative = false;
    unsigned long long magnitude = 0;
    if (!ReadDigits(text, &negative, &magnitude) || negative || magnitude > UINT32_MAX)
        return false;
    *value = static_cast<uint32_t>(magnitude);
    return true;
}

static bool ReadHex(const char* text, size_t length, uint32_t* value)
{
    *value = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        unsigned digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 16;
        if (digit == 16)
            return false;
        *value = *value * 16 + digit;
    }
    return true;
}

void ParseKeptPlaceSlot(const char* slot, size_t size, KeptPlaceRecord* record)
{
    record->valid = false;
    if (size != KEPT_PLACE_SLOT_SIZE || slot[size - 2] != '\r' || slot[size - 1] != '\n')
        return;
    char text[KEPT_PLACE_SLOT_SIZE];
    size_t length = size - 2;
    while (length > 0 && slot[length - 1] == ' ')
        --length;
    std::memcpy(text, slot, length);
    text[length] = '\0';
    // The check is the last field; a later version's fields lie before it.
    char* lastTab = std::strrchr(text, '\t');
    uint32_t check = 0;
    if (lastTab == nullptr || std::strlen(lastTab + 1) != CHECK_DIGITS ||
        !ReadHex(lastTab + 1, CHECK_DIGITS, &check) || check != CheckOf(text, static_cast<size_t>(lastTab - text)))
        return;
    *lastTab = '\0';
    char* fields[6];
    int count = 0;
    for (char* p = text; count < 6; ++count) {
        fields[count] = p;
        p = std::strchr(p, '\t');
        if (p == nullptr) {
            ++count;
            break;
        }
        *p++ = '\0';
    }
    uint32_t version = 0;
    record->valid = count == 6 && std::strcmp(fields[0], PLACE_TAG) == 0 && ReadKeptCount(fields[1], &version) &&
                    version > 0 && ReadKeptCount(fields[2], &record->saved) &&
                    ReadKeptCount(fields[3], &record->sequence) &&
                    ReadKeptNumber(fields[4], INT32_MIN, INT32_MAX, &record->current) &&
                    ReadKeptNumber(fields[5], INT32_MIN, INT32_MAX, &record->positionMs);
}

const KeptPlaceRecord* NewestKeptPlace(const KeptPlaceRecord* records, int count, uint32_t saved)
{
    const KeptPlaceRecord* newest = nullptr;
    for (int i = 0; i < count; ++i) {
        const KeptPlaceRecord& record = records[i];
        // The two slots hold neighbouring numbers; the difference decides
        // even where the count has wrapped.
        if (record.valid && record.saved == saved &&
            (newest == nullptr || static_cast<int32_t>(record.sequence - newest->sequence) > 0))
            newest = &record;
    }
    return newest;
}

int KeptPlaceSlotOf(uint32_t sequence)
{
    return static_cast<int>(sequence % KEPT_PLACE_SLOTS);
}
