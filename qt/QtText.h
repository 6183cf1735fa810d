#pragma once

#include <QColor>
#include <QString>
#include <string_view>

#include "behaviour/Layout.h"

namespace morvelin {

// The program's own texts are UTF-8 (behaviour/Texts.h, the layout tables): this is how the Qt
// window system takes them.
inline QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QColor ToColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

// The window's grey, behind every control without a background of its own.
inline QColor WindowGrey() {
    return ToColor(kWindowGrey);
}

}  // namespace morvelin
