#include "core/PaneTools.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "core/LineList.h"

namespace morvelin {

namespace {

constexpr std::string_view kBreak = "\r\n";
// U+3000 in GB18030.
constexpr std::string_view kIdeographicSpace = "\xA1\xA1";

// The bytes of the character that starts at `p`: a byte of 0x80 or more begins a two-byte
// character (a four-byte GB18030 character is two such pairs), unless it is the line's last byte.
std::size_t CharacterLength(std::string_view line, std::size_t p) {
    return static_cast<unsigned char>(line[p]) >= 0x80 && p + 1 < line.size() ? 2 : 1;
}

// The blank at `p` (a space, a tab or an ideographic space), 0 when there is none.
std::size_t BlankLength(std::string_view line, std::size_t p) {
    if (line[p] == ' ' || line[p] == '\t') {
        return 1;
    }
    return line.substr(p, 2) == kIdeographicSpace ? 2 : 0;
}

// The line without blanks at either end.
std::string_view Trim(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t blank = BlankLength(line, start);
        if (blank == 0) {
            break;
        }
        start += blank;
    }
    // Characters are only known from the left, so find the end of the last non-blank on the way.
    std::size_t end = start;
    for (std::size_t p = start; p < line.size();) {
        const std::size_t blank = BlankLength(line, p);
        const std::size_t step = blank != 0 ? blank : CharacterLength(line, p);
        p += step;
        if (blank == 0) {
            end = p;
        }
    }
    return line.substr(start, end - start);
}

// Gathers the lines that a tool keeps and puts them together as the new text.
class LineCollector {
  public:
    explicit LineCollector(std::string_view source) : source_(source) {
        list_ = SplitLines(source);
        endsWithBreak_ = list_.Count() > 0 &&
                         source.size() == list_.TotalItemBytes() + kBreak.size() * list_.Count();
        text_.reserve(source.size());
    }

    const LineList& Lines() const { return list_; }

    void Keep(std::string_view line, bool trimmed = false) {
        text_.append(line);
        text_.append(kBreak);
        if (trimmed) {
            ++result_.trimmedLines;
        }
    }
    void Drop() { ++result_.removedLines; }

    PaneToolResult Finish() {
        if (!endsWithBreak_ && !text_.empty()) {
            text_.resize(text_.size() - kBreak.size());
        }
        result_.changed = text_ != source_;
        result_.text = std::move(text_);
        return std::move(result_);
    }

  private:
    std::string_view source_;
    LineList list_;
    bool endsWithBreak_ = false;
    Text text_;
    PaneToolResult result_;
};

// True when `word` stands in `line` at a character start.
bool ContainsWord(std::string_view line, std::string_view word) {
    std::size_t character = 0;  // a character start at or before every match looked at
    for (std::size_t match = line.find(word); match != std::string_view::npos;
         match = line.find(word, match + 1)) {
        while (character < match) {
            character += CharacterLength(line, character);
        }
        if (character == match) {
            return true;
        }
    }
    return false;
}

}  // namespace

PaneTextFacts CountPaneText(std::string_view text) {
    const LineList lines = SplitLines(text);
    PaneTextFacts facts;
    facts.lines = lines.Count();
    for (std::size_t p = 1; p <= lines.Count(); ++p) {
        facts.longestLine = std::max(facts.longestLine, MarketplaceLength(lines.Item(p)));
    }
    return facts;
}

PaneToolResult TrimAndDropBlankLines(std::string_view text) {
    LineCollector out(text);
    const LineList& lines = out.Lines();
    for (std::size_t p = 1; p <= lines.Count(); ++p) {
        const std::string_view line = lines.Item(p);
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty()) {
            out.Drop();
        } else {
            out.Keep(trimmed, trimmed.size() != line.size());
        }
    }
    return out.Finish();
}

PaneToolResult DropDuplicateLines(std::string_view text) {
    LineCollector out(text);
    const LineList& lines = out.Lines();
    std::unordered_set<std::string_view> seen;
    seen.reserve(lines.Count());
    for (std::size_t p = 1; p <= lines.Count(); ++p) {
        const std::string_view line = lines.Item(p);
        if (seen.insert(line).second) {
            out.Keep(line);
        } else {
            out.Drop();
        }
    }
    return out.Finish();
}

PaneToolResult KeepLinesUpToLength(std::string_view text, std::size_t maxLength) {
    LineCollector out(text);
    const LineList& lines = out.Lines();
    for (std::size_t p = 1; p <= lines.Count(); ++p) {
        const std::string_view line = lines.Item(p);
        if (MarketplaceLength(line) <= maxLength) {
            out.Keep(line);
        } else {
            out.Drop();
        }
    }
    return out.Finish();
}

PaneToolResult DropLinesContaining(std::string_view text, std::string_view words) {
    const LineList wordLines = SplitLines(words);
    std::vector<std::string_view> wanted;
    for (std::size_t p = 1; p <= wordLines.Count(); ++p) {
        const std::string_view word = Trim(wordLines.Item(p));
        if (!word.empty() && std::find(wanted.begin(), wanted.end(), word) == wanted.end()) {
            wanted.push_back(word);
        }
    }
    LineCollector out(text);
    const LineList& lines = out.Lines();
    for (std::size_t p = 1; p <= lines.Count(); ++p) {
        const std::string_view line = lines.Item(p);
        const bool hit = std::any_of(wanted.begin(), wanted.end(), [line](std::string_view word) {
            return ContainsWord(line, word);
        });
        if (hit) {
            out.Drop();
        } else {
            out.Keep(line);
        }
    }
    return out.Finish();
}

}  // namespace morvelin
