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

    // CR, LF and U+2029 are all ASCII or BMP units, so the replacement works in place on UTF-16.
    QString out;
    out.reserve(decoded.size());
    const qsizetype n = decoded.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = decoded.at(i);
        if (c == u'\r') {
            out.append(u'\n');
            if (i + 1 < n && decoded.at(i + 1) == u'\n') {
                ++i;
            }
        } else {
            out.append(c);
        }
    }
    return out;
}

Text TextCodec::FromPaneText(const QString& rawText) {
    QString withBreaks;
    withBreaks.reserve(rawText.size() + rawText.size() / 16);
    const qsizetype n = rawText.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = rawText.at(i);
        if (c == kParagraphSeparator || c == kLineSeparator || c == u'\n') {
            withBreaks.append(u"\r\n");
        } else if (c == u'\r') {
            withBreaks.append(u"\r\n");
            if (i + 1 < n && rawText.at(i + 1) == u'\n') {
                ++i;
            }
        } else {
            withBreaks.append(c);
        }
    }
    return Encode(withBreaks);
}

}  // namespace morvelin
