#pragma once

#include <string>
#include <string_view>

namespace morvelin::win32 {

// The program keeps its own texts in UTF-8 and hands them to the W APIs as UTF-16: the conversion
// happens at the call, nowhere else. Ill-formed input becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace morvelin::win32
