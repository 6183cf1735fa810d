#include "core/LineList.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace morvelin {

namespace {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

// The high bit of every byte of the eight at p that is a CR, and possibly of some 0x0C bytes
// right above one (the usual borrow of this trick); callers look at the byte itself anyway.
std::uint64_t CrBits(const unsigned char* p) {
    constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t zeroWhereCr = word ^ (kEveryByte * kCr);
    return (zeroWhereCr - kEveryByte) & ~zeroWhereCr & kHighBits;
}

}  // namespace

std::string_view LineList::Item(std::size_t p) const {
    assert(p >= 1 && p <= ends_.size());
    const std::size_t start = p == 1 ? 0 : ends_[p - 2] + 2;
    return std::string_view(bytes_.data() + start, ends_[p - 1] - start);
}

// The rules read as a scan from the left that steps over two-byte characters whole. Walking every
// character that way is slow on mixed text, where whether the next step is one byte or two is a
// coin toss. What the scan decides can be found from a CR alone: a byte that follows a byte below
// 0x80 starts a character (that byte was a character or the second byte of one) unless it is the
// LF of a break, which is no CR and no lead byte. So where a CR follows a run of bytes of 0x80 or
// more, the run begins at a character and consists of whole pairs up to the CR exactly when its
// length is even. So: find the CRs a word at a time and look back over the run before each; a
// run ends at the CR before it at the latest, so no byte is looked back at twice.
LineList SplitLines(std::string_view text) {
    LineList list;
    const std::size_t n = text.size();
    if (n == 0) {
        return list;
    }
    list.bytes_.reserve(n + 2 + LineList::kReadAhead);
    list.bytes_.append(text);
    list.bytes_.append("\r\n");
    list.bytes_.append(LineList::kReadAhead, '\0');

    const auto* t = reinterpret_cast<const unsigned char*>(list.bytes_.data());
    std::size_t start = 0;  // where the current item begins, always a character start
    const auto atCharacterStart = [t, &start](std::size_t p) {
        std::size_t q = p;
        while (q > start && t[q - 1] >= 0x80) {
            --q;
        }
        return (p - q) % 2 == 0;
    };
    // A break needs its LF inside the text, so a CR in the last byte never starts one.
    const std::size_t candidatesEnd = n - 1;
    const auto consider = [&](std::size_t p) {
        if (p < candidatesEnd && t[p] == kCr && t[p + 1] == kLf && atCharacterStart(p)) {
            list.ends_.push_back(p);
            list.totalItemBytes_ += p - start;
            start = p + 2;
        }
    };
    // Blocks may reach past the text into the CR LF and padding after it; consider() ignores
    // whatever it finds there.
    for (std::size_t block = 0; block < candidatesEnd; block += 8) {
        std::uint64_t bits = CrBits(t + block);
        if constexpr (std::endian::native == std::endian::little) {
            for (; bits != 0; bits &= bits - 1) {
                consider(block + static_cast<std::size_t>(std::countr_zero(bits)) / 8);
            }
        } else if (bits != 0) {
            for (std::size_t p = block; p < block + 8; ++p) {
                consider(p);
            }
        }
    }
    if (start < n) {
        list.ends_.push_back(n);
        list.totalItemBytes_ += n - start;
        // A lead byte in the last place has no second byte and stays in the item as it is.
        list.lastEndsInLeadByte_ = t[n - 1] >= 0x80 && atCharacterStart(n - 1);
    }
    return list;
}

}  // namespace morvelin
