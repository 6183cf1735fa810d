// Times the keyword core against the floors that matter for it:
//   combine_vs_memcpy        a realistic stage 2 of 1,000,000 lines against allocating a text of
//                            the same size and copying as many bytes into it (target: 1.5 or less)
//   combine_vs_quadratic_20k rebuilding the whole result for every line against ours
//   split_mb_per_s           SplitLines over a 30 MB word list
//   tools_core_1m_ms_*       the pane tools over a pane of 1,000,000 three-part keywords (the text
//                            work alone; the whole action with its save is in gui_bench)
// Every figure is the best of several rounds, so that a busy machine spoils as few as it can.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench/BestTime.h"
#include "core/KeywordGenerator.h"
#include "core/LineList.h"
#include "core/PaneTools.h"
#include "core/Text.h"

namespace {

using morvelin::bench::BestMs;
using morvelin::bench::sink;

using morvelin::KeywordGenerator;
using morvelin::LineList;
using morvelin::SplitLines;
using morvelin::Text;

#if defined(__GLIBC__)
constexpr int kKeepBlocks = 256 << 20;
#endif

std::uint32_t Between(std::mt19937& random, std::uint32_t low, std::uint32_t high) {
    return low + random() % (high - low + 1);
}

// One character of a Chinese word in GB18030: a lead byte and a second byte, both high.
void AppendHanzi(std::mt19937& random, std::string& text) {
    text += static_cast<char>(Between(random, 0xB0, 0xF7));
    text += static_cast<char>(Between(random, 0xA1, 0xFE));
}

// `count` items of low to high bytes each, mostly Chinese with some Latin, one a line.
Text WordList(std::mt19937& random, std::size_t count, std::uint32_t low, std::uint32_t high) {
    Text text;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t size = Between(random, low, high);
        std::string item;
        while (item.size() < size) {
            if (size - item.size() >= 2 && random() % 4 != 0) {
                AppendHanzi(random, item);
            } else {
                item += static_cast<char>(Between(random, 'a', 'z'));
            }
        }
        text += item + "\r\n";
    }
    return text;
}

// The combination the slow way: every line makes a new text of everything so far plus itself.
Text QuadraticCombine(const LineList& first, const LineList& second) {
    Text result;
    for (std::size_t i = 1; i <= first.Count(); ++i) {
        for (std::size_t j = 1; j <= second.Count(); ++j) {
            const std::string_view a = first.Item(i);
            const std::string_view b = second.Item(j);
            Text next;
            next.reserve(result.size() + a.size() + b.size() + 3);
            next.append(result).append(a).append(" ").append(b).append("\r\n");
            result = std::move(next);
        }
    }
    return result;
}

// Times CombineLines against the floors of the same size; `suffix` names the allocation regime.
void CombineFigures(const LineList& keywords, const LineList& classes, const char* suffix,
                    int rounds) {
    const std::size_t size = KeywordGenerator::CombinedSize(keywords, classes).bytes;

    const double combineMs = BestMs(rounds, [&] {
        const Text text = KeywordGenerator::CombineLines(keywords, classes);
        sink = sink + text.size();
    });
    // The floor allocated the way our result is (std::string zero-fills)...
    const std::string source(size, 'k');
    const double memcpyMs = BestMs(rounds, [&] {
        std::string copy;
        copy.resize(size);
        std::memcpy(copy.data(), source.data(), size);
        sink = sink + static_cast<unsigned char>(copy[size / 2]);
    });
    // ...and the bare floor: memory that nobody has written to, filled by one memcpy.
    const double rawMemcpyMs = BestMs(rounds, [&] {
        const std::unique_ptr<char[]> copy(new char[size]);
        std::memcpy(copy.get(), source.data(), size);
        sink = sink + static_cast<unsigned char>(copy[size / 2]);
    });
    // Where the time goes: getting zeroed memory of the size, before anything is written.
    const double allocateMs = BestMs(rounds, [&] {
        std::string empty;
        empty.resize(size);
        sink = sink + static_cast<unsigned char>(empty[size / 2]);
    });
    std::printf("combine_ms%s: %.3f\n", suffix, combineMs);
    std::printf("memcpy_ms%s: %.3f\n", suffix, memcpyMs);
    std::printf("raw_memcpy_ms%s: %.3f\n", suffix, rawMemcpyMs);
    std::printf("zeroed_allocation_ms%s: %.3f\n", suffix, allocateMs);
    std::printf("combine_vs_memcpy%s: %.2f\n", suffix, combineMs / memcpyMs);
    std::printf("combine_vs_raw_memcpy%s: %.2f\n", suffix, combineMs / rawMemcpyMs);
}

