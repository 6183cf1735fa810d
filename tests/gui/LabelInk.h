#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <cstdlib>

namespace morvelin::testing {

// What a self-drawn label painted on its background: the pixels that differ from it.
struct Ink {
    QRect bounds;  // empty when nothing was drawn
    QColor color;  // the pixel farthest from the background: fully covered by a glyph stroke
};

inline Ink FindInk(const QImage& image, const QColor& background) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Ink ink;
    int farthest = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QColor pixel = rgb.pixelColor(x, y);
            const int distance = std::abs(pixel.red() - background.red()) +
                                 std::abs(pixel.green() - background.green()) +
                                 std::abs(pixel.blue() - background.blue());
            if (distance == 0) {
                continue;
            }
            ink.bounds |= QRect(x, y, 1, 1);
            if (distance > farthest) {
                farthest = distance;
                ink.color = pixel;
            }
        }
    }
    return ink;
}

inline bool SameColor(const QColor& a, const QColor& b, int tolerance = 6) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace morvelin::testing
