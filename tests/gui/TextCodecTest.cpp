#include "app/TextCodec.h"

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
    EXPECT_TRUE(TextCodec::ToPaneText(GetParam().bytes).startsWith(expectedStart));
}

INSTANTIATE_TEST_SUITE_P(Cases, TextCodecEnds,
                         ::testing::Values(UnfinishedEnd{"LoneLeadByte", "ab\x81"},
                                           UnfinishedEnd{"HalfOfAFourByteCharacter", "ab\x81\x30"},
                                           UnfinishedEnd{"ThreeOfFourBytes", "ab\x81\x30\x81"}),
                         [](const ::testing::TestParamInfo<UnfinishedEnd>& info) {
                             return info.param.name;
                         });

TEST(TextCodec, CompleteEndsDecodeAsTheyAre) {
    EXPECT_EQ(TextCodec::ToPaneText(Text("ab\xD6\xD0")), QStringLiteral("ab") + QChar(0x4E2D));
    EXPECT_EQ(TextCodec::ToPaneText(Text("ab\r\n")), QStringLiteral("ab\n"));
    EXPECT_EQ(TextCodec::Decode(Text("ab\r\n")), QStringLiteral("ab\r\n"));
}

TEST(TextCodec, LoneLeadByteIsSavedAsTheReplacementCharacter) {
    EXPECT_EQ(TextCodec::FromPaneText(TextCodec::ToPaneText(Text("abc\x81"))),
              Text("abc\x84\x31\xA4\x37"));
}

}  // namespace
}  // namespace morvelin
