#pragma once

#include <cstddef>
#include <cstdint>

// The tables of the GB18030 codec (store/Gb18030.cpp). Gb18030Table.cpp holds them, written by
// scripts/gen-gb18030-table.sh: the mapping that glibc's iconv gives, and besides it the 18
// four-byte sequences of the edition of 2005 that glibc refuses, as the characters they stood
// for then.
namespace morvelin::gb18030 {

// Two-byte sequences: lead byte 0x81..0xFE, trail byte 0x40..0x7E or 0x80..0xFE, 190 trail bytes
// a lead byte, in the order of the sequences. Each holds its character; a surrogate code unit
// 0xD800 + i stands for kTwoByteBeyondBmp[i], a character beyond the BMP.
inline constexpr std::size_t kTwoByteTrails = 190;
inline constexpr std::size_t kTwoByteCount = 126 * kTwoByteTrails;
extern const char16_t kTwoByte[kTwoByteCount];
extern const char32_t kTwoByteBeyondBmp[];
extern const std::size_t kTwoByteBeyondBmpCount;

// Four-byte sequences b1 b2 b3 b4 (b1 and b3 in 0x81..0xFE, b2 and b4 in 0x30..0x39) are counted
// in order from 81 30 81 30, the last byte running fastest. The first kFourByteBmpSequences stand
// for BMP characters: in ranges over which the character rises by one with the sequence, each
// range starting at `first` and running to the next one's start.
inline constexpr std::uint32_t kFourByteBmpSequences = 39420;  // up to 84 31 A4 39
struct FourByteRange {
    std::uint16_t first;
    char16_t character;
};
extern const FourByteRange kFourByteBmp[];
extern const std::size_t kFourByteBmpCount;

// From 90 30 81 30 on they stand for U+10000 .. U+10FFFF in order.
inline constexpr std::uint32_t kFourByteSupplementaryFirst = 15 * 12600;
inline constexpr std::uint32_t kFourByteSupplementaryCount = 0x100000;

}  // namespace morvelin::gb18030
