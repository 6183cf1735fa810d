// The codec (store/Gb18030.h) against glibc's iconv with the 18 former four-byte sequences, the
// mapping its tables were made from: every two-byte and four-byte GB18030 sequence, every Unicode
// scalar value, every surrogate and the edges of malformed UTF-8, each direction on its own and
// as whole texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "store/Gb18030.h"
#include "tests/store/Gb18030Iconv.h"

namespace morvelin {
namespace {

std::string Hex(std::string_view bytes) {
    std::string hex;
    for (const char byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(byte));
        hex += digits;
    }
    return hex;
}

std::string Hex(std::u16string_view units) {
    std::string hex;
    for (const char16_t unit : units) {
        char digits[6];
        std::snprintf(digits, sizeof digits, "%04X ", static_cast<unsigned>(unit));
        hex += digits;
    }
    return hex;
}

template <typename Text>
std::string Shown(const std::optional<Text>& text) {
    return text ? Hex(*text) : "nullopt";
}

// Counts the inputs on which the codec and iconv differ; names the first few.
class Differences {
  public:
    template <typename Input, typename Result>
    void Compare(const Input& input, const Result& codec, const Result& iconv) {
        if (codec == iconv) {
            return;
        }
        if (++count_ <= 8) {
            listed_ += Hex(input) + "-> codec " + Shown(codec) + ", iconv " + Shown(iconv) + "\n";
        }
    }
    std::size_t count() const { return count_; }
    const std::string& listed() const { return listed_; }

  private:
    std::size_t count_ = 0;
    std::string listed_;
};

// Whole texts are compared without printing them: only where they part.
template <typename Text>
::testing::AssertionResult SameWhole(const std::optional<Text>& codec,
                                     const std::optional<Text>& iconv) {
    if (codec == iconv) {
        return ::testing::AssertionSuccess();
    }
    if (!codec || !iconv) {
        return ::testing::AssertionFailure() << (codec ? "iconv" : "the codec") << " refuses it";
    }
    std::size_t at = 0;
    while (at < codec->size() && at < iconv->size() && (*codec)[at] == (*iconv)[at]) {
        ++at;
    }
    return ::testing::AssertionFailure()
           << "they part at unit " << at << " of " << codec->size() << " and " << iconv->size();
}

std::u16string Utf16Of(char32_t c) {
    if (c < 0x10000) {
        return std::u16string(1, static_cast<char16_t>(c));
    }
    return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
            static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

// Also for surrogates, as a lax encoder would write them.
std::string Utf8Of(char32_t c) {
    const auto byte = [](char32_t value) { return static_cast<char>(value); };
    if (c < 0x80) {
        return std::string(1, byte(c));
    }
    if (c < 0x800) {
        return {byte(0xC0 | c >> 6), byte(0x80 | (c & 0x3F))};
    }
    if (c < 0x10000) {
        return {byte(0xE0 | c >> 12), byte(0x80 | (c >> 6 & 0x3F)), byte(0x80 | (c & 0x3F))};
    }
    return {byte(0xF0 | c >> 18), byte(0x80 | (c >> 12 & 0x3F)), byte(0x80 | (c >> 6 & 0x3F)),
            byte(0x80 | (c & 0x3F))};
}

class Gb18030MatchesIconv : public ::testing::Test {
  protected:
    // Compares the decoding of each sequence that `forEach` hands its visitor alone, in UTF-16,
    // and collects the valid ones into one text that is then compared whole in UTF-8 and UTF-16.
    template <typename ForEach>
    void CompareDecoding(ForEach forEach) {
        Differences differences;
        std::string valid;
        forEach([&](const std::string& sequence) {
            const std::optional<std::u16string> codec = Gb18030ToUtf16(sequence);
            differences.Compare(sequence, codec, iconv.Gb18030ToUtf16(sequence));
            if (codec) {
                valid += sequence;
            }
        });
        EXPECT_EQ(differences.count(), 0u) << differences.listed();
        EXPECT_FALSE(valid.empty());
        EXPECT_TRUE(SameWhole(Gb18030ToUtf8(valid), iconv.Gb18030ToUtf8(valid)));
        EXPECT_TRUE(SameWhole(Gb18030ToUtf16(valid), iconv.Gb18030ToUtf16(valid)));
    }

    Gb18030Iconv iconv;
};

TEST_F(Gb18030MatchesIconv, DecodesEveryTwoByteSequenceAlike) {
    CompareDecoding([](const auto& visit) {
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int trail = 0; trail <= 0xFF; ++trail) {
                visit({static_cast<char>(lead), static_cast<char>(trail)});
            }
        }
    });
}

