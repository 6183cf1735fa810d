// GB18030 through Windows' code page 54936; UTF-8 goes through UTF-16 on the way.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

#include "store/Gb18030.h"

namespace morvelin {
namespace {

constexpr UINT kGb18030 = 54936;

// The API counts in int: a text beyond that is not converted at all (the data file format stops
// at 2^31 - 1 bytes anyway).
std::optional<std::u16string> ToUtf16(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return std::u16string();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    const int inCount = static_cast<int>(bytes.size());
    const int count =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inCount, nullptr, 0);
    if (count <= 0) {
        return std::nullopt;
    }
    std::u16string text(static_cast<std::size_t>(count), u'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inCount,
                            reinterpret_cast<wchar_t*>(text.data()), count) != count) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> FromUtf16(UINT codePage, std::u16string_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const auto* units = reinterpret_cast<const wchar_t*>(text.data());
    const int inCount = static_cast<int>(text.size());
    const int count = WideCharToMultiByte(codePage, WC_ERR_INVALID_CHARS, units, inCount, nullptr,
                                          0, nullptr, nullptr);
    if (count <= 0) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(codePage, WC_ERR_INVALID_CHARS, units, inCount, bytes.data(), count,
                            nullptr, nullptr) != count) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030) {
    const std::optional<std::u16string> text = ToUtf16(kGb18030, gb18030);
    return text ? FromUtf16(CP_UTF8, *text) : std::nullopt;
}

std::optional<std::string> Utf8ToGb18030(std::string_view utf8) {
    const std::optional<std::u16string> text = ToUtf16(CP_UTF8, utf8);
    return text ? FromUtf16(kGb18030, *text) : std::nullopt;
}

std::optional<std::u16string> Gb18030ToUtf16(std::string_view gb18030) {
    return ToUtf16(kGb18030, gb18030);
}

std::optional<std::string> Utf16ToGb18030(std::u16string_view utf16) {
    return FromUtf16(kGb18030, utf16);
}

}  // namespace morvelin
