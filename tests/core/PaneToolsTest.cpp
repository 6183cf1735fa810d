#include "core/PaneTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace morvelin {
namespace {

// GB18030 bytes of the characters the cases use.
#define ZHONG "\xD6\xD0"          // 中
#define WEN "\xCE\xC4"            // 文
#define IDEO_SPACE "\xA1\xA1"     // U+3000
#define EMOJI "\x95\x32\x82\x36"  // U+1F600, a four-byte character

using Tool = std::function<PaneToolResult(std::string_view)>;

struct ToolCase {
    const char* name;
    Tool tool;
    std::string before;
    std::string after;
    std::size_t removed = 0;
};

void PrintTo(const ToolCase& c, std::ostream* os) {
    *os << c.name;
}

const Tool kTrim = TrimAndDropBlankLines;
const Tool kDedupe = DropDuplicateLines;
Tool UpTo(std::size_t n) {
    return [n](std::string_view text) { return KeepLinesUpToLength(text, n); };
}
Tool Without(std::string words) {
    return [words](std::string_view text) { return DropLinesContaining(text, words); };
}

class PaneToolTest : public ::testing::TestWithParam<ToolCase> {};

TEST_P(PaneToolTest, GivesTheText) {
    const ToolCase& c = GetParam();
    const PaneToolResult result = c.tool(c.before);
    EXPECT_EQ(result.text, c.after);
    EXPECT_EQ(result.removedLines, c.removed);
    EXPECT_EQ(result.changed, c.before != c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaneToolTest,
    ::testing::Values(
        ToolCase{"TrimEmptyPane", kTrim, "", ""},
        ToolCase{"TrimBlankAndSpaceOnlyLines", kTrim, "a\r\n\r\n  \t\r\n" IDEO_SPACE "\r\nb\r\n",
                 "a\r\nb\r\n", 3},
        ToolCase{"TrimBothEndsKeepsInnerSpaces", kTrim,
                 " \t" IDEO_SPACE "red  dress" IDEO_SPACE " \r\n", "red  dress\r\n"},
        ToolCase{"TrimLastLineWithoutBreakStaysWithout", kTrim, "a \r\n b ", "a\r\nb"},
        ToolCase{"TrimRemovedLastLineLeavesNoBreak", kTrim, "a\r\n   ", "a", 1},
        // A1 A1 inside a character pair (B0 A1, A1 41) is no ideographic space.
        ToolCase{"TrimSeesCharactersNotBytePairs", kTrim, "\xB0\xA1\xA1\x41\r\n",
                 "\xB0\xA1\xA1\x41\r\n"},
        ToolCase{"TrimKeepsFourByteCharacters", kTrim, " " EMOJI " \r\n", EMOJI "\r\n"},
        ToolCase{"DedupeKeepsFirstInOrder", kDedupe, "b\r\na\r\nb\r\nc\r\na\r\n", "b\r\na\r\nc\r\n",
                 2},
        ToolCase{"DedupeTrailingSpaceMakesADifferentLine", kDedupe, "red\r\nred \r\nred\r\n",
                 "red\r\nred \r\n", 1},
        ToolCase{"DedupeLastLineWithoutBreakEqualsAnEarlier", kDedupe, "a\r\nb\r\na", "a\r\nb", 1},
        ToolCase{"DedupeEmptyLinesCountAsEqual", kDedupe, "\r\na\r\n\r\n", "\r\na\r\n", 1},
        ToolCase{"DedupeEmptyPane", kDedupe, "", ""},
        ToolCase{"LengthExactlyAtTheLimitStays", UpTo(4), ZHONG WEN "\r\n", ZHONG WEN "\r\n"},
        ToolCase{"LengthOneByteOverGoes", UpTo(4), ZHONG WEN "a\r\nab\r\n", "ab\r\n", 1},
        ToolCase{"LengthCountsFourByteCharactersAsFour", UpTo(5), EMOJI "a\r\n" EMOJI "ab",
                 EMOJI "a", 1},
        ToolCase{"LengthZeroKeepsOnlyEmptyLines", UpTo(0), "a\r\n\r\nb\r\n", "\r\n", 2},
        ToolCase{"ExcludeAnyOfTheWords", Without("red\r\n\r\n  long \r\n"),
                 "shirt red\r\nshirt long\r\ndress short\r\n", "dress short\r\n", 2},
        ToolCase{"ExcludeChineseWord", Without(WEN), ZHONG WEN "\r\n" ZHONG "\r\n", ZHONG "\r\n",
                 1},
        // D6 D0 CE C4 holds the bytes D0 CE, which are also a character: no match across two.
        ToolCase{"ExcludeNeverMatchesAcrossCharacters", Without("\xD0\xCE"), ZHONG WEN "\r\n",
                 ZHONG WEN "\r\n"},
        ToolCase{"ExcludeFindsALaterMatchAfterAFalseOne", Without("\xD0\xCE"),
                 ZHONG WEN "\xD0\xCE\r\n", "", 1},
        ToolCase{"ExcludeWithoutWordsKeepsAll", Without(" \r\n\r\n"), "a\r\nb", "a\r\nb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaneToolsTest, TrimCountsShortenedLines) {
    const PaneToolResult result = TrimAndDropBlankLines(" a\r\nb\r\nc \r\n\r\n");
    EXPECT_EQ(result.trimmedLines, 2u);
    EXPECT_EQ(result.removedLines, 1u);
}

TEST(PaneToolsTest, CountsLinesAndLongestLine) {
    struct Case {
        std::string text;
        std::size_t lines;
        std::size_t longest;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"a\r\n", 1, 1},
        {ZHONG WEN "\r\nabc", 2, 4},
        {"a\r\n\r\n" EMOJI "x", 3, 5},
    };
    for (const Case& c : cases) {
        const PaneTextFacts facts = CountPaneText(c.text);
        EXPECT_EQ(facts.lines, c.lines) << c.text;
        EXPECT_EQ(facts.longestLine, c.longest) << c.text;
    }
}

}  // namespace
}  // namespace morvelin
