#include "win32/PaneCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace morvelin::win32 {

namespace {

struct TwoByteBeyondBmp {
    std::uint16_t code;
    std::uint32_t codePoint;
};
struct FourByteRun {
    std::uint32_t pointer;
    std::uint32_t codePoint;
    std::uint32_t length;
};

#include "win32/Gb18030Tables.inc"

constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
constexpr std::uint32_t kFirstBeyondBmpPointer = 189000;
constexpr std::uint32_t kLastBeyondBmpPointer = kFirstBeyondBmpPointer + 0xFFFFF;
const std::string kReplacement = "\xEF\xBF\xBD";

std::uint32_t FourBytePointer(unsigned b1, unsigned b2, unsigned b3, unsigned b4) {
    return (b1 - 0x81) * 12600 + (b2 - 0x30) * 1260 + (b3 - 0x81) * 10 + (b4 - 0x30);
}

// The code point of the character at `text[at]`, and its length in bytes; kInvalid (length 1)
// where none starts there.
std::uint32_t DecodeOne(std::string_view text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    length = 1;
    const unsigned b1 = byte(0);
    if (b1 < 0x80) {
        return b1;
    }
    if (b1 == 0x80 || b1 == 0xFF || at + 1 >= text.size()) {
        return kInvalid;
    }
    const unsigned b2 = byte(1);
    if (b2 >= 0x40 && b2 <= 0xFE && b2 != 0x7F) {
        const unsigned index = (b1 - 0x81) * 190 + (b2 < 0x7F ? b2 - 0x40 : b2 - 0x41);
        std::uint32_t codePoint = kTwoByte[index];
        if (codePoint == 0) {
            const auto code = static_cast<std::uint16_t>(b1 << 8 | b2);
            for (const TwoByteBeyondBmp& beyond : kTwoByteBeyondBmp) {
                if (beyond.code == code) {
                    codePoint = beyond.codePoint;
                }
            }
        }
        if (codePoint == 0) {
            return kInvalid;
        }
        length = 2;
        return codePoint;
    }
    if (b2 < 0x30 || b2 > 0x39 || at + 3 >= text.size()) {
        return kInvalid;
    }
    const unsigned b3 = byte(2);
    const unsigned b4 = byte(3);
    if (b3 < 0x81 || b3 > 0xFE || b4 < 0x30 || b4 > 0x39) {
        return kInvalid;
    }
    const std::uint32_t pointer = FourBytePointer(b1, b2, b3, b4);
    if (pointer >= kFirstBeyondBmpPointer && pointer <= kLastBeyondBmpPointer) {
        length = 4;
        return 0x10000 + pointer - kFirstBeyondBmpPointer;
    }
    // The runs go by code point; a few (U+E7C7) stand elsewhere in the order of pointers.
    static const std::vector<FourByteRun> byPointer = [] {
        std::vector<FourByteRun> runs(std::begin(kFourByteRuns), std::end(kFourByteRuns));
        std::sort(runs.begin(), runs.end(),
                  [](const FourByteRun& a, const FourByteRun& b) { return a.pointer < b.pointer; });
        return runs;
    }();
    const auto run =
        std::upper_bound(byPointer.begin(), byPointer.end(), pointer,
                         [](std::uint32_t p, const FourByteRun& r) { return p < r.pointer; });
    if (run == byPointer.begin()) {
        return kInvalid;
    }
    const FourByteRun& found = *(run - 1);
    if (pointer >= found.pointer + found.length) {
        return kInvalid;
    }
    length = 4;
    return found.codePoint + (pointer - found.pointer);
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Decode(std::string_view text, bool strict, bool& valid) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    valid = true;
    std::size_t at = 0;
    while (at < text.size()) {
        // ASCII runs are most of a keyword list's bytes.
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            out += text[at++];
            continue;
        }
        std::size_t length = 1;
        const std::uint32_t codePoint = DecodeOne(text, at, length);
        if (codePoint == kInvalid) {
            valid = false;
            if (strict) {
                return {};
            }
            out += kReplacement;
        } else {
            AppendUtf8(out, codePoint);
        }
        at += length;
    }
    return out;
}

// Code point to two-byte code, for the whole BMP; 0 where a character has none.
const std::array<std::uint16_t, 0x10000>& TwoByteCodes() {
    static const auto codes = [] {
        auto table = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        table->fill(0);
        for (unsigned index = 0; index < std::size(kTwoByte); ++index) {
            if (kTwoByte[index] != 0) {
                const unsigned lead = 0x81 + index / 190;
                const unsigned trail = index % 190 + 0x40;
                (*table)[kTwoByte[index]] =
                    static_cast<std::uint16_t>(lead << 8 | (trail >= 0x7F ? trail + 1 : trail));
            }
        }
        return table;
    }();
    return *codes;
}

void AppendFourBytes(std::string& out, std::uint32_t pointer) {
    out += static_cast<char>(0x81 + pointer / 12600);
    out += static_cast<char>(0x30 + pointer / 1260 % 10);
    out += static_cast<char>(0x81 + pointer / 10 % 126);
    out += static_cast<char>(0x30 + pointer % 10);
}

bool EncodeOne(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return true;
    }
    if (c >= 0x10000) {
        for (const TwoByteBeyondBmp& beyond : kTwoByteBeyondBmp) {
            if (beyond.codePoint == c) {
                out += static_cast<char>(beyond.code >> 8);
                out += static_cast<char>(beyond.code & 0xFF);
                return true;
            }
        }
        AppendFourBytes(out, kFirstBeyondBmpPointer + c - 0x10000);
        return true;
    }
    if (const std::uint16_t code = TwoByteCodes()[c]; code != 0) {
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
        return true;
    }
    const auto run =
        std::upper_bound(std::begin(kFourByteRuns), std::end(kFourByteRuns), c,
                         [](std::uint32_t p, const FourByteRun& r) { return p < r.codePoint; });
    if (run == std::begin(kFourByteRuns)) {
        return false;
    }
    const FourByteRun& found = *(run - 1);
    if (c >= found.codePoint + found.length) {
        return false;
    }
    AppendFourBytes(out, found.pointer + (c - found.codePoint));
    return true;
}

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030) {
    bool valid = true;
    std::string utf8 = Decode(gb18030, true, valid);
    if (!valid) {
        return std::nullopt;
    }
    return utf8;
}

std::string Gb18030ToUtf8Lossy(std::string_view gb18030) {
    bool valid = true;
    return Decode(gb18030, false, valid);
}

namespace {

// Replaces what has no GB18030 code (24 characters of the private use area in this mapping) with
// '?' unless `strict`, where it gives up; ill-formed UTF-8 always gives up.
std::optional<std::string> Encode(std::string_view utf8, bool strict) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++at;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t c = 0;
        std::uint32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, c = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, c = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, c = lead & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (at + length > utf8.size()) {
            return std::nullopt;
        }
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + i]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = c << 6 | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return std::nullopt;
        }
        if (!EncodeOne(out, c)) {
            if (strict) {
                return std::nullopt;
            }
            out += '?';
        }
        at += length;
    }
    return out;
}

}  // namespace

std::optional<std::string> Utf8ToGb18030(std::string_view utf8) {
    return Encode(utf8, true);
}

std::optional<std::string> Utf8ToGb18030Lossy(std::string_view utf8) {
    return Encode(utf8, false);
}

}  // namespace morvelin::win32
