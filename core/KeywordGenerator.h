#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "core/LineList.h"
#include "core/PaneAccess.h"
#include "core/Text.h"

namespace morvelin {

// The exact size of one combination's output.
struct OutputSize {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
};

// What a run would produce, computed from the input lists before any pane is touched.
struct GenerationPlan {
    OutputSize twoPart;    // pane 4
    OutputSize threePart;  // pane 5
};

// The largest output a run may produce; a run beyond it is refused before it sets any pane.
struct GenerationLimit {
    std::uint64_t maxBytes = kMaxTextBytes;  // never above kMaxTextBytes
    std::uint64_t maxLines = UINT64_MAX;
};

struct GenerateOptions {
    GenerationLimit limit;
    // Checked at least every few thousand lines; once set, the run sets no further pane.
    const std::atomic<bool>* stop = nullptr;
    // Lines produced so far of all lines planned for both stages; called from the running thread.
    std::function<void(std::uint64_t done, std::uint64_t planned)> progress;
};

enum class GenerationOutcome {
    Done,     // both stages ran and panes 4 and 5 hold their results
    Refused,  // an output would exceed the limit; no pane was set
    Stopped,  // the stop request ended the run; no pane was set after it was seen
};

struct GenerationResult {
    GenerationOutcome outcome = GenerationOutcome::Done;
    GenerationPlan plan;
};

class KeywordGenerator {
public:
    // One run of both stages through the panes. Reads panes 1, 2 and 3 first (pane 3 once more
    // than the plain sequence, to size the run), then: sets pane 4 empty, combines, sets pane 4,
    // reads pane 4 back, reads pane 3, sets pane 5 empty, combines, sets pane 5, closes all files.
    static GenerationResult Generate(PaneAccess& panes, const GenerateOptions& options = {});

    // Every item of `first` joined with every item of `second`: first item, one space, second
    // item, CR LF; grouped by the items of `first`. Linear in the output's size.
    static Text CombineLines(const LineList& first, const LineList& second);

    // The exact size of CombineLines(first, second), without building it.
    static OutputSize CombinedSize(const LineList& first, const LineList& second);
};

}  // namespace morvelin