void CombineFigures(std::mt19937& random) {
    // Stage 2 as users run it: two-part keywords of 15 to 30 bytes times 20 class words.
    const LineList keywords = SplitLines(WordList(random, 50000, 15, 30));
    const LineList classes = SplitLines(WordList(random, 20, 4, 10));
    std::printf("combine_lines: %zu\n", keywords.Count() * classes.Count());
    std::printf(
        "combine_bytes: %llu\n",
        static_cast<unsigned long long>(KeywordGenerator::CombinedSize(keywords, classes).bytes));
    CombineFigures(keywords, classes, "", 9);
#if defined(__GLIBC__)
    // The same with every large block mapped anew, so that each round also pays for the system's
    // first touch of every page, on both sides alike.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    CombineFigures(keywords, classes, "_fresh_pages", 5);
    mallopt(M_MMAP_THRESHOLD, kKeepBlocks);
#endif
}

void QuadraticFigure(std::mt19937& random) {
    const LineList keywords = SplitLines(WordList(random, 1000, 15, 30));
    const LineList classes = SplitLines(WordList(random, 20, 4, 10));
    Text ours;
    const double oursMs =
        BestMs(9, [&] { ours = KeywordGenerator::CombineLines(keywords, classes); });
    Text slow;
    const double slowMs = BestMs(1, [&] { slow = QuadraticCombine(keywords, classes); });
    if (slow != ours) {
        std::printf("error: the two combinations differ\n");
    }
    std::printf("quadratic_20k_ms: %.3f\n", slowMs);
    std::printf("linear_20k_ms: %.3f\n", oursMs);
    std::printf("combine_vs_quadratic_20k: %.0f\n", slowMs / oursMs);
}

void SplitFigure(std::mt19937& random) {
    Text text = WordList(random, 1, 2, 2);
    while (text.size() < 30'000'000) {
        text += WordList(random, 1000, 2, 40);
    }
    const double splitMs = BestMs(5, [&] {
        const LineList list = SplitLines(text);
        sink = sink + list.Count();
    });
    std::printf("split_bytes: %zu\n", text.size());
    std::printf("split_ms: %.3f\n", splitMs);
    std::printf("split_mb_per_s: %.0f\n", static_cast<double>(text.size()) / 1e3 / splitMs);
}

void ToolFigures(std::mt19937& random) {
    // A pane 5 as a run leaves it: 50,000 two-part keywords times 20 class words, with every
    // keyword twice so that de-duplicating has work to do.
    const LineList keywords = SplitLines(WordList(random, 25000, 15, 30));
    Text doubled;
    for (std::size_t p = 1; p <= keywords.Count(); ++p) {
        doubled.append(keywords.Item(p)).append("\r\n").append(keywords.Item(p)).append("\r\n");
    }
    const LineList classes = SplitLines(WordList(random, 20, 4, 10));
    const Text pane = KeywordGenerator::CombineLines(SplitLines(doubled), classes);
    std::printf("tools_core_lines: %zu\n", SplitLines(pane).Count());
    const auto figure = [&](const char* name, auto&& tool) {
        const double ms = BestMs(5, [&] {
            const morvelin::PaneToolResult result = tool(pane);
            sink = sink + result.text.size() + result.removedLines;
        });
        std::printf("tools_core_1m_ms_%s: %.1f\n", name, ms);
    };
    figure("dedupe", [](const Text& text) { return morvelin::DropDuplicateLines(text); });
    figure("length", [](const Text& text) { return morvelin::KeepLinesUpToLength(text, 60); });
    figure("trim", [](const Text& text) { return morvelin::TrimAndDropBlankLines(text); });
    figure("exclude", [](const Text& text) {
        return morvelin::DropLinesContaining(text, "\xD6\xD0\r\nabc\r\n\xCE\xC4");
    });
}

}  // namespace

int main() {
#if defined(__GLIBC__)
    // Large blocks stay with the allocator after they are freed, so the rounds after the first
    // measure the work rather than how fast the system maps in new pages, which on a virtual
    // machine can cost more than all of the work.
    mallopt(M_MMAP_THRESHOLD, kKeepBlocks);
    mallopt(M_TRIM_THRESHOLD, 2 * kKeepBlocks);
#endif
    std::mt19937 random(1u);
    CombineFigures(random);
    QuadraticFigure(random);
    SplitFigure(random);
    ToolFigures(random);
    return 0;
}
