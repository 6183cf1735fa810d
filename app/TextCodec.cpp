#include "app/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>
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

// `bytes` (UTF-8 or GB18030: neither has CR or LF inside a multi-byte character) with every line
// break as CR LF. Copies only where a lone CR or LF is found.
std::string WithCrLfBreaks(std::string_view bytes) {
    std::string out;
    std::size_t copied = 0;  // bytes[0, copied) are in `out` already, or all fine while it is empty
    bool rewritten = false;
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const char* found = std::find_if(bytes.data() + i, bytes.data() + n,
                                         [](char c) { return c == '\r' || c == '\n'; });
        i = static_cast<std::size_t>(found - bytes.data());
        if (i == n) {
            break;
        }
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            i += 2;
            continue;
        }
        if (!rewritten) {
            out.reserve(n + n / 16 + 2);
            rewritten = true;
        }
        out.append(bytes.data() + copied, i - copied);
        out.append("\r\n");
        ++i;
        copied = i;
    }
    if (!rewritten) {
        return std::string(bytes);
    }
    out.append(bytes.data() + copied, n - copied);
    return out;
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
    return DecodeWhole(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

Text TextCodec::Encode(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QStringEncoder encoder(kCodecName);
    const QByteArray bytes = encoder.encode(text);
    return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string TextCodec::ToPaneText(const Text& text) {
    return ToPaneText(std::string_view(text.data(), PaneTextLength(text)));
}

std::size_t TextCodec::PaneTextLength(const Text& text) {
    // A set stops at the first NUL: the pane holds C strings in the program's original form.
    return std::min(text.size(), std::strlen(text.c_str()));
}

std::string TextCodec::ToPaneText(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    QByteArray utf8 =
        DecodeWhole(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))).toUtf8();
    return WithCrLfBreaks(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

Text TextCodec::FromPaneText(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    QStringEncoder encoder(kCodecName);
    const QByteArray bytes =
        encoder.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return WithCrLfBreaks(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace morvelin
