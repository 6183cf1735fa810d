#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/PaneAccess.h"
#include "core/Text.h"

namespace morvelin {

// Five pane texts in memory: runs the generator, or anything else that needs panes, without a
// window. It records every call in order ("get 1", "set 4 <bytes>", "close") so that a test can
// assert the sequence of pane operations, and it can call a hook after each set, the place where
// the window would run its text-changed handler. Not thread-safe: use it from one thread at a
// time.
class MemoryPanes final : public PaneAccess {
  public:
    // Called after pane `pane` took its new text; it may read or change Pane(pane) directly.
    using SetHook = std::function<void(int pane)>;

    MemoryPanes() = default;
    // Pane 1 to pane 5, in order.
    explicit MemoryPanes(std::array<Text, kPaneCount> texts) : texts_(std::move(texts)) {}

    Text GetPaneText(int pane) override;
    void SetPaneText(int pane, Text text) override;
    void CloseAllFiles() override;

    // Direct access to pane 1 to 5, neither recorded nor hooked.
    Text& Pane(int pane);
    const Text& Pane(int pane) const;

    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

    void SetOnSet(SetHook hook) { onSet_ = std::move(hook); }

  private:
    std::array<Text, kPaneCount> texts_;
    std::vector<std::string> calls_;
    SetHook onSet_;
};

}  // namespace morvelin
