#include "app/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>
#include <utility>

namespace morvelin {

namespace {

constexpr const char* kCodecName = "GB18030";

constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLineSeparator = u'\u2028';
// A text document takes these as paragraph breaks when they are inserted.
constexpr char16_t kBeginningOfFrame = u'\uFDD0';
constexpr char16_t kEndOfFrame = u'\uFDD1';

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

QString TextCodec::ToPaneText(const Text& text) {
    return ToPaneText(std::string_view(text.data(), PaneTextLength(text)));
}

std::size_t TextCodec::PaneTextLength(const Text& text) {
    // A set stops at the first NUL: the pane holds C strings in the program's original form.
    return std::min(text.size(), std::strlen(text.c_str()));
}

QString TextCodec::ToPaneText(std::string_view bytes) {
    QString decoded =
        DecodeWhole(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));

    // CR LF and a lone CR become '\n' in place: the text only shrinks, and a pane of several
    // hundred megabytes must not be held twice.
    QChar* data = decoded.data();
    const qsizetype n = decoded.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (data[i] == u'\r') {
            data[out++] = u'\n';
            if (i + 1 < n && data[i + 1] == u'\n') {
                ++i;
            }
        } else {
            data[out++] = data[i];
        }
    }
    decoded.truncate(out);
    return decoded;
}

Text TextCodec::FromPaneText(const QString& rawText) {
    // Encoded in large pieces straight into the result, '\n' going through the encoder as the
    // single byte 0x0A (which no multi-byte GB18030 character contains) and widened to CR LF on
    // the way out. One encoder call per line would cost more than the encoding itself.
    QStringEncoder encoder(kCodecName);
    const QStringView raw(rawText);
    const qsizetype n = raw.size();
    Text result;
    result.reserve(static_cast<std::size_t>(n) + static_cast<std::size_t>(n / 8) + 64);
    QByteArray buffer;
    const auto appendPiece = [&](QStringView piece) {
        if (piece.isEmpty()) {
            return;
        }
        buffer.resize(encoder.requiredSpace(piece.size()));
        const char* p = buffer.constData();
        const char* const end = encoder.appendToBuffer(buffer.data(), piece);
        while (p != end) {
            const auto* newline =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (newline == nullptr) {
                result.append(p, static_cast<std::size_t>(end - p));
                break;
            }
            result.append(p, static_cast<std::size_t>(newline - p));
            result.append("\r\n");
            p = newline + 1;
        }
    };

    constexpr qsizetype kPiece = 64 * 1024;
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = raw[i].unicode();
        // The breaks other than '\n': what the document separates paragraphs and lines with, and
        // what it turns into a paragraph break when a text is inserted.
        const bool otherBreak = c == kParagraphSeparator || c == kLineSeparator || c == u'\r' ||
                                c == kBeginningOfFrame || c == kEndOfFrame;
        if (otherBreak) {
            appendPiece(raw.sliced(pieceStart, i - pieceStart));
            result.append("\r\n");
            if (c == u'\r' && i + 1 < n && raw[i + 1] == u'\n') {
                ++i;
            }
            pieceStart = i + 1;
        } else if (i - pieceStart >= kPiece && !QChar::isLowSurrogate(c)) {
            appendPiece(raw.sliced(pieceStart, i - pieceStart));
            pieceStart = i;
        }
    }
    appendPiece(raw.sliced(pieceStart));
    return result;
}

Text TextCodec::FromPaneText(QString&& rawText) {
    // A text of its own (as toRawText gives) can take '\n' for its paragraph separators in place,
    // so that it encodes in large pieces too.
    if (rawText.isDetached()) {
        for (QChar& c : rawText) {
            if (c == kParagraphSeparator) {
                c = u'\n';
            }
        }
    }
    return FromPaneText(std::as_const(rawText));
}

}  // namespace morvelin
