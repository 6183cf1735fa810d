#include "qt/TextCodec.h"

#include <gtest/gtest.h>

#include <QString>
#include <ostream>

namespace morvelin {
namespace {

const QChar kReplacement(0xFFFD);

// A text that ends inside a multi-byte character (a file cut short, a lone lead byte at the end)
// must keep a visible trace of those bytes: the decoder would otherwise hold them back for bytes
// that never come, and the next save of the pane would drop them without a sign. What follows
// the replacement character is the decoder's own business (it may decode the rest again).
struct UnfinishedEnd {
    const char* name;
    Text bytes;
    friend void PrintTo(const UnfinishedEnd& c, std::ostream* os) { *os << c.name; }
};

class TextCodecEnds : public ::testing::TestWithParam<UnfinishedEnd> {};

TEST_P(TextCodecEnds, UnfinishedSequenceAtTheEndLeavesAReplacementCharacter) {
    const QString expectedStart = QStringLiteral("ab") + kReplacement;
    EXPECT_TRUE(TextCodec::Decode(GetParam().bytes).startsWith(expectedStart));
    EXPECT_TRUE(TextCodec::ToPaneText(GetParam().bytes).starts_with("ab\xEF\xBF\xBD"));
}

INSTANTIATE_TEST_SUITE_P(Cases, TextCodecEnds,
                         ::testing::Values(UnfinishedEnd{"LoneLeadByte", "ab\x81"},
                                           UnfinishedEnd{"HalfOfAFourByteCharacter", "ab\x81\x30"},
                                           UnfinishedEnd{"ThreeOfFourBytes", "ab\x81\x30\x81"}),
                         [](const ::testing::TestParamInfo<UnfinishedEnd>& info) {
                             return info.param.name;
                         });

TEST(TextCodec, CompleteEndsDecodeAsTheyAre) {
    EXPECT_EQ(TextCodec::ToPaneText(Text("ab\xD6\xD0")), "ab\xE4\xB8\xAD");
    EXPECT_EQ(TextCodec::ToPaneText(Text("ab\r\n")), "ab\r\n");
    EXPECT_EQ(TextCodec::Decode(Text("ab\r\n")), QStringLiteral("ab\r\n"));
}

// Panes hold every line break as CR LF: lone ones become CR LF both ways, and a multi-byte
// character never hides a CR or LF byte.
TEST(TextCodec, LineBreaksBecomeCrLfBothWays) {
    struct Case {
        const char* what;
        Text file;
        std::string pane;
    };
    const Case cases[] = {
        {"CR LF kept", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"lone LF", "a\nb\n", "a\r\nb\r\n"},
        {"lone CR", "a\rb\r", "a\r\nb\r\n"},
        {"LF CR is two breaks", "a\n\rb", "a\r\n\r\nb"},
        {"Chinese beside breaks", "\xD6\xD0\n\xCE\xC4\r", "\xE4\xB8\xAD\r\n\xE6\x96\x87\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TextCodec::ToPaneText(c.file), c.pane);
        const Text saved = TextCodec::FromPaneText(c.pane);
        EXPECT_EQ(TextCodec::ToPaneText(saved), c.pane);
    }
    EXPECT_EQ(TextCodec::FromPaneText("a\nb\rc"), "a\r\nb\r\nc");
}

TEST(TextCodec, LoneLeadByteIsSavedAsTheReplacementCharacter) {
    EXPECT_EQ(TextCodec::FromPaneText(TextCodec::ToPaneText(Text("abc\x81"))),
              Text("abc\x84\x31\xA4\x37"));
}

}  // namespace
}  // namespace morvelin
