#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// Where a Text (GB18030 bytes, lines ended by CR LF) meets Qt. Each call makes its own decoder or
// encoder, so both may run on any thread at once.
class TextCodec {
  public:
    // False when this Qt build cannot convert GB18030; checked once at start-up.
    static bool IsAvailable();

    // Bytes to text; invalid bytes become U+FFFD. Nothing else changes.
    static QString Decode(const Text& text);
    // Text to bytes; every character has a GB18030 form, so nothing is lost.
    static Text Encode(const QString& text);

    // What a pane is set to: the text up to its first NUL byte, with CR LF, a lone CR and a lone LF
    // each turned into one '\n', the line break a text document understands.
    static QString ToPaneText(const Text& text);
    // The bytes of a set that ToPaneText takes: those before the first NUL.
    static std::size_t PaneTextLength(const Text& text);
    // ToPaneText of bytes that hold no NUL. Pieces of a text cut after an LF decode to the pieces
    // of the whole text's result: no character and no CR LF spans such a cut.
    static QString ToPaneText(std::string_view bytes);
    // What a pane is read as: the document's raw text with every paragraph or line separator (and
    // any '\n' or '\r' that got in) written as CR LF. The frame marks U+FDD0 and U+FDD1 count as
    // breaks too, as a document turns them into paragraph breaks: so for a text that was set,
    // this gives exactly what a read of the pane will give once it holds the text.
    static Text FromPaneText(const QString& rawText);
    // The same, faster, for a text that the caller gives up (it may be changed in place).
    static Text FromPaneText(QString&& rawText);

    // Plain text for the clipboard, a message box or a label: decoded, line breaks kept as they
    // are.
    static QString ToDisplayText(const Text& text) { return Decode(text); }
};

}  // namespace morvelin
