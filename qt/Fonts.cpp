#include "qt/Fonts.h"

#include <QFontDatabase>

namespace morvelin {
namespace {

QStringList ResolveSongTiFamilies() {
    // Only installed families go into the list: a missing name would let fontconfig substitute
    // whatever it likes (often a Latin font without a single Chinese glyph) before the list's
    // later entries are even tried.
    const QStringList installed = QFontDatabase::families();
    const auto isInstalled = [&installed](const QString& family) {
        return installed.contains(family, Qt::CaseInsensitive);
    };
    QStringList families;
    for (const char* preferred :
         {"SimSun", "NSimSun", "Noto Serif CJK SC", "AR PL UMing CN", "AR PL UMing TW"}) {
        const QString family = QString::fromLatin1(preferred);
        if (isInstalled(family)) {
            families << family;
        }
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : chinese) {
        if (!QFontDatabase::isPrivateFamily(family) && !families.contains(family)) {
            families << family;
            break;
        }
    }
    if (families.isEmpty()) {
        // Nothing installed can show Chinese; keep the name so that a font installed under it
        // later, or the platform's own fallback, still has a chance.
        families << QStringLiteral("SimSun");
    }
    return families;
}

QFont SongTi() {
    QFont font;
    font.setFamilies(SongTiFamilies());
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace

const QStringList& SongTiFamilies() {
    static const QStringList families = ResolveSongTiFamilies();
    return families;
}

QFont PaneFont() {
    QFont font = SongTi();
    font.setPointSize(9);
    return font;
}

QFont SongTiPixelFont(int pixelHeight) {
    QFont font = SongTi();
    font.setPixelSize(pixelHeight);
    return font;
}

QFont DefaultGuiFont() {
    return PaneFont();
}

}  // namespace morvelin
