#pragma once

#include <cstddef>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// Tools that clean up a pane's whole text, line by line, with the line rules of SplitLines: a line
// ends at a CR LF that stands at a character start. Each takes the pane's text and gives the new
// one; a text that ends with a line break keeps ending with one, and one that does not, does not.
// All of them run in time linear in the text's size.

// A line's length as the marketplaces count a title: its bytes in GB18030 (GBK), so an ASCII
// character counts 1, a Chinese character 2 and a four-byte character 4.
inline std::size_t MarketplaceLength(std::string_view line) {
    return line.size();
}

struct PaneTextFacts {
    std::size_t lines = 0;
    std::size_t longestLine = 0;  // in marketplace length
};

// What a tool did: the new text, and how many lines it removed and shortened.
struct PaneToolResult {
    Text text;
    std::size_t removedLines = 0;
    std::size_t trimmedLines = 0;
    // False when the text came out byte for byte as it went in.
    bool changed = false;
};

// The number of lines of a text and its longest line.
PaneTextFacts CountPaneText(std::string_view text);

// Removes spaces, tabs and ideographic spaces (U+3000) at both ends of every line, then every line
// that is left empty.
PaneToolResult TrimAndDropBlankLines(std::string_view text);

// Keeps the first of equal lines (byte for byte), in their order.
PaneToolResult DropDuplicateLines(std::string_view text);

// Keeps the lines whose marketplace length is at most `maxLength`.
PaneToolResult KeepLinesUpToLength(std::string_view text, std::size_t maxLength);

// Removes every line that contains one of `words`: a text with one word per line, whose blank
// lines (and ends of spaces, as TrimAndDropBlankLines cuts them) are ignored. A word is found
// only where it starts at a character start, never across two characters.
PaneToolResult DropLinesContaining(std::string_view text, std::string_view words);

}  // namespace morvelin
