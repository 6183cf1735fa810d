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
    // Every item's bytes are followed in the list's storage by CR LF and then by at least this many
    // more bytes that may be read (their values are unspecified). The combiner relies on it to copy
    // short items in whole 16-byte blocks instead of byte counts it has to branch on.
    static constexpr std::size_t kReadAhead = 32;

    LineList() = default;

    std::size_t Count() const { return ends_.size(); }

    // The item at position p (1 to Count()), valid while the list lives. Constant time.
    std::string_view Item(std::size_t p) const;

    // The sum of all items' lengths, in bytes.
    std::size_t TotalItemBytes() const { return totalItemBytes_; }

    // True when the last item ends in a lead byte (0x80 or more) that has no byte after it in the
    // source text. Only the last item can; the generator needs it to know how its output splits.
    bool LastItemEndsInLeadByte() const { return lastEndsInLeadByte_; }

  private:
    friend LineList SplitLines(std::string_view text);
    // The source text as it was, then CR LF and kReadAhead zero bytes; empty for an empty list.
    // The breaks stay in place so that an item is a plain slice: item p runs from two bytes after
    // the end of item p - 1 (from 0 for the first) up to ends_[p - 1].
    std::string bytes_;
    std::vector<std::size_t> ends_;
    std::size_t totalItemBytes_ = 0;
    bool lastEndsInLeadByte_ = false;
};

// Splits a text into its items in one pass; every text splits, and the text is left as it was.
LineList SplitLines(std::string_view text);

}  // namespace morvelin
