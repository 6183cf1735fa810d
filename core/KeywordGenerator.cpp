#include "core/KeywordGenerator.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>
#include <version>

namespace morvelin {

namespace {

constexpr std::uint64_t kUncountable = UINT64_MAX;

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > kUncountable - b ? kUncountable : a + b;
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kUncountable / a ? kUncountable : a * b;
}

// What the size of a combination depends on: how many items a list has and how many bytes.
struct ListSize {
    std::uint64_t items = 0;
    std::uint64_t itemBytes = 0;
};

ListSize SizeOf(const LineList& list) {
    return {list.Count(), list.TotalItemBytes()};
}

// Every item of the first list appears once per item of the second and vice versa, and every
// line adds a space and a CR LF.
OutputSize CombinedSizeOf(ListSize first, ListSize second) {
    OutputSize size;
    size.lines = SaturatingMul(first.items, second.items);
    size.bytes = SaturatingAdd(SaturatingAdd(SaturatingMul(second.items, first.itemBytes),
                                             SaturatingMul(first.items, second.itemBytes)),
                               SaturatingMul(3, size.lines));
    return size;
}

// The list that SplitLines makes of a combination of `written` size over a first list of
// `firstItems` items. Every line starts at a character start and ends in its second item and
// CR LF, so that CR LF is a break - unless the second list's last item ends in a lone lead byte:
// that byte takes the CR as its second byte, so the last line of each group runs on into the
// next one, and the text's very last line keeps its CR LF inside the final item.
ListSize SplitOfCombination(const OutputSize& written, std::uint64_t firstItems,
                            bool secondEndsInLeadByte) {
    if (written.lines == 0) {
        return {};
    }
    if (written.bytes == kUncountable) {
        return {kUncountable, kUncountable};
    }
    if (!secondEndsInLeadByte) {
        return {written.lines, written.bytes - 2 * written.lines};
    }
    const std::uint64_t breaks = written.lines - firstItems;
    return {breaks + 1, written.bytes - 2 * breaks};
}

// Room after the output's end for the block copies below, which may overshoot a piece.
constexpr std::size_t kOutputSlack = 32;
static_assert(LineList::kReadAhead >= 32, "CopyPiece reads up to 32 bytes from an item's start");

// Copies the n bytes at src to dst, and possibly more after them. Lines are mostly short, and a
// fixed 32-byte copy is two unaligned vector moves without the size dispatch of a real memcpy;
// LineList::kReadAhead and kOutputSlack make the overshoot safe, and the next piece overwrites it.
inline void CopyPiece(char* dst, const char* src, std::size_t n) {
    if (n <= 32) {
        std::memcpy(dst, src, 32);
    } else {
        std::memcpy(dst, src, n);
    }
}

// An item of the second list together with the CR LF that follows it in the list's storage,
// which is exactly the tail of each of its output lines.
struct Tail {
    const char* data;
    std::size_t size;
};

// Writes the combination of first and second to out, which has room for its size plus
// kOutputSlack. After every `chunkLines` lines it asks checkpoint() whether to go on.
template <typename Checkpoint>
bool CombineInto(const LineList& first, const LineList& second, char* out, std::size_t chunkLines,
                 Checkpoint&& checkpoint) {
    std::vector<Tail> tails;
    tails.reserve(second.Count());
    for (std::size_t j = 1; j <= second.Count(); ++j) {
        const std::string_view item = second.Item(j);
        tails.push_back({item.data(), item.size() + 2});
    }
    const Tail* const tailsEnd = tails.data() + tails.size();
    char* dst = out;
    std::size_t budget = chunkLines;
    for (std::size_t i = 1; i <= first.Count(); ++i) {
        const std::string_view head = first.Item(i);
        const Tail* tail = tails.data();
        while (tail != tailsEnd) {
            const std::size_t run = std::min(budget, static_cast<std::size_t>(tailsEnd - tail));
            for (const Tail* const runEnd = tail + run; tail != runEnd; ++tail) {
                CopyPiece(dst, head.data(), head.size());
                dst += head.size();
                *dst++ = ' ';
                CopyPiece(dst, tail->data, tail->size);
                dst += tail->size;
            }
            budget -= run;
            if (budget == 0) {
                if (!checkpoint()) {
                    return false;
                }
                budget = chunkLines;
            }
        }
    }
    return true;
}

// Makes out a text of exactly `size` bytes that fill(char*) writes, given kOutputSlack bytes of
// room beyond them. Returns false, and leaves out empty, when fill gives up.
template <typename Fill>
bool BuildText(Text& out, std::uint64_t size, Fill&& fill) {
    if (size == 0) {
        out.clear();
        return true;
    }
    const auto n = static_cast<std::size_t>(size);
    // The output's buffer is the one large allocation whose size is known here: say it.
    try {
        out.reserve(n + kOutputSlack);
    } catch (const std::bad_alloc&) {
        throw AllocationFailure(n + kOutputSlack);
    } catch (const std::length_error&) {
        throw AllocationFailure(n + kOutputSlack);
    }
#if defined(__cpp_lib_string_resize_and_overwrite)
    bool filled = false;
    out.resize_and_overwrite(n + kOutputSlack, [&](char* p, std::size_t) {
        filled = fill(p);
        return filled ? n : 0;
    });
    return filled;
#else
    // Zero-fills first; measured, that pass costs less than building elsewhere and copying.
    out.resize(n + kOutputSlack);
    const bool filled = fill(out.data());
    out.resize(filled ? n : 0);
    return filled;
#endif
}

// Lines per stop check: a few thousand, fewer for long lines, so that a stop request never waits
// for much more than a megabyte of output.
std::size_t ChunkLinesFor(const OutputSize& size) {
    constexpr std::uint64_t kMaxLines = 4096;
    constexpr std::uint64_t kBytesPerCheck = 1u << 20;
    if (size.lines == 0) {
        return kMaxLines;
    }
    const std::uint64_t lineBytes = std::max<std::uint64_t>(1, size.bytes / size.lines);
    return static_cast<std::size_t>(
        std::clamp<std::uint64_t>(kBytesPerCheck / lineBytes, 1, kMaxLines));
}

// Keeps the run's count of lines, looks at the stop flag and reports progress now and then.
class Pacer {
  public:
    Pacer(const GenerateOptions& options, std::uint64_t planned)
        : stop_(options.stop), progress_(options.progress), planned_(planned) {}

