#include "store/FileEncoding.h"

#include <algorithm>
#include <cstring>

#include "store/Gb18030.h"

namespace morvelin {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether GB18030 gives back exactly these bytes after a decode. In pieces that end after an LF,
// which is never part of a multi-byte character, so that a large file needs no second copy in
// UTF-16; ASCII pieces need no conversion at all.
bool IsLosslessGb18030(std::string_view bytes) {
    constexpr std::size_t kPiece = 1 << 20;
    while (!bytes.empty()) {
        std::size_t end = bytes.size();
        if (end > kPiece) {
            const std::size_t lf = bytes.find('\n', kPiece);
            end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        }
        const std::string_view piece = bytes.substr(0, end);
        if (!IsAscii(piece)) {
            const std::optional<std::u16string> unicode = Gb18030ToUtf16(piece);
            if (!unicode || Utf16ToGb18030(*unicode) != piece) {
                return false;
            }
        }
        bytes.remove_prefix(end);
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
