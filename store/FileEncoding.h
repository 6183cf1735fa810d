#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/Text.h"

namespace morvelin {

// How a data file's bytes stand for its Text. Panes and the generator only ever see Texts
// (GB18030); the encoding is known to a pane's load and save alone, and a file is saved in the
// encoding it was read in.
enum class FileEncoding {
    Gb18030,      // the bytes are the Text; also every new file
    Gb18030Euro,  // GB18030, except that 0x80 at a character start is the euro sign, as code
                  // page 936 programs write it; the Text has GB18030's A2 E3 there
    Utf8,
    Utf8Bom,
    Utf16LeBom,
    Utf16BeBom,
};

// Turns a file's bytes into its Text, in place, in the first encoding that gives back exactly
// these bytes on save: UTF-16 with a byte order mark, UTF-8 with one, GB18030 as is, UTF-8,
// GB18030 with code page 936's euro sign. nullopt, leaving the bytes as they are, when none does,
// so that no save could keep every byte.
std::optional<FileEncoding> DecodeFileBytes(std::string& bytes);

// The bytes of a file in `encoding` that holds `text`; nullopt when the text is not valid GB18030
// where the encoding needs it converted.
std::optional<std::string> EncodeFileBytes(FileEncoding encoding, std::string_view text);

}  // namespace morvelin