TEST_F(Gb18030MatchesIconv, DecodesEveryFourByteSequenceAlike) {
    CompareDecoding([](const auto& visit) {
        std::string sequence(4, '\0');
        for (int b1 = 0x81; b1 <= 0xFE; ++b1) {
            for (int b2 = 0x30; b2 <= 0x39; ++b2) {
                for (int b3 = 0x81; b3 <= 0xFE; ++b3) {
                    for (int b4 = 0x30; b4 <= 0x39; ++b4) {
                        sequence = {static_cast<char>(b1), static_cast<char>(b2),
                                    static_cast<char>(b3), static_cast<char>(b4)};
                        visit(sequence);
                    }
                }
            }
        }
    });
}

// Third and fourth bytes of every value after the first and the last first bytes of the BMP and
// of the supplementary sequences: malformed four-byte sequences, and sequences cut off.
TEST_F(Gb18030MatchesIconv, DecodesMalformedFourByteSequencesAlike) {
    CompareDecoding([](const auto& visit) {
        for (const std::string start : {"\x81\x30", "\x84\x31", "\x90\x30", "\xE3\x32"}) {
            visit(start);
            for (int b3 = 0; b3 <= 0xFF; ++b3) {
                visit(start + static_cast<char>(b3));
                for (int b4 = 0; b4 <= 0xFF; ++b4) {
                    visit(start + static_cast<char>(b3) + static_cast<char>(b4));
                }
            }
        }
    });
}

TEST_F(Gb18030MatchesIconv, EncodesEveryScalarValueAlike) {
    Differences fromUtf8;
    Differences fromUtf16;
    std::string utf8;
    std::u16string utf16;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c == 0xD800) {
            c = 0xE000;
        }
        const std::string oneUtf8 = Utf8Of(c);
        const std::u16string oneUtf16 = Utf16Of(c);
        const std::optional<std::string> codec = Utf8ToGb18030(oneUtf8);
        fromUtf8.Compare(oneUtf8, codec, iconv.Utf8ToGb18030(oneUtf8));
        fromUtf16.Compare(oneUtf16, Utf16ToGb18030(oneUtf16), iconv.Utf16ToGb18030(oneUtf16));
        if (codec) {
            utf8 += oneUtf8;
            utf16 += oneUtf16;
        }
    }
    EXPECT_EQ(fromUtf8.count(), 0u) << fromUtf8.listed();
    EXPECT_EQ(fromUtf16.count(), 0u) << fromUtf16.listed();
    EXPECT_TRUE(SameWhole(Utf8ToGb18030(utf8), iconv.Utf8ToGb18030(utf8)));
    EXPECT_TRUE(SameWhole(Utf16ToGb18030(utf16), iconv.Utf16ToGb18030(utf16)));
}

// Every surrogate: alone, before and after a character, paired the wrong way round; in UTF-8 as
// a lax encoder writes it.
TEST_F(Gb18030MatchesIconv, RefusesEverySurrogateAlike) {
    Differences differences;
    for (char16_t s = 0xD800; s < 0xE000; ++s) {
        const char16_t other = s < 0xDC00 ? u'\xDC00' : u'\xD800';
        for (const std::u16string& units : {std::u16string{s}, std::u16string{u'a', s},
                                            std::u16string{s, u'a'}, std::u16string{other, s}}) {
            differences.Compare(units, Utf16ToGb18030(units), iconv.Utf16ToGb18030(units));
        }
        const std::string utf8 = Utf8Of(s);
        differences.Compare(utf8, Utf8ToGb18030(utf8), iconv.Utf8ToGb18030(utf8));
    }
    EXPECT_EQ(differences.count(), 0u) << differences.listed();
}

// Every text of one or two bytes, and three- and four-byte texts whose later bytes are the
// values at the edges of UTF-8's ranges: overlong forms, surrogates, beyond U+10FFFF, stray and
// missing continuation bytes.
TEST_F(Gb18030MatchesIconv, RefusesMalformedUtf8Alike) {
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x81, 0x8F, 0x90,
                                   0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xF4, 0xFF};
    std::vector<std::string> texts;
    for (int b0 = 0; b0 <= 0xFF; ++b0) {
        const char first = static_cast<char>(b0);
        texts.emplace_back(1, first);
        for (int b1 = 0; b1 <= 0xFF; ++b1) {
            texts.push_back({first, static_cast<char>(b1)});
        }
        for (const unsigned char b1 : edges) {
            for (const unsigned char b2 : edges) {
                texts.push_back({first, static_cast<char>(b1), static_cast<char>(b2)});
                for (const unsigned char b3 : edges) {
                    texts.push_back({first, static_cast<char>(b1), static_cast<char>(b2),
                                     static_cast<char>(b3)});
                }
            }
        }
    }
    Differences differences;
    for (const std::string& text : texts) {
        differences.Compare(text, Utf8ToGb18030(text), iconv.Utf8ToGb18030(text));
    }
    EXPECT_EQ(differences.count(), 0u) << differences.listed();
}

}  // namespace
}  // namespace morvelin
