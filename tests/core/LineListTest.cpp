#include "core/LineList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace morvelin {
namespace {

// A lead byte: it and the byte after it form one character.
const std::string X = "\xB0";

std::vector<std::string> ItemsOf(const LineList& list) {
    std::vector<std::string> items;
    for (std::size_t p = 1; p <= list.Count(); ++p) {
        items.emplace_back(list.Item(p));
    }
    return items;
}

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> items;
    bool lastEndsInLeadByte = false;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, GivesTheItems) {
    const SplitCase& c = GetParam();
    // Split a temporary: the list must own its bytes, not point into the text.
    const LineList list = SplitLines(std::string(c.text));
    EXPECT_EQ(ItemsOf(list), c.items);
    EXPECT_EQ(list.Count(), c.items.size());
    std::size_t total = 0;
    for (const std::string& item : c.items) {
        total += item.size();
    }
    EXPECT_EQ(list.TotalItemBytes(), total);
    EXPECT_EQ(list.LastItemEndsInLeadByte(), c.lastEndsInLeadByte);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitLinesTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OneItem", "a", {"a"}},
        SplitCase{"FinalBreakAddsNoItem", "a\r\n", {"a"}},
        SplitCase{"TwoItems", "a\r\nb", {"a", "b"}},
        SplitCase{"TwoItemsFinalBreak", "a\r\nb\r\n", {"a", "b"}},
        SplitCase{"EmptyItemBetween", "a\r\n\r\nb", {"a", "", "b"}},
        SplitCase{"EmptyItemLast", "a\r\n\r\n", {"a", ""}}, SplitCase{"OnlyABreak", "\r\n", {""}},
        SplitCase{"TwoBreaks", "\r\n\r\n", {"", ""}}, SplitCase{"LeadingBreak", "\r\na", {"", "a"}},
        SplitCase{"LoneCrStays", "a\rb", {"a\rb"}}, SplitCase{"LoneLfStays", "a\nb", {"a\nb"}},
        SplitCase{"CrBeforeBreak", "a\r\r\nb", {"a\r", "b"}},
        SplitCase{"LoneCrAtEnd", "a\r", {"a\r"}},
        SplitCase{"LeadByteTakesTheCr", X + "\r\nb", {X + "\r\nb"}},
        SplitCase{"LoneLeadByteAtEnd", "a" + X, {"a" + X}, true},
        SplitCase{"NothingTrimmed", " a \r\nb", {" a ", "b"}},
        SplitCase{"RepeatedItemStays", "a\r\na", {"a", "a"}},
        // The second byte of a character may be any byte; only its position matters.
        SplitCase{"PlainSecondByte", X + "a\r\nb", {X + "a", "b"}},
        SplitCase{"WholeCharacterAtEnd", "a" + X + X, {"a" + X + X}},
        SplitCase{"LoneLeadAfterWholeCharacter", "a" + X + X + X, {"a" + X + X + X}, true},
        SplitCase{"LeadByteTakesTheFinalCr", "a" + X + "\r\n", {"a" + X + "\r\n"}},
        // Long plain runs go through the block-wise scan; breaks and lead bytes near its edges.
        SplitCase{
            "BreakInsideAPlainRun", "abcdefghij\r\nklmnopqrstu", {"abcdefghij", "klmnopqrstu"}},
        SplitCase{"LeadByteAfterAPlainRun", "abcdefghi" + X + "\r\nk", {"abcdefghi" + X + "\r\nk"}},
        SplitCase{"LoneLeadAfterAPlainRun", "abcdefghijklmnop" + X, {"abcdefghijklmnop" + X}, true},
        SplitCase{"BreakAtTheEndOfAPlainRun", "abcdefgh\r\n", {"abcdefgh"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// The byte rules applied one byte at a time, as plainly as they can be written.
std::vector<std::string> ReferenceSplit(const std::string& t, bool& lastEndsInLeadByte) {
    std::vector<std::string> items;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (t.size() - pos >= 2) {
        if (t[pos] == '\r' && t[pos + 1] == '\n') {
            items.push_back(t.substr(start, pos - start));
            pos += 2;
            start = pos;
        } else {
            pos += static_cast<unsigned char>(t[pos]) >= 0x80 ? 2 : 1;
        }
    }
    lastEndsInLeadByte = false;
    if (start < t.size()) {
        items.push_back(t.substr(start));
        lastEndsInLeadByte = pos == t.size() - 1 && static_cast<unsigned char>(t.back()) >= 0x80;
    }
    return items;
}

// The fast scan must agree with the plain rules on texts that mix long plain runs with every
// kind of awkward byte, at every offset within its eight-byte blocks.
TEST(SplitLinesProperty, AgreesWithTheByteRules) {
    const std::vector<std::string> pieces = {"a", "abcdefgh", " ",    "\r",       "\n", "\r\n",
                                             X,   "\x81",     "\xFE", "\r\n\r\n", "\t", X + "\r\n"};
    std::mt19937 random(20240611u);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::uint32_t count = random() % 16;
        for (std::uint32_t k = 0; k < count; ++k) {
            text += pieces[random() % pieces.size()];
        }
        bool lastEndsInLeadByte = false;
        const std::vector<std::string> expected = ReferenceSplit(text, lastEndsInLeadByte);
        const LineList list = SplitLines(text);
        ASSERT_EQ(ItemsOf(list), expected) << "round " << round;
        ASSERT_EQ(list.LastItemEndsInLeadByte(), lastEndsInLeadByte) << "round " << round;
    }
}

}  // namespace
}  // namespace morvelin