    bool StopRequested() const {
        return stop_ != nullptr && stop_->load(std::memory_order_relaxed);
    }

    // Counts a chunk of lines just written; false when the run is to stop.
    bool Chunk(std::size_t lines) {
        done_ += lines;
        if (++chunks_ % kChunksPerReport == 0) {
            Report();
        }
        return !StopRequested();
    }

    // A stage has ended with `done` lines written in all.
    void StageEnded(std::uint64_t done) {
        done_ = done;
        Report();
    }

    void SetPlanned(std::uint64_t planned) { planned_ = planned; }

    void Report() const {
        if (progress_) {
            progress_(done_, planned_);
        }
    }

  private:
    static constexpr std::uint64_t kChunksPerReport = 16;

    const std::atomic<bool>* stop_;
    const std::function<void(std::uint64_t, std::uint64_t)>& progress_;
    std::uint64_t planned_;
    std::uint64_t done_ = 0;
    std::uint64_t chunks_ = 0;
};

// One stage's combination into out, sized beforehand; false when a stop request ended it.
bool CombineStage(const LineList& first, const LineList& second, const OutputSize& size,
                  Pacer& pacer, Text& out) {
    const std::size_t chunkLines = ChunkLinesFor(size);
    return BuildText(out, size.bytes, [&](char* p) {
        return CombineInto(first, second, p, chunkLines,
                           [&pacer, chunkLines] { return pacer.Chunk(chunkLines); });
    });
}

// One stage through its pane: set it empty, combine, release the inputs, set it to the result.
// False when a stop request came first; the pane is then not set again.
bool RunStage(PaneAccess& panes, int pane, LineList& first, LineList& second,
              const OutputSize& size, std::uint64_t doneAfter, Pacer& pacer) {
    if (pacer.StopRequested()) {
        return false;
    }
    panes.ClearPaneForRun(pane);
    Text out;
    if (pacer.StopRequested() || !CombineStage(first, second, size, pacer, out)) {
        return false;
    }
    first = LineList();
    second = LineList();
    pacer.StageEnded(doneAfter);
    if (pacer.StopRequested()) {
        return false;
    }
    panes.SetPaneText(pane, std::move(out));
    return true;
}

}  // namespace

