#include "behaviour/PaneText.h"

namespace morvelin {

Text PaneTextOf(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    Text result;
    result.reserve(text.size());
    for (std::size_t p = 0; p < text.size(); ++p) {
        const char byte = text[p];
        if (byte == '\r') {
            result += "\r\n";
            if (p + 1 < text.size() && text[p + 1] == '\n') {
                ++p;
            }
        } else if (byte == '\n') {
            result += "\r\n";
        } else {
            result += byte;
        }
    }
    return result;
}

}  // namespace morvelin
