#include "qt/TextCodec.h"

#include "store/Gb18030.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace morvelin {

namespace {

constexpr const char* kCodecName = "GB18030";

// Decodes a whole text. The decoder holds an unfinished sequence at the end back, waiting for bytes
// that never come; a line break fed after it makes it give that sequence out as U+FFFD, as every
// other invalid byte, instead of dropping it. The break itself is not part of the text.
QString DecodeWhole(QByteArrayView bytes) {
    QStringDecoder decoder(kCodecName);
    QString decoded = decoder.decode(bytes);
    QString tail = decoder.decode(QByteArrayView("\n", 1));
    if (tail.endsWith(u'\n')) {
        tail.chop(1);
    }
    decoded += tail;
    return decoded;
}

// The position of the first line break of `bytes` that is not a CR LF pair, npos where every
// break is one. Texts of the panes and files almost always have none, so this is the part that
// matters: two runs of memchr, one for LF and one for CR, instead of a test of every byte.
std::size_t FirstLoneBreak(const std::string& bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    std::size_t first = std::string::npos;
    for (const char* lf = begin;
         (lf = static_cast<const char*>(std::memchr(lf, '\n', static_cast<std::size_t>(end - lf))));
         ++lf) {
        if (lf == begin || lf[-1] != '\r') {
            first = static_cast<std::size_t>(lf - begin);
            break;
        }
    }
    for (const char* cr = begin;
         (cr = static_cast<const char*>(std::memchr(cr, '\r', static_cast<std::size_t>(end - cr))));
         ++cr) {
        if (static_cast<std::size_t>(cr - begin) >= first) {
            break;
        }
        if (cr + 1 == end || cr[1] != '\n') {
            return static_cast<std::size_t>(cr - begin);
        }
    }
    return first;
}

// Writes every line break of `bytes` (UTF-8 or GB18030: neither has CR or LF inside a multi-byte
// character) as CR LF. Rewrites only where a lone CR or LF is found.
void UseCrLfBreaks(std::string& bytes) {
    std::size_t i = FirstLoneBreak(bytes);
    if (i == std::string::npos) {
        return;
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16 + 2);
    out.append(bytes, 0, i);
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += "\r\n";
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
    }
    bytes.swap(out);
}

std::string ToString(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// GB18030 to UTF-8 with the program's own codec, the one that reads and writes the data files.
// Bytes that are no character (a file only shown, never saved over) become U+FFFD through Qt's
// converter, which goes on after them.
std::string Utf8Of(std::string_view gb18030) {
    if (std::optional<std::string> utf8 = Gb18030ToUtf8(gb18030)) {
        return std::move(*utf8);
    }
    return ToString(
        DecodeWhole(QByteArrayView(gb18030.data(), static_cast<qsizetype>(gb18030.size())))
            .toUtf8());
}

// UTF-8 to GB18030 with the program's own codec; the few private-use characters that it gives no
// form go through Qt's converter rather than being lost.
Text Gb18030Of(std::string_view utf8) {
    if (std::optional<std::string> bytes = Utf8ToGb18030(utf8)) {
        return std::move(*bytes);
    }
    QStringEncoder encoder(kCodecName);
    return ToString(
        encoder.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))));
}

}  // namespace

bool TextCodec::IsAvailable() {
    QStringDecoder decoder(kCodecName);
    QStringEncoder encoder(kCodecName);
    if (!decoder.isValid() || !encoder.isValid()) {
        return false;
    }
    // A four-byte sequence proves that the converter is the full GB18030, not plain GBK.
    const QString probe = QString::fromUtf8("\xE4\xB8\xAD\xF0\x9F\x98\x80");  // 中 and an emoji
    const QByteArray bytes = encoder.encode(probe);
    return bytes == QByteArrayLiteral("\xD6\xD0\x94\x39\xFC\x36") && decoder.decode(bytes) == probe;
}

QString TextCodec::Decode(const Text& text) {
    if (text.empty()) {
        return {};
    }
    const std::string utf8 = Utf8Of(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Text TextCodec::Encode(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return Gb18030Of(ToString(text.toUtf8()));
}

std::string TextCodec::ToPaneText(const Text& text) {
    return ToPaneText(std::string_view(text.data(), PaneTextLength(text)));
}

std::size_t TextCodec::PaneTextLength(const Text& text) {
    // A set stops at the first NUL: a Text holds none inside.
    return std::min(text.size(), std::strlen(text.c_str()));
}

std::string TextCodec::ToPaneText(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    std::string utf8 = Utf8Of(bytes);
    UseCrLfBreaks(utf8);
    return utf8;
}

Text TextCodec::FromPaneText(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    Text bytes = Gb18030Of(utf8);
    UseCrLfBreaks(bytes);
    return bytes;
}

}  // namespace morvelin
