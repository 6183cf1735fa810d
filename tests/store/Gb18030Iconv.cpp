#include "tests/store/Gb18030Iconv.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>

namespace morvelin {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// The edition of 2005 gives 18 characters a four-byte sequence that glibc, following that of
// 2022, no longer decodes: it gives them the two-byte pairs of their former private-use places.
// Other programs (and Qt) still write them, so a decode takes them too, each as the character it
// stood for then. Each range runs on in both the sequences' order and the characters'.
struct FourByteRange {
    unsigned char first[3];
    unsigned char lastByte;
    char16_t character;
};
constexpr FourByteRange kFormerFourByte[] = {
    {{0x82, 0x35, 0x90}, 0x37, u'\u9FB4'},  // 82 35 90 37 .. 90 39: U+9FB4 ..
    {{0x82, 0x35, 0x91}, 0x30, u'\u9FB7'},  // 82 35 91 30 .. 91 34: U+9FB7 .. U+9FBB
    {{0x84, 0x31, 0x82}, 0x36, u'\uFE10'},  // 84 31 82 36 .. 82 39: U+FE10 ..
    {{0x84, 0x31, 0x83}, 0x30, u'\uFE14'},  // 84 31 83 30 .. 83 35: U+FE14 .. U+FE19
};
constexpr unsigned char kLastOfRange[] = {0x39, 0x34, 0x39, 0x35};

// The character a refused four-byte sequence stood for, or 0.
char16_t FormerFourByte(const char* bytes, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < std::size(kFormerFourByte); ++i) {
        const FourByteRange& range = kFormerFourByte[i];
        if (b[0] == range.first[0] && b[1] == range.first[1] && b[2] == range.first[2] &&
            b[3] >= range.lastByte && b[3] <= kLastOfRange[i]) {
            return static_cast<char16_t>(range.character + (b[3] - range.lastByte));
        }
    }
    return 0;
}

// The BMP character in the output encoding: UTF-8 or this machine's UTF-16.
std::string Encoded(char16_t c, bool utf8) {
    if (!utf8) {
        return std::string(reinterpret_cast<const char*>(&c), sizeof c);
    }
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// Converts the whole input or nothing. An output of twice the input's bytes is enough for every
// pair used here (a two-byte UTF-8 or UTF-16 character can take four bytes of GB18030); the loop
// grows it anyway rather than trust that.
template <typename Out>
std::optional<Out> Convert(iconv_t cd, bool fromGb18030, bool toUtf8, std::string_view input) {
    if (input.empty()) {
        return Out();
    }
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    using Unit = typename Out::value_type;
    std::string buffer(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t done = 0;
    for (;;) {
        char* out = buffer.data() + done;
        std::size_t outLeft = buffer.size() - done;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        done = buffer.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == EILSEQ && fromGb18030) {
            if (const char16_t c = FormerFourByte(in, inLeft)) {
                const std::string character = Encoded(c, toUtf8);
                if (buffer.size() - done < character.size()) {
                    buffer.resize(buffer.size() * 2);
                }
                buffer.replace(done, character.size(), character);
                done += character.size();
                in += 4;
                inLeft -= 4;
                continue;
            }
        }
        if (errno != E2BIG) {
            // EILSEQ: no character; EINVAL: a character cut off at the end.
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (done % sizeof(Unit) != 0) {
        return std::nullopt;
    }
    Out output(done / sizeof(Unit), Unit());
    std::memcpy(output.data(), buffer.data(), done);
    return output;
}

iconv_t Open(const char* to, const char* from) {
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv has no ") + from + " to " + to);
    }
    return cd;
}

}  // namespace

Gb18030Iconv::Gb18030Iconv()
    : gb18030ToUtf8_(Open("UTF-8", "GB18030")),
      utf8ToGb18030_(Open("GB18030", "UTF-8")),
      gb18030ToUtf16_(Open(kUtf16, "GB18030")),
      utf16ToGb18030_(Open("GB18030", kUtf16)) {}

Gb18030Iconv::~Gb18030Iconv() {
    for (const iconv_t cd : {gb18030ToUtf8_, utf8ToGb18030_, gb18030ToUtf16_, utf16ToGb18030_}) {
        ::iconv_close(cd);
    }
}

std::optional<std::string> Gb18030Iconv::Gb18030ToUtf8(std::string_view gb18030) {
    return Convert<std::string>(gb18030ToUtf8_, true, true, gb18030);
}

std::optional<std::string> Gb18030Iconv::Utf8ToGb18030(std::string_view utf8) {
    return Convert<std::string>(utf8ToGb18030_, false, false, utf8);
}

std::optional<std::u16string> Gb18030Iconv::Gb18030ToUtf16(std::string_view gb18030) {
    return Convert<std::u16string>(gb18030ToUtf16_, true, false, gb18030);
}

std::optional<std::string> Gb18030Iconv::Utf16ToGb18030(std::u16string_view utf16) {
    return Convert<std::string>(
        utf16ToGb18030_, false, false,
        std::string_view(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
}

}  // namespace morvelin
