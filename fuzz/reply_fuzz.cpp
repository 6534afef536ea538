// A media reply read as an integer, against two references.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "playback/playback_text.h"

static void Check(bool condition)
{
    if (!condition)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* reply = static_cast<char*>(std::malloc(size + 1));
    if (size > 0)
        std::memcpy(reply, data, size);
    reply[size] = '\0';

    int32_t value = ParseReplyInteger(reply);

    // The same reading in 64 bits, wrapped to 32 after every digit.
    const char* p = reply;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    int64_t wrapped = 0;
    size_t digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits)
        wrapped = (wrapped * 10 + (*p - '0')) % (INT64_C(1) << 32);
    if (negative)
        wrapped = ((INT64_C(1) << 32) - wrapped) % (INT64_C(1) << 32);
    if (wrapped >= (INT64_C(1) << 31))
        wrapped -= INT64_C(1) << 32;
    Check(value == wrapped);

    // Where the C library cannot overflow, it must agree after the wrap.
    if (digits <= 18) {
        uint64_t library = static_cast<uint64_t>(std::strtoll(reply, nullptr, 10));
        Check(value == static_cast<int32_t>(static_cast<uint32_t>(library)));
    }
    std::free(reply);
    return 0;
}
