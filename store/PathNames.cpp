#include "store/PathNames.h"

#include <atomic>
#include <random>
#include <string>

namespace morvelin {

std::size_t LastSeparator(std::string_view path, PathBytes bytes, Separators separators) {
    const bool slash = separators != Separators::Backslash;
    const bool backslash = separators != Separators::Slash;
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size();) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if ((slash && byte == '/') || (backslash && byte == '\\')) {
            last = i;
        }
        // A lead byte takes its trail byte with it untested; a lead byte at the very end has none.
        i += bytes == PathBytes::DoubleByte && byte >= 0x80 ? 2 : 1;
    }
    return last;
}

Text TempName(const Text& target, PathBytes bytes, std::uint64_t processId) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    const std::size_t separator = LastSeparator(
        target, bytes, bytes == PathBytes::DoubleByte ? Separators::Either : Separators::Slash);
    const std::size_t folderLength = separator == std::string_view::npos ? 0 : separator + 1;
    const unsigned number = counter.fetch_add(1);
    std::minstd_rand random(salt ^ (number * 2654435761u));
    return target.substr(0, folderLength) + "." + target.substr(folderLength) + "." +
           std::to_string(processId) + "-" + std::to_string(number) + "-" +
           std::to_string(random()) + ".tmp";
}

}  // namespace morvelin
