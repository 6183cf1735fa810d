#pragma once

#include <cstdint>
#include <new>
#include <string>

namespace morvelin {

// A text as the program stores and combines it: bytes of the ANSI code page (GB18030 here, the
// superset of code page 936), lines separated by CR LF. An empty text and an absent one are the
// same.
using Text = std::string;

// The data file format counts a text's length in a signed 32-bit integer.
inline constexpr std::uint64_t kMaxTextBytes = 0x7FFFFFFFu;

// Pane numbers, with the panes' roles.
inline constexpr int kProductPane = 1;    // 一级编辑框: product names
inline constexpr int kAttributePane = 2;  // 二级编辑框: product attributes
inline constexpr int kClassPane = 3;      // 三级编辑框: class words
inline constexpr int kTwoPartPane = 4;    // 四级编辑框: two-part keywords
inline constexpr int kThreePartPane = 5;  // 五级编辑框: three-part keywords
inline constexpr int kPaneCount = 5;

// A failed allocation whose size is known; caught as any std::bad_alloc where the size does not
// matter.
class AllocationFailure : public std::bad_alloc {
  public:
    explicit AllocationFailure(std::uint64_t bytes) : bytes_(bytes) {}
    std::uint64_t Bytes() const { return bytes_; }
    const char* what() const noexcept override { return "allocation failure"; }

  private:
    std::uint64_t bytes_;
};

}  // namespace morvelin
