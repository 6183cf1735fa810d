// The program's own GB18030 codec: the tables of Gb18030Table.h and arithmetic, the same on every
// system and needing nothing from it.
#include "store/Gb18030.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "store/Gb18030Table.h"

namespace morvelin {
namespace {

using namespace gb18030;

// What the conversions look up, built once from the tables on first use.
struct Tables {
    // The character of every four-byte sequence of a BMP character.
    std::array<char16_t, kFourByteBmpSequences> fourByteBmp;
    // The sequence of every BMP character: 0 for none, a two-byte sequence as a number below
    // 0x10000 (lead byte high), a four-byte one as a number from 0x81000000 on (first byte
    // highest). Two-byte sequences win where a character has both.
    std::array<std::uint32_t, 0x10000> bmp;
    // The two-byte sequence of each kTwoByteBeyondBmp character.
    std::array<std::uint16_t, 8> beyondBmp;
};

std::uint32_t FourByteSequence(std::uint32_t index) {
    const std::uint32_t b4 = 0x30 + index % 10;
    index /= 10;
    const std::uint32_t b3 = 0x81 + index % 126;
    index /= 126;
    const std::uint32_t b2 = 0x30 + index % 10;
    const std::uint32_t b1 = 0x81 + index / 10;
    return b1 << 24 | b2 << 16 | b3 << 8 | b4;
}

std::uint16_t TwoByteSequence(std::size_t index) {
    const std::size_t trail = index % kTwoByteTrails;
    return static_cast<std::uint16_t>((0x81 + index / kTwoByteTrails) << 8 |
                                      (trail + (trail < 0x3F ? 0x40 : 0x41)));
}

std::unique_ptr<const Tables> BuildTables() {
    auto tables = std::make_unique<Tables>();
    tables->bmp.fill(0);
    for (std::size_t range = 0; range < kFourByteBmpCount; ++range) {
        const std::uint32_t first = kFourByteBmp[range].first;
        const std::uint32_t last =
            range + 1 < kFourByteBmpCount ? kFourByteBmp[range + 1].first : kFourByteBmpSequences;
        for (std::uint32_t index = first; index < last; ++index) {
            const auto character =
                static_cast<char16_t>(kFourByteBmp[range].character + (index - first));
            tables->fourByteBmp[index] = character;
            tables->bmp[character] = FourByteSequence(index);
        }
    }
    static_assert(std::tuple_size_v<decltype(Tables::beyondBmp)> >= 6);
    for (std::size_t index = 0; index < kTwoByteCount; ++index) {
        const char16_t character = kTwoByte[index];
        if (character >= 0xD800 && character < 0xE000) {
            tables->beyondBmp.at(character - 0xD800) = TwoByteSequence(index);
        } else {
            tables->bmp[character] = TwoByteSequence(index);
        }
    }
    return tables;
}

const Tables& GetTables() {
    static const std::unique_ptr<const Tables> tables = BuildTables();
    return *tables;
}

constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;

// The GB18030 character that starts at p, a byte from 0x80 on, in a text that ends at end: the
// number of its bytes, or 0 when they are no character.
inline std::size_t DecodeGb18030(const Tables& tables, const unsigned char* p,
                                 const unsigned char* end, char32_t& character) {
    const unsigned lead = p[0];
    if (lead == 0x80 || lead == 0xFF || end - p < 2) {
        return 0;
    }
    const unsigned second = p[1];
    if (second >= 0x40) {
        if (second == 0x7F || second == 0xFF) {
            return 0;
        }
        const char16_t c =
            kTwoByte[(lead - 0x81) * kTwoByteTrails + second - 0x40 - (second > 0x7F)];
        character = c >= kSurrogateFirst && c < kSurrogateEnd ? kTwoByteBeyondBmp[c - 0xD800] : c;
        return 2;
    }
    if (second < 0x30 || second > 0x39 || end - p < 4) {
        return 0;
    }
    const unsigned third = p[2];
    const unsigned fourth = p[3];
    if (third < 0x81 || third > 0xFE || fourth < 0x30 || fourth > 0x39) {
        return 0;
    }
    const std::uint32_t index =
        (((lead - 0x81) * 10 + second - 0x30) * 126 + third - 0x81) * 10 + fourth - 0x30;
    if (index < kFourByteBmpSequences) {
        character = tables.fourByteBmp[index];
        return 4;
    }
    const std::uint32_t beyond = index - kFourByteSupplementaryFirst;
    if (index >= kFourByteSupplementaryFirst && beyond < kFourByteSupplementaryCount) {
        character = 0x10000 + beyond;
        return 4;
    }
    return 0;
}

// Writes the GB18030 sequence of a Unicode scalar value from U+0080 on; nullptr when it has none.
inline char* EncodeGb18030(const Tables& tables, char32_t character, char* out) {
    std::uint32_t sequence;
    if (character < 0x10000) {
        sequence = tables.bmp[character];
        if (sequence == 0) {
            return nullptr;
        }
    } else {
        const char32_t* found =
            std::find(kTwoByteBeyondBmp, kTwoByteBeyondBmp + kTwoByteBeyondBmpCount, character);
        sequence = found != kTwoByteBeyondBmp + kTwoByteBeyondBmpCount
                       ? tables.beyondBmp[static_cast<std::size_t>(found - kTwoByteBeyondBmp)]
                       : FourByteSequence(kFourByteSupplementaryFirst + (character - 0x10000));
    }
    if (sequence > 0xFFFF) {
        out[0] = static_cast<char>(sequence >> 24);
        out[1] = static_cast<char>(sequence >> 16);
        out += 2;
    }
    out[0] = static_cast<char>(sequence >> 8);
    out[1] = static_cast<char>(sequence);
    return out + 2;
}

// The well-formed UTF-8 character that starts at p, a byte from 0x80 on: the number of its
// bytes, or 0 (an overlong form, a surrogate, beyond U+10FFFF, cut off, a stray byte).
inline std::size_t DecodeUtf8(const unsigned char* p, const unsigned char* end,
                              char32_t& character) {
    const unsigned lead = p[0];
    const auto left = end - p;
    const auto continuation = [&](std::ptrdiff_t i, unsigned low, unsigned high) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!continuation(1, 0x80, 0xBF)) {
            return 0;
        }
        character = (lead & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF) ||
            !continuation(2, 0x80, 0xBF)) {
            return 0;
        }
        character = (lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) ||
            !continuation(2, 0x80, 0xBF) || !continuation(3, 0x80, 0xBF)) {
            return 0;
        }
        character = (lead & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

inline char* EncodeUtf8(char32_t character, char* out) {
    if (character < 0x800) {
        out[0] = static_cast<char>(0xC0 | character >> 6);
        out[1] = static_cast<char>(0x80 | (character & 0x3F));
        return out + 2;
    }
    if (character < 0x10000) {
        out[0] = static_cast<char>(0xE0 | character >> 12);
        out[1] = static_cast<char>(0x80 | (character >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (character & 0x3F));
        return out + 3;
    }
    out[0] = static_cast<char>(0xF0 | character >> 18);
    out[1] = static_cast<char>(0x80 | (character >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (character >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (character & 0x3F));
    return out + 4;
}

inline char16_t* EncodeUtf16(char32_t character, char16_t* out) {
    if (character < 0x10000) {
        *out = static_cast<char16_t>(character);
        return out + 1;
    }
    character -= 0x10000;
    out[0] = static_cast<char16_t>(kSurrogateFirst + (character >> 10));
    out[1] = static_cast<char16_t>(kLowSurrogateFirst + (character & 0x3FF));
    return out + 2;
}

// Input is converted in stretches of this many units (a character may run up to three units
// past), each with room for its largest output made beforehand, so that the inner loops check
// nothing but the input.
constexpr std::size_t kStretch = 16384;

// The converted text, grown as it is written, so that a conversion holds little more than what
// it wrote even where a character can take several times its input: it starts from an estimate
// of the output with room for one stretch to spare, and grows by half when a stretch could
// overrun it. kMost is the most output units an input unit can give.
template <typename Unit, std::size_t kMost>
class Output {
  public:
    Output(std::size_t estimate, std::size_t inputSize)
        : text_(estimate + Room(inputSize), Unit()), cursor_(text_.data()) {}

    // Room for the output of the next stretch, with `inputLeft` units of input left.
    Unit* ReserveStretch(std::size_t inputLeft) {
        const auto written = static_cast<std::size_t>(cursor_ - text_.data());
        if (text_.size() - written < Room(inputLeft)) {
            text_.resize(std::max(text_.size() + text_.size() / 2, written + Room(inputLeft)));
            cursor_ = text_.data() + written;
        }
        return cursor_;
    }
    void Advance(Unit* cursor) { cursor_ = cursor; }

    // The text, without more than an eighth (or a page) of spare room.
    std::basic_string<Unit> Take() && {
        text_.resize(static_cast<std::size_t>(cursor_ - text_.data()));
        const std::size_t spare = text_.capacity() - text_.size();
        if (spare > text_.size() / 8 && spare * sizeof(Unit) > 4096) {
            text_.shrink_to_fit();
        }
        return std::move(text_);
    }

  private:
    static std::size_t Room(std::size_t inputLeft) {
        return std::min(inputLeft, kStretch + 3) * kMost;
    }

    std::basic_string<Unit> text_;
    Unit* cursor_;
};

inline bool EightAscii(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080u) == 0;
}

// Decodes GB18030 into UTF-8 or UTF-16. Every GB18030 character takes at most 3/2 of its bytes
// in UTF-8 (two bytes to three) and at most one UTF-16 unit a byte.
template <typename Unit>
std::optional<std::basic_string<Unit>> FromGb18030(std::string_view input) {
    constexpr bool kUtf8 = sizeof(Unit) == 1;
    const auto* p = reinterpret_cast<const unsigned char*>(input.data());
    const auto* const end = p + input.size();
    const Tables& tables = GetTables();
    // Started at the most the text can take, which Chinese text takes in UTF-8.
    Output<Unit, kUtf8 ? 2 : 1> output(kUtf8 ? input.size() + input.size() / 2 : input.size(),
                                       input.size());
    while (p < end) {
        const auto* const stretchEnd = p + std::min<std::size_t>(kStretch, end - p);
        Unit* out = output.ReserveStretch(static_cast<std::size_t>(end - p));
        while (p < stretchEnd) {
            if (*p < 0x80) {
                while (stretchEnd - p >= 8 && EightAscii(p)) {
                    if constexpr (kUtf8) {
                        std::memcpy(out, p, 8);
                    } else {
                        std::copy(p, p + 8, out);
                    }
                    out += 8;
                    p += 8;
                }
                if (p < stretchEnd && *p < 0x80) {
                    *out++ = static_cast<Unit>(*p++);
                }
                continue;
            }
            char32_t character;
            const std::size_t length = DecodeGb18030(tables, p, end, character);
            if (length == 0) {
                return std::nullopt;
            }
            p += length;
            if constexpr (kUtf8) {
                out = EncodeUtf8(character, out);
            } else {
                out = EncodeUtf16(character, out);
            }
        }
        output.Advance(out);
    }
    return std::move(output).Take();
}

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030) {
    return FromGb18030<char>(gb18030);
}

std::optional<std::u16string> Gb18030ToUtf16(std::string_view gb18030) {
    return FromGb18030<char16_t>(gb18030);
}

// A UTF-8 character takes at most twice its bytes in GB18030 (U+0080 .. U+07FF: two bytes to
// four); Chinese text takes 2/3 (three bytes to two) and a little more with line ends and ASCII.
std::optional<std::string> Utf8ToGb18030(std::string_view utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    const Tables& tables = GetTables();
    Output<char, 2> output(utf8.size() / 4 * 3, utf8.size());
    while (p < end) {
        const auto* const stretchEnd = p + std::min<std::size_t>(kStretch, end - p);
        char* out = output.ReserveStretch(static_cast<std::size_t>(end - p));
        while (p < stretchEnd) {
            if (*p < 0x80) {
                while (stretchEnd - p >= 8 && EightAscii(p)) {
                    std::memcpy(out, p, 8);
                    out += 8;
                    p += 8;
                }
                if (p < stretchEnd && *p < 0x80) {
                    *out++ = static_cast<char>(*p++);
                }
                continue;
            }
            char32_t character;
            const std::size_t length = DecodeUtf8(p, end, character);
            if (length == 0) {
                return std::nullopt;
            }
            p += length;
            out = EncodeGb18030(tables, character, out);
            if (out == nullptr) {
                return std::nullopt;
            }
        }
        output.Advance(out);
    }
    return std::move(output).Take();
}

// A UTF-16 unit takes at most four bytes in GB18030, a Chinese character two.
std::optional<std::string> Utf16ToGb18030(std::u16string_view utf16) {
    const char16_t* p = utf16.data();
    const char16_t* const end = p + utf16.size();
    const Tables& tables = GetTables();
    Output<char, 4> output(utf16.size() * 2, utf16.size());
    while (p < end) {
        const char16_t* const stretchEnd = p + std::min<std::size_t>(kStretch, end - p);
        char* out = output.ReserveStretch(static_cast<std::size_t>(end - p));
        while (p < stretchEnd) {
            char32_t character = *p++;
            if (character < 0x80) {
                *out++ = static_cast<char>(character);
                continue;
            }
            if (character >= kSurrogateFirst && character < kSurrogateEnd) {
                if (character >= kLowSurrogateFirst || p == end || *p < kLowSurrogateFirst ||
                    *p >= kSurrogateEnd) {
                    return std::nullopt;
                }
                character =
                    0x10000 + ((character - kSurrogateFirst) << 10) + (*p++ - kLowSurrogateFirst);
            }
            out = EncodeGb18030(tables, character, out);
            if (out == nullptr) {
                return std::nullopt;
            }
        }
        output.Advance(out);
    }
    return std::move(output).Take();
}

std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at) {
    if (at >= utf8.size()) {
        return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data()) + at;
    if (*p < 0x80) {
        return 1;
    }
    char32_t character = 0;
    return DecodeUtf8(p, reinterpret_cast<const unsigned char*>(utf8.data()) + utf8.size(),
                      character);
}

}  // namespace morvelin
