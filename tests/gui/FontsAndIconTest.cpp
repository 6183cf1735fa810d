#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QString>
#include <QUrl>

#include "behaviour/Layout.h"
#include "qt/Fonts.h"
#include "qt/ProgramIcon.h"

namespace morvelin {
namespace {

TEST(Fonts, SongTiResolvesToAnInstalledFontWithChineseGlyphs) {
    ASSERT_FALSE(SongTiFamilies().isEmpty());
    const QString family = QFontInfo(PaneFont()).family();
    EXPECT_TRUE(SongTiFamilies().contains(family, Qt::CaseInsensitive))
        << family.toStdString() << " is not one of the families tried for 宋体";
    const QFontMetrics metrics(PaneFont());
    for (const char32_t character : {U'宋', U'关', U'键', U'词'}) {
        EXPECT_TRUE(metrics.inFontUcs4(character))
            << "no glyph for U+" << std::hex << static_cast<unsigned>(character);
    }
}

TEST(Fonts, SizesAreThoseOfTheControls) {
    EXPECT_EQ(PaneFont().pointSize(), 9);
    EXPECT_EQ(DefaultGuiFont().pointSize(), 9);
    for (const int pixels : {14, 16}) {
        const QFont font = SongTiPixelFont(pixels);
        EXPECT_EQ(font.pixelSize(), pixels);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_EQ(font.families(), SongTiFamilies());
    }
}

TEST(Links, EveryCaptionFitsItsBoxAndEveryAddressIsAPlainHttpsPage) {
    const QFontMetrics metrics(DefaultGuiFont());
    for (const LinkLayout& link : LinkLayouts()) {
        const ControlLayout& box = LayoutOf(link.id);
        SCOPED_TRACE(box.formName);
        EXPECT_LE(metrics.horizontalAdvance(QString::fromUtf8(box.caption)), box.width);
        const QUrl url(QString::fromUtf8(link.url), QUrl::StrictMode);
        EXPECT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), QStringLiteral("https"));
        EXPECT_FALSE(url.hasQuery()) << "no tracking parameters";
        EXPECT_FALSE(url.hasFragment());
    }
    // The long caption names the makers' address at its end.
    EXPECT_TRUE(QString::fromUtf8(LayoutOf(ControlId::Link1).caption)
                    .endsWith(QStringLiteral("vornhald.example")));
    EXPECT_STREQ(LinkOf(ControlId::Link1).url, kMakersPageUrl);
}

TEST(ProgramIcon, HoldsEverySizeOfTheTaskbarAndTitleBar) {
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 24, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size << " px missing";
        EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size));
    }
}

}  // namespace
}  // namespace morvelin
