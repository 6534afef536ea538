#include <gtest/gtest.h>

#include <string>

#include "tag_source.h"

namespace {

const std::string HEADER_GUID("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string PROPERTIES_GUID("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
const std::string DESCRIPTION_GUID("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string DATA_GUID("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);

std::string Object(const std::string& guid, const std::string& body)
{
    return guid + LittleEndianBytes(24 + body.size(), 8) + body;
}

std::string Properties(uint64_t duration, uint64_t preroll, uint32_t flags)
{
    return Object(PROPERTIES_GUID, std::string(40, '\0') + LittleEndianBytes(duration, 8) +
                                       LittleEndianBytes(duration, 8) + LittleEndianBytes(preroll, 8) +
                                       LittleEndianBytes(flags, 4) + std::string(12, '\0'));
}

// UTF-16LE texts with their terminating zero, as writers leave them.
std::string Description(const std::string& title, const std::string& author)
{
    return Object(DESCRIPTION_GUID, LittleEndianBytes(title.size() + 2, 2) + LittleEndianBytes(author.size() + 2, 2) +
                                        LittleEndianBytes(2, 2) + std::string(4, '\0') + title +
                                        std::string(2, '\0') + author + std::string(2, '\0') +
                                        std::string(2, '\0'));
}

// The header's objects, then packets of packetBytes of which gap are there.
TagsRead ReadAsf(const std::string& objects, uint64_t packetBytes, uint64_t gap)
{
    std::string head = HEADER_GUID + LittleEndianBytes(30 + objects.size(), 8) + LittleEndianBytes(2, 4) + "\x01\x02" +
                       objects + DATA_GUID + LittleEndianBytes(50 + packetBytes, 8) + std::string(26, '\0');
    return ReadTagsOf(ReadAsfTags, head, gap);
}

const std::string TITLE("T\0\xED\0t\0u\0l\0o\0=\xD8\x00\xDE", 16);   // "Título" and a surrogate pair
const std::string AUTHOR("B\0a\0n\0d\0", 8);

}  // namespace

TEST(AsfTags, LengthIsThePlayDurationLessThePreroll)
{
    struct Case {
        const char* what;
        std::string objects;
        uint64_t gap;
        int64_t lengthMs;
    } cases[] = {
        {"three minutes", Properties(1815000000, 1500, 2) + Description(TITLE, AUTHOR), 9000000, 180000},
        {"the description first", Description(TITLE, AUTHOR) + Properties(1815000000, 1500, 2), 9000000, 180000},
        {"broadcast: not filled in", Properties(1815000000, 1500, 1) + Description(TITLE, AUTHOR), 9000000, -1},
        {"a preroll longer than the play", Properties(10000000, 1500, 0) + Description(TITLE, AUTHOR), 9000000, -1},
        {"packets cut short", Properties(1815000000, 1500, 2) + Description(TITLE, AUTHOR), 1000, -1},
    };
    for (const Case& c : cases) {
        TagsRead read = ReadAsf(c.objects, 9000000, c.gap);
        EXPECT_TRUE(read.accepted) << c.what;
        EXPECT_EQ(c.lengthMs, read.tags.lengthMs) << c.what;
        EXPECT_STREQ("T\xC3\xADtulo\xF0\x9F\x98\x80", read.tags.title) << c.what;
        EXPECT_STREQ("Band", read.tags.artist) << c.what;
        EXPECT_LT(read.handedOut, 500u) << c.what;
    }
}

TEST(AsfTags, ObjectsThatLieEndTheWalk)
{
    // A description whose texts claim more than it holds keeps nothing of
    // them; an object smaller than its own header ends the header.
    std::string lying = Object(DESCRIPTION_GUID, LittleEndianBytes(400, 2) + std::string(8, '\0') + TITLE);
    std::string tooSmall = DESCRIPTION_GUID + LittleEndianBytes(8, 8);
    for (const std::string& objects : {lying + Properties(1815000000, 1500, 2), tooSmall}) {
        TagsRead read = ReadAsf(objects, 9000000, 9000000);
        EXPECT_TRUE(read.accepted);
        EXPECT_STREQ("", read.tags.title);
        EXPECT_EQ(objects == tooSmall ? -1 : 180000, read.tags.lengthMs);
    }
}
