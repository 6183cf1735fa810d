#include "store/FileEncoding.h"

#include <algorithm>
#include <cstdint>

#include "store/Gb18030.h"

namespace morvelin {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The position of a four-byte sequence in GB18030's linear numbering of them.
std::uint32_t FourByteIndex(unsigned char b1, unsigned char b2, unsigned char b3,
                            unsigned char b4) {
    return ((static_cast<std::uint32_t>(b1 - 0x81) * 10 + (b2 - 0x30)) * 126 + (b3 - 0x81)) * 10 +
           (b4 - 0x30);
}

// Whether every byte belongs to a GB18030 character: ASCII, a two-byte pair, or a four-byte
// sequence of the Unicode ranges. Every such sequence is a character of its own in either
// edition of the standard, so the pane's codec gives back exactly these bytes; no conversion is
// needed to know it, which keeps the load of a large file quick.
bool IsLosslessGb18030(std::string_view bytes) {
    constexpr std::uint32_t kBmpEnd = 39419;  // 84 31 A4 39 is the last, U+FFFF
    const std::uint32_t supplementaryStart = FourByteIndex(0x90, 0x30, 0x81, 0x30);
    const std::uint32_t supplementaryEnd = supplementaryStart + 0x100000;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        if (*p == 0x80 || *p == 0xFF || end - p < 2) {
            return false;
        }
        if ((p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F)) {
            p += 2;
            continue;
        }
        if (p[1] < 0x30 || p[1] > 0x39 || end - p < 4 || p[2] < 0x81 || p[2] > 0xFE ||
            p[3] < 0x30 || p[3] > 0x39) {
            return false;
        }
        const std::uint32_t index = FourByteIndex(p[0], p[1], p[2], p[3]);
        if (index > kBmpEnd && (index < supplementaryStart || index >= supplementaryEnd)) {
            return false;
        }
        p += 4;
    }
    return true;
}

// Walks the characters of code page 936 bytes: a byte of 0x81 or more takes the next byte with it
// (a four-byte GB18030 character is two such pairs), 0x80 stands alone.
template <typename Visit>
void ForEachCharacter(std::string_view bytes, Visit visit) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length =
            static_cast<unsigned char>(bytes[i]) > 0x80 && i + 1 < bytes.size() ? 2 : 1;
        visit(bytes.substr(i, length));
        i += length;
    }
}

Text EuroToText(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size() + 64);
    ForEachCharacter(bytes, [&](std::string_view c) { text += c == "\x80" ? "\xA2\xE3" : c; });
    return text;
}

std::string TextToEuro(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    ForEachCharacter(text, [&](std::string_view c) { bytes += c == "\xA2\xE3" ? "\x80" : c; });
    return bytes;
}

bool HasEuroByte(std::string_view bytes) {
    bool found = false;
    ForEachCharacter(bytes, [&](std::string_view c) { found = found || c == "\x80"; });
    return found;
}

std::optional<Text> Utf16ToText(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return Utf16ToGb18030(units);
}

std::optional<std::string> TextToUtf16(std::string_view text, bool bigEndian) {
    const std::optional<std::u16string> units = Gb18030ToUtf16(text);
    if (!units) {
        return std::nullopt;
    }
    std::string bytes(bigEndian ? kUtf16BeBom : kUtf16LeBom);
    bytes.reserve(2 + units->size() * 2);
    for (const char16_t unit : *units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::optional<std::string> WithPrefix(std::string_view prefix, std::optional<std::string> rest) {
    if (!rest) {
        return std::nullopt;
    }
    return std::string(prefix) + *rest;
}

// A decode counts only when the save's encode gives back every byte.
std::optional<FileEncoding> Checked(FileEncoding encoding, std::optional<Text> text,
                                    std::string& bytes) {
    if (!text || EncodeFileBytes(encoding, *text) != bytes) {
        return std::nullopt;
    }
    bytes = std::move(*text);
    return encoding;
}

}  // namespace

std::optional<FileEncoding> DecodeFileBytes(std::string& bytes) {
    const std::string_view view = bytes;
    if (view.starts_with(kUtf16LeBom)) {
        return Checked(FileEncoding::Utf16LeBom, Utf16ToText(view.substr(2), false), bytes);
    }
    if (view.starts_with(kUtf16BeBom)) {
        return Checked(FileEncoding::Utf16BeBom, Utf16ToText(view.substr(2), true), bytes);
    }
    if (view.starts_with(kUtf8Bom)) {
        if (auto encoding = Checked(FileEncoding::Utf8Bom, Utf8ToGb18030(view.substr(3)), bytes)) {
            return encoding;
        }
    }
    if (IsLosslessGb18030(view)) {
        return FileEncoding::Gb18030;
    }
    if (auto encoding = Checked(FileEncoding::Utf8, Utf8ToGb18030(view), bytes)) {
        return encoding;
    }
    if (HasEuroByte(view)) {
        Text text = EuroToText(view);
        if (IsLosslessGb18030(text)) {
            return Checked(FileEncoding::Gb18030Euro, std::move(text), bytes);
        }
    }
    return std::nullopt;
}

std::optional<std::string> EncodeFileBytes(FileEncoding encoding, std::string_view text) {
    switch (encoding) {
        case FileEncoding::Gb18030:
            return std::string(text);
        case FileEncoding::Gb18030Euro:
            return TextToEuro(text);
        case FileEncoding::Utf8:
            return Gb18030ToUtf8(text);
        case FileEncoding::Utf8Bom:
            return WithPrefix(kUtf8Bom, Gb18030ToUtf8(text));
        case FileEncoding::Utf16LeBom:
            return TextToUtf16(text, false);
        case FileEncoding::Utf16BeBom:
            return TextToUtf16(text, true);
    }
    return std::nullopt;
}

}  // namespace morvelin
