#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace morvelin {

// GB18030 through glibc's iconv, as the program converted it before it had a codec of its own:
// the yardstick that the codec (store/Gb18030.h) must match exactly, and time. Same contract as
// there: whole texts, strict, nullopt for anything that has no character. The conversion
// descriptors are opened once, so that checks of single characters run fast; one instance is
// for one thread.
class Gb18030Iconv {
  public:
    Gb18030Iconv();
    ~Gb18030Iconv();
    Gb18030Iconv(const Gb18030Iconv&) = delete;
    Gb18030Iconv& operator=(const Gb18030Iconv&) = delete;

    std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030);
    std::optional<std::string> Utf8ToGb18030(std::string_view utf8);
    std::optional<std::u16string> Gb18030ToUtf16(std::string_view gb18030);
    std::optional<std::string> Utf16ToGb18030(std::u16string_view utf16);

  private:
    iconv_t gb18030ToUtf8_;
    iconv_t utf8ToGb18030_;
    iconv_t gb18030ToUtf16_;
    iconv_t utf16ToGb18030_;
};

}  // namespace morvelin
