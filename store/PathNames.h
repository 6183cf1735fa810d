#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// How a path's bytes are read when looking for its separators. In the ANSI code page of a Chinese
// Windows a byte of 0x80 or more starts a two-byte character whose second byte may be 0x5C, the
// backslash: "\x81\x5C" is one character and no separator. POSIX paths are plain bytes.
enum class PathBytes { Plain, DoubleByte };

// Which bytes separate folders: '/' on POSIX, '\' in a path Windows gives, either in a path the
// program makes for Windows.
enum class Separators { Slash, Backslash, Either };

// The position of the last separator of `path`, stepping over two-byte characters whole where
// the bytes are read so; npos where there is none.
std::size_t LastSeparator(std::string_view path, PathBytes bytes, Separators separators);

// The name of a save's temporary file beside `target`: "." + the file's name + "." + the process
// + "-" + a counter of this process + "-" + a random part + ".tmp", in the target's folder. Nobody
// else picks the same name at the same time, and a stale one of a crashed process with the same
// id is told apart by its random part. RemoveStaleTempFiles (FileLayer.cpp) knows this pattern.
Text TempName(const Text& target, PathBytes bytes, std::uint64_t processId);

}  // namespace morvelin
