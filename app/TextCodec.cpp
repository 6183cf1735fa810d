#include "app/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace morvelin {

namespace {

constexpr const char* kCodecName = "GB18030";

constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLineSeparator = u'\u2028';

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
    QStringDecoder decoder(kCodecName);
    return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
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
    // A set stops at the first NUL: the pane holds C strings in the program's original form.
    const std::size_t end = std::min(text.size(), std::strlen(text.c_str()));
    QStringDecoder decoder(kCodecName);
    QString decoded = decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(end)));

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
    // Encoded in pieces straight into the result: a large pane's text is not copied once more to
    // put the CR LF in, nor once more from a QByteArray into the Text.
    QStringEncoder encoder(kCodecName);
    Text result;
    result.reserve(static_cast<std::size_t>(rawText.size()) + 64);
    QByteArray buffer;
    const auto appendPiece = [&](QStringView piece) {
        if (piece.isEmpty()) {
            return;
        }
        buffer.resize(encoder.requiredSpace(piece.size()));
        const char* end = encoder.appendToBuffer(buffer.data(), piece);
        result.append(buffer.constData(), static_cast<std::size_t>(end - buffer.constData()));
    };

    constexpr qsizetype kPiece = 64 * 1024;
    const QStringView raw(rawText);
    const qsizetype n = raw.size();
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = raw[i];
        const bool lineBreak =
            c == kParagraphSeparator || c == kLineSeparator || c == u'\n' || c == u'\r';
        if (lineBreak) {
            appendPiece(raw.sliced(pieceStart, i - pieceStart));
            result.append("\r\n");
            if (c == u'\r' && i + 1 < n && raw[i + 1] == u'\n') {
                ++i;
            }
            pieceStart = i + 1;
        } else if (i - pieceStart >= kPiece && !c.isLowSurrogate()) {
            appendPiece(raw.sliced(pieceStart, i - pieceStart));
            pieceStart = i;
        }
    }
    appendPiece(raw.sliced(pieceStart));
    return result;
}

}  // namespace morvelin
