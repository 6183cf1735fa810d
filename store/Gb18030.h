#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvelin {

// Whole-text conversions between GB18030 and Unicode, by the program's own tables (Gb18030.cpp):
// the same on every system, needing nothing from it. All of them are strict: bytes or code units
// that have no character (an invalid or unassigned sequence, a character cut off at the end, a lone
// surrogate) give nullopt, never a replacement character. The empty text converts to the empty
// text. Safe to call from any thread.

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030);
std::optional<std::string> Utf8ToGb18030(std::string_view utf8);

std::optional<std::u16string> Gb18030ToUtf16(std::string_view gb18030);
std::optional<std::string> Utf16ToGb18030(std::u16string_view utf16);

// The bytes of the well-formed UTF-8 character that starts at `at` (1 for ASCII), 0 where none
// does: for going through a text that is not all well-formed, one character at a time.
std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at);

}  // namespace morvelin
