#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/Text.h"

namespace morvelin {

// The items of a text cut at every CR LF that stands at a character start (a byte of 0x80 or more
// begins a two-byte character, so its second byte never starts a break). Nothing is trimmed,
// skipped or merged. The list owns one copy of the items' bytes; positions run from 1 to Count().
class LineList {
public:
    LineList() = default;

    std::size_t Count() const;

    // The item at position p (1 to Count()), valid while the list lives. Constant time.
    std::string_view Item(std::size_t p) const;

    // The sum of all items' lengths, in bytes.
    std::size_t TotalItemBytes() const;

    // True when the last item ends in a lead byte (0x80 or more) that has no byte after it in the
    // source text. Only the last item can; the generator needs it to know how its output splits.
    bool LastItemEndsInLeadByte() const;

private:
    friend LineList SplitLines(std::string_view text);
    // Implementation detail, chosen by the implementation (see LineList.cpp).
    std::string bytes_;
    std::vector<std::size_t> ends_;
    bool lastEndsInLeadByte_ = false;
};

// Splits a text into its items in one pass; every text splits, and the text is left as it was.
LineList SplitLines(std::string_view text);

}  // namespace morvelin
