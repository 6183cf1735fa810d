#pragma once

#include <QFont>
#include <QStringList>

namespace morvelin {

// The window's fonts. "宋体" (SimSun) is what the Chinese desktop the program was made for uses
// everywhere; where it is not installed, the nearest installed font that can show Simplified
// Chinese stands in for it. All of these need a QGuiApplication.

// The families tried for "宋体", best first: SimSun and NSimSun, then an installed CJK serif, then
// any installed font that supports Simplified Chinese. Looked up once per run.
const QStringList& SongTiFamilies();

// The five panes and the balloon tips: "宋体" 9 points.
QFont PaneFont();

// "宋体" with the given character height in pixels (not the cell height), normal weight: the
// radio buttons use 14, the generate button 16.
QFont SongTiPixelFont(int pixelHeight);

// What the window and every control without a font of its own use. On the Chinese desktop this
// is "宋体" 9 points as well.
QFont DefaultGuiFont();

}  // namespace morvelin
