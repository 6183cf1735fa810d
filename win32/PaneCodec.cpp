#include "win32/PaneCodec.h"

namespace morvelin::win32 {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool InRange(unsigned char byte, unsigned low, unsigned high) {
    return byte >= low && byte <= high;
}

// The bytes of the GB18030 sequence that starts at `at`, by its form alone: 1 for a byte below
// 0x80, 4 for a lead, a digit, a lead and a digit, 2 for a lead and a trail; 1 where none fits.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    if (b(0) < 0x80 || b(0) == 0xFF || at + 1 >= text.size()) {
        return 1;
    }
    if (InRange(b(1), 0x30, 0x39)) {
        return at + 3 < text.size() && InRange(b(2), 0x81, 0xFE) && InRange(b(3), 0x30, 0x39) ? 4
                                                                                              : 1;
    }
    return 2;
}

}  // namespace

std::string Gb18030ToUtf8Lossy(std::string_view gb18030) {
    if (std::optional<std::string> whole = morvelin::Gb18030ToUtf8(gb18030)) {
        return std::move(*whole);
    }
    // Only a text that is not well-formed comes here: one sequence at a time.
    std::string utf8;
    for (std::size_t at = 0; at < gb18030.size();) {
        const std::size_t length = SequenceLength(gb18030, at);
        if (std::optional<std::string> one = morvelin::Gb18030ToUtf8(gb18030.substr(at, length))) {
            utf8 += *one;
            at += length;
        } else {
            utf8 += kReplacement;
            ++at;
        }
    }
    return utf8;
}

std::optional<std::string> Utf8ToGb18030Lossy(std::string_view utf8) {
    if (std::optional<std::string> whole = morvelin::Utf8ToGb18030(utf8)) {
        return whole;
    }
    // A character without a GB18030 code, or ill-formed UTF-8: one character at a time.
    std::string gb18030;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        if (length == 0) {
            return std::nullopt;
        }
        if (std::optional<std::string> bytes = morvelin::Utf8ToGb18030(utf8.substr(at, length))) {
            gb18030 += *bytes;
        } else {
            gb18030 += '?';
        }
        at += length;
    }
    return gb18030;
}

}  // namespace morvelin::win32
