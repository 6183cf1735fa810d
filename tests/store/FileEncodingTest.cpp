// The GB18030 codec under the file encodings: exact in every direction, and strict, so that a
// file it cannot carry whole is never taken for one it can.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "store/Gb18030.h"

namespace morvelin {
namespace {

using namespace std::string_literals;

struct SameTextCase {
    const char* name;
    std::string gb18030;
    std::string utf8;
    std::u16string utf16;
};

void PrintTo(const SameTextCase& c, std::ostream* out) {
    *out << c.name;
}

template <typename Text>
Text Times(int count, const Text& text) {
    Text repeated;
    for (int i = 0; i < count; ++i) {
        repeated += text;
    }
    return repeated;
}

const SameTextCase kSameText[] = {
    {"Empty", "", "", u""},
    {"AsciiWithNulAndSub", "a\0\x1a\r\n"s, "a\0\x1a\r\n"s, u"a\0\x1a\r\n"s},
    {"TwoByteHanzi", "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
    {"EuroSign", "\xA2\xE3", "\xE2\x82\xAC", u"\u20AC"},
    {"TwoByteLatin", "\xA8\xA6", "\xC3\xA9", u"\u00E9"},
    {"FourByteBmp", "\x81\x30\x89\x38", "\xC3\x9F", u"\u00DF"},
    {"Emoji", "\x94\x39\xFC\x36", "\xF0\x9F\x98\x80", u"\U0001F600"},
    {"LastBmpCharacter", "\x84\x31\xA4\x39", "\xEF\xBF\xBF", u"\uFFFF"},
    {"LastCodePoint", "\xE3\x32\x9A\x35", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    {"UserDefinedArea", "\xAA\xA1", "\xEE\x80\x80", u"\uE000"},
    // Longer than the codec's stretches, characters across their ends, larger in GB18030 than
    // in UTF-8 or UTF-16: the output grows on the way.
    {"LongMixedText", Times(70000, "\x81\x30\x89\x38\xD6\xD0" + "a\x94\x39\xFC\x36"s),
     Times(70000, "\xC3\x9F\xE4\xB8\xAD" + "a\xF0\x9F\x98\x80"s),
     Times(70000, u"\u00DF\u4E2Da\U0001F600"s)},
};

class Gb18030SameText : public ::testing::TestWithParam<SameTextCase> {};

TEST_P(Gb18030SameText, ConvertsExactlyEveryWay) {
    const SameTextCase& c = GetParam();
    EXPECT_EQ(Gb18030ToUtf8(c.gb18030), c.utf8);
    EXPECT_EQ(Utf8ToGb18030(c.utf8), c.gb18030);
    EXPECT_EQ(Gb18030ToUtf16(c.gb18030), c.utf16);
    EXPECT_EQ(Utf16ToGb18030(c.utf16), c.gb18030);
}

INSTANTIATE_TEST_SUITE_P(Texts, Gb18030SameText, ::testing::ValuesIn(kSameText),
                         [](const auto& info) { return std::string(info.param.name); });

// Sequences of the 2005 edition that the 2022 one gave to other characters; other programs, and
// the pane's codec, still write them.
TEST(Gb18030Decode, TakesTheFormerFourByteSequences) {
    const std::pair<std::string, char16_t> former[] = {{"\x82\x35\x90\x37", u'\u9FB4'},
                                                       {"\x82\x35\x91\x34", u'\u9FBB'},
                                                       {"\x84\x31\x82\x36", u'\uFE10'},
                                                       {"\x84\x31\x83\x35", u'\uFE19'}};
    for (const auto& [bytes, character] : former) {
        EXPECT_EQ(Gb18030ToUtf16("a" + bytes + "b"), u"a"s + character + u"b") << bytes;
    }
    EXPECT_EQ(Gb18030ToUtf8("\x84\x31\x82\x36"), "\xEF\xB8\x90");
}

TEST(Gb18030Strict, RefusesWhatHasNoCharacter) {
    const std::pair<const char*, std::string> badGb18030[] = {
        {"lone 0x80", "a\x80"},
        {"lone 0xFF", "a\xFF"},
        {"last lead byte", "ab\xB0"},
        {"trail byte out of range", "\x81\x7F"},
        {"four-byte cut off", "\x81\x30\x81"},
        {"four-byte unassigned", "\x84\x31\xA5\x30"},
        {"four-byte beyond Unicode", "\xE3\x32\x9A\x36"},
    };
    for (const auto& [name, bytes] : badGb18030) {
        EXPECT_EQ(Gb18030ToUtf8(bytes), std::nullopt) << name;
        EXPECT_EQ(Gb18030ToUtf16(bytes), std::nullopt) << name;
    }
    const std::pair<const char*, std::string> badUtf8[] = {
        {"Latin-1", "caf\xE9"},
        {"overlong", "\xC0\xAF"},
        {"surrogate", "\xED\xA0\x80"},
        {"cut off", "\xE4\xB8"},
        {"beyond Unicode", "\xF4\x90\x80\x80"},
    };
    for (const auto& [name, bytes] : badUtf8) {
        EXPECT_EQ(Utf8ToGb18030(bytes), std::nullopt) << name;
    }
    for (const std::u16string& units : {u"a\xD800"s, u"\xDC00z"s, u"\xDC00\xD800"s}) {
        EXPECT_EQ(Utf16ToGb18030(units), std::nullopt);
    }
}

}  // namespace
}  // namespace morvelin
