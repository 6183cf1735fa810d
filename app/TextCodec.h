#pragma once

#include <QString>

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
    // What a pane is read as: the document's raw text with every paragraph or line separator (and
    // any '\n' or '\r' that got in) written as CR LF.
    static Text FromPaneText(const QString& rawText);

    // Plain text for the clipboard, a message box or a label: decoded, line breaks kept as they
    // are.
    static QString ToDisplayText(const Text& text) { return Decode(text); }
};

}  // namespace morvelin
