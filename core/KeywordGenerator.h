#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "core/LineList.h"
#include "core/PaneAccess.h"
#include "core/Text.h"

namespace morvelin {

// The exact size of one combination's output. A figure too large for 64 bits is UINT64_MAX.
struct OutputSize {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;

    friend bool operator==(const OutputSize&, const OutputSize&) = default;
};

// What a run would produce, computed from the input lists before any pane is touched.
// Stage 2 is sized from the lines that pane 4 gives back: those are the lines stage 1 wrote,
// except that a lone lead byte at the end of pane 2 swallows the CR of each group's last line.
struct GenerationPlan {
    OutputSize twoPart;    // pane 4
    OutputSize threePart;  // pane 5

    friend bool operator==(const GenerationPlan&, const GenerationPlan&) = default;
};

// The largest output a run may produce; a run of which either output exceeds either figure is
// refused before it sets any pane. maxBytes above kMaxTextBytes counts as kMaxTextBytes.
struct GenerationLimit {
    std::uint64_t maxBytes = kMaxTextBytes;  // never above kMaxTextBytes
    std::uint64_t maxLines = UINT64_MAX;
};

struct GenerateOptions {
    GenerationLimit limit;
    // A further test of the whole plan (both outputs together), such as the memory the panes
    // would need for them; a plan it rejects is refused like one beyond the limit.
    std::function<bool(const GenerationPlan&)> accepts;
    // Checked at least every few thousand lines; once set, the run sets no further pane.
    const std::atomic<bool>* stop = nullptr;
    // Lines produced so far of all lines planned for both stages, called from the running thread
    // about every 64k lines and at the end of each stage. `planned` follows the plan: it changes
    // only if pane 4 gives back other lines than stage 1 wrote.
    std::function<void(std::uint64_t done, std::uint64_t planned)> progress;
};

// Only a Done run calls CloseAllFiles; the others end without touching anything more.
enum class GenerationOutcome {
    Done,  // both stages ran and panes 4 and 5 hold their results
    // An output would exceed the limit and no pane was set; except when what pane 4 gave back
    // made stage 2 too large: then pane 4 holds stage 1's result and pane 5 was not set.
    Refused,
    Stopped,  // the stop request ended the run; no pane was set after it was seen
};

struct GenerationResult {
    GenerationOutcome outcome = GenerationOutcome::Done;
    // The plan the run went by; its stage 2 figures are those of the lists read back from pane 4.
    GenerationPlan plan;
};

class KeywordGenerator {
  public:
    // One run of both stages through the panes. Reads panes 1, 2 and 3 first (pane 3 once more
    // than the plain sequence, to size the run), then: sets pane 4 empty, combines, sets pane 4,
    // reads pane 4 back, reads pane 3, sets pane 5 empty, combines, sets pane 5, closes all files.
    // Stage 2 combines what pane 4 and pane 3 hold at that point, not the result of stage 1.
    static GenerationResult Generate(PaneAccess& panes, const GenerateOptions& options = {});

    // The sizes of both outputs of a run over these three lists, as long as pane 4 gives back the
    // text it was set to.
    static GenerationPlan Plan(const LineList& products, const LineList& attributes,
                               const LineList& classes);

    // Every item of `first` joined with every item of `second`: first item, one space, second
    // item, CR LF; grouped by the items of `first`. Linear in the output's size.
    static Text CombineLines(const LineList& first, const LineList& second);

    // The exact size of CombineLines(first, second), without building it.
    static OutputSize CombinedSize(const LineList& first, const LineList& second);
};

}  // namespace morvelin
