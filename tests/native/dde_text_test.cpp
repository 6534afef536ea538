#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/dde_text.h"

namespace {

struct Read {
    ExecuteForm form;
    std::string request;
};

Read ReadText(const std::string& execute, size_t capacity = EXECUTE_REQUEST_CAPACITY)
{
    char request[EXECUTE_REQUEST_CAPACITY + 8];
    std::memset(request, 'x', sizeof request);
    ExecuteForm form = ReadExecute(execute.data(), execute.size(), request, capacity);
    return Read{form, request};
}

}  // namespace

TEST(ReadExecute, EachVerbBecomesTheRequestItsCommandLineMakes)
{
    EXPECT_EQ("\"C:\\My Music\\a song.wav\"", ReadText("[add(\"C:\\My Music\\a song.wav\")]").request);
    EXPECT_EQ("/play \"C:\\Lists\\x.VireoList\"", ReadText("[play(\"C:\\Lists\\x.VireoList\")]").request);
    EXPECT_EQ("/load \"C:\\Lists\\x.VireoList\"", ReadText("[load(\"C:\\Lists\\x.VireoList\")]").request);
    // Blanks between the parts, any case, a zero ending it early.
    EXPECT_EQ("\"a.wav\"", ReadText(" [ Add ( \"a.wav\" ) ]\t").request);
    EXPECT_EQ("\"a.wav\"", ReadText(std::string("[ADD(\"a.wav\")]\0garbage", 22)).request);
    EXPECT_EQ(EXECUTE_REQUEST, ReadText("[add(\"a.wav\")]").form);
    // What the shell sends to a player it has just started with the item.
    Read nothing = ReadText(" [ ] ");
    EXPECT_EQ(EXECUTE_NOTHING, nothing.form);
    EXPECT_EQ("", nothing.request);
}

TEST(ReadExecute, AnythingElseIsRefusedWithAnEmptyRequest)
{
    const char* refused[] = {
        "", "add(\"a.wav\")", "[open(\"a.wav\")]", "[addx(\"a.wav\")]", "[add(a.wav)]", "[add(\"\")]",
        "[add(\"a.wav\")", "[add(\"a.wav\"]", "[add(\"a.wav)]", "[add(\"a.wav\") x]", "[add(\"a.wav\")]x",
        "[add(\"a.wav\")][add(\"b.wav\")]", "[add(\"a\tb.wav\")]", "[add(\"a\nb.wav\")]", "[] []", "[",
    };
    for (const char* text : refused) {
        Read read = ReadText(text);
        EXPECT_EQ(EXECUTE_REFUSED, read.form) << text;
        EXPECT_EQ("", read.request) << text;
    }
    // A UTF-16 execute handed over unconverted: its second byte ends it.
    EXPECT_EQ(EXECUTE_REFUSED, ReadText(std::string("[\0a\0d\0d\0", 8)).form);
}

TEST(ReadExecute, APathIsTakenWholeUpTo259CharactersAndOnlyWhereItFits)
{
    std::string longest(259, 'p');
    EXPECT_EQ("/play \"" + longest + "\"", ReadText("[play(\"" + longest + "\")]").request);
    EXPECT_EQ(EXECUTE_REFUSED, ReadText("[add(\"" + longest + "p\")]").form);
    // Size, not a zero, bounds an execute that has none.
    std::string cut = "[add(\"a.wav\")]";
    EXPECT_EQ(EXECUTE_REFUSED, ReadExecute(cut.data(), cut.size() - 1, nullptr, 0));
    char small[8];
    EXPECT_EQ(EXECUTE_REQUEST, ReadExecute("[add(\"abcde\")]", 14, small, sizeof small));
    EXPECT_STREQ("\"abcde\"", small);
    EXPECT_EQ(EXECUTE_REFUSED, ReadExecute("[add(\"abcdef\")]", 15, small, sizeof small));
    EXPECT_STREQ("", small);
}
