#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// Where a Text (GB18030 bytes, lines ended by CR LF) meets Qt and the panes, through the program's
// own GB18030 codec (store/Gb18030.h), the one the data files are read and written with. Every
// call may run on any thread. The panes hold UTF-8 with lines ended by CR LF; the conversion
// between that and a Text is done here and nowhere else.
class TextCodec {
  public:
    // False when this Qt build cannot convert GB18030; checked once at start-up.
    static bool IsAvailable();

    // Bytes to text; invalid bytes become U+FFFD. Nothing else changes.
    static QString Decode(const Text& text);
    // Text to bytes; every character has a GB18030 form, so nothing is lost.
    static Text Encode(const QString& text);

    // What a pane is set to: the text up to its first NUL byte, as UTF-8, with CR LF, a lone CR
    // and a lone LF each written as CR LF. Invalid bytes become U+FFFD.
    static std::string ToPaneText(const Text& text);
    // The bytes of a set that ToPaneText takes: those before the first NUL.
    static std::size_t PaneTextLength(const Text& text);
    // ToPaneText of bytes that hold no NUL.
    static std::string ToPaneText(std::string_view bytes);
    // What a pane is read as: its UTF-8 text in GB18030, every line break (a lone CR or LF too)
    // written as CR LF.
    static Text FromPaneText(std::string_view utf8);
};

}  // namespace morvelin
