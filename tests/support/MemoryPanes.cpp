#include "tests/support/MemoryPanes.h"

#include <stdexcept>
#include <utility>

namespace morvelin {

Text MemoryPanes::GetPaneText(int pane) {
    const Text& text = Pane(pane);
    calls_.push_back("get " + std::to_string(pane));
    return text;
}

void MemoryPanes::SetPaneText(int pane, Text text) {
    Text& slot = Pane(pane);
    calls_.push_back("set " + std::to_string(pane) + " " + std::to_string(text.size()));
    slot = std::move(text);
    if (onSet_) {
        onSet_(pane);
    }
}

void MemoryPanes::CloseAllFiles() {
    calls_.push_back("close");
}

Text& MemoryPanes::Pane(int pane) {
    return const_cast<Text&>(std::as_const(*this).Pane(pane));
}

const Text& MemoryPanes::Pane(int pane) const {
    // A wrong pane number is a caller's fault; in a test it should fail loudly, not corrupt.
    if (pane < 1 || pane > kPaneCount) {
        throw std::out_of_range("pane number " + std::to_string(pane));
    }
    return texts_[static_cast<std::size_t>(pane - 1)];
}

}  // namespace morvelin
