// Times the GB18030 codec (store/Gb18030.h) against glibc's iconv on 29 MB of Chinese keyword
// lists, one "name: value" a line, each the best of several rounds:
//   <direction>_ms          the codec, the whole text
//   <direction>_iconv_ms    the program's former conversion through glibc's iconv
//                           (tests/store/Gb18030Iconv.h), the same text
//   <direction>_vs_iconv    their ratio (below 1: the codec is faster)
// and the same for an ASCII text (ascii_*), where the codec copies runs of eight bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "bench/BestTime.h"
#include "store/Gb18030.h"
#include "tests/store/Gb18030Iconv.h"

namespace {

using morvelin::bench::BestMs;
using morvelin::bench::sink;

// Lines of two to eight hanzi of the two-byte area, now and then a word of Latin letters or
// digits, a four-byte character or an emoji, ended by CR LF: keyword lists as the panes hold them.
std::string ChineseText(std::size_t bytes) {
    std::mt19937 random(18030);
    std::string text;
    text.reserve(bytes + 64);
    while (text.size() < bytes) {
        const unsigned count = 2 + random() % 7;
        for (unsigned i = 0; i < count; ++i) {
            text += static_cast<char>(0xB0 + random() % 0x48);
            text += static_cast<char>(0xA1 + random() % 0x5E);
        }
        switch (random() % 16) {
            case 0:
                text += "XL";
                break;
            case 1:
                text += "\x81\x30\x89\x38";  // U+00DF
                break;
            case 2:
                text += "\x94\x39\xFC\x36";  // U+1F600
                break;
            default:
                break;
        }
        text += "\r\n";
    }
    return text;
}

std::string AsciiText(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += "shirt cotton long sleeve 2024\r\n";
    }
    return text;
}

std::u16string AsUtf16(const std::string& gb18030) {
    return *morvelin::Gb18030ToUtf16(gb18030);
}

void Compare(const char* prefix, const std::string& gb18030) {
    constexpr int kRounds = 5;
    const std::string utf8 = *morvelin::Gb18030ToUtf8(gb18030);
    const std::u16string utf16 = AsUtf16(gb18030);
    morvelin::Gb18030Iconv iconv;
    struct Row {
        const char* name;
        double codec;
        double iconv;
    };
    const Row rows[] = {
        {"gb18030_to_utf8",
         BestMs(kRounds, [&] { sink = sink + morvelin::Gb18030ToUtf8(gb18030)->size(); }),
         BestMs(kRounds, [&] { sink = sink + iconv.Gb18030ToUtf8(gb18030)->size(); })},
        {"utf8_to_gb18030",
         BestMs(kRounds, [&] { sink = sink + morvelin::Utf8ToGb18030(utf8)->size(); }),
         BestMs(kRounds, [&] { sink = sink + iconv.Utf8ToGb18030(utf8)->size(); })},
        {"gb18030_to_utf16",
         BestMs(kRounds, [&] { sink = sink + morvelin::Gb18030ToUtf16(gb18030)->size(); }),
         BestMs(kRounds, [&] { sink = sink + iconv.Gb18030ToUtf16(gb18030)->size(); })},
        {"utf16_to_gb18030",
         BestMs(kRounds, [&] { sink = sink + morvelin::Utf16ToGb18030(utf16)->size(); }),
         BestMs(kRounds, [&] { sink = sink + iconv.Utf16ToGb18030(utf16)->size(); })},
    };
    for (const Row& row : rows) {
        std::printf("%s%s_ms: %.1f\n", prefix, row.name, row.codec);
        std::printf("%s%s_iconv_ms: %.1f\n", prefix, row.name, row.iconv);
        std::printf("%s%s_vs_iconv: %.2f\n", prefix, row.name, row.codec / row.iconv);
    }
}

}  // namespace

int main() {
    constexpr std::size_t kBytes = 29u << 20;
    std::printf("text_mb: %.1f\n", kBytes / 1048576.0);
    Compare("", ChineseText(kBytes));
    Compare("ascii_", AsciiText(kBytes));
    return 0;
}
