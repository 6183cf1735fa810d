#pragma once

#include <string_view>

#include "core/Text.h"

namespace morvelin {

// The rules by which a pane takes a text, on its bytes: the text ends at its first NUL, and every
// line break becomes CR LF, be it CR LF, a lone CR or a lone LF. 0x0A and 0x0D never occur inside
// a GB18030 character, so no character is cut. What a pane set to `text` gives back on a read.
Text PaneTextOf(std::string_view text);

}  // namespace morvelin