OutputSize KeywordGenerator::CombinedSize(const LineList& first, const LineList& second) {
    return CombinedSizeOf(SizeOf(first), SizeOf(second));
}

Text KeywordGenerator::CombineLines(const LineList& first, const LineList& second) {
    Text out;
    BuildText(out, CombinedSize(first, second).bytes, [&](char* p) {
        constexpr std::size_t kNoCheckpoint = SIZE_MAX;
        return CombineInto(first, second, p, kNoCheckpoint, [] { return true; });
    });
    return out;
}

GenerationPlan KeywordGenerator::Plan(const LineList& products, const LineList& attributes,
                                      const LineList& classes) {
    GenerationPlan plan;
    plan.twoPart = CombinedSize(products, attributes);
    const ListSize readBack =
        SplitOfCombination(plan.twoPart, products.Count(), attributes.LastItemEndsInLeadByte());
    plan.threePart = CombinedSizeOf(readBack, SizeOf(classes));
    return plan;
}

GenerationResult KeywordGenerator::Generate(PaneAccess& panes, const GenerateOptions& options) {
    const std::uint64_t maxBytes = std::min(options.limit.maxBytes, kMaxTextBytes);
    const auto fits = [&](const OutputSize& size) {
        return size.bytes <= maxBytes && size.lines <= options.limit.maxLines;
    };
    GenerationResult result;
    const auto end = [&result](GenerationOutcome outcome) {
        result.outcome = outcome;
        return result;
    };

    LineList products = SplitLines(panes.GetPaneText(kProductPane));
    LineList attributes = SplitLines(panes.GetPaneText(kAttributePane));
    // Pane 3 is read here only to size stage 2 before anything is set; stage 2 reads it again.
    result.plan = Plan(products, attributes, SplitLines(panes.GetPaneText(kClassPane)));
    const auto accepted = [&](const GenerationPlan& plan) {
        return fits(plan.twoPart) && fits(plan.threePart) &&
               (!options.accepts || options.accepts(plan));
    };
    if (!accepted(result.plan)) {
        return end(GenerationOutcome::Refused);
    }
    const std::uint64_t twoPartLines = result.plan.twoPart.lines;
    Pacer pacer(options, twoPartLines + result.plan.threePart.lines);
    pacer.Report();

    if (!RunStage(panes, kTwoPartPane, products, attributes, result.plan.twoPart, twoPartLines,
                  pacer) ||
        pacer.StopRequested()) {
        return end(GenerationOutcome::Stopped);
    }

    // Stage 2 combines what the panes hold now. Normally that is what the plan assumed, but a
    // pane may give back something else, so its size is checked again before pane 5 is touched.
    LineList keywords = SplitLines(panes.GetPaneText(kTwoPartPane));
    LineList classes = SplitLines(panes.GetPaneText(kClassPane));
    result.plan.threePart = CombinedSize(keywords, classes);
    if (!accepted(result.plan)) {
        return end(GenerationOutcome::Refused);
    }
    const std::uint64_t planned = twoPartLines + result.plan.threePart.lines;
    pacer.SetPlanned(planned);

    if (!RunStage(panes, kThreePartPane, keywords, classes, result.plan.threePart, planned,
                  pacer)) {
        return end(GenerationOutcome::Stopped);
    }
    panes.CloseAllFiles();
    return end(GenerationOutcome::Done);
}

}  // namespace morvelin
