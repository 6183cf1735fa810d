#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QString>
#include <QUrl>

#include "ui/Fonts.h"
#include "ui/Links.h"
#include "ui/ProgramIcon.h"

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

// The widths of the hyperlink labels' boxes in the window; a caption wider than its box is cut.
struct LinkBox {
    const char* formName;
    int width;
};
constexpr LinkBox kLinkBoxes[] = {
    {"超级链接框1", 405}, {"超级链接框6", 58}, {"超级链接框7", 51},
    {"超级链接框8", 79},  {"超级链接框9", 57}, {"超级链接框10", 57},
};

TEST(Links, EveryCaptionFitsItsBoxAndEveryAddressIsAPlainHttpsPage) {
    const QFontMetrics metrics(DefaultGuiFont());
    ASSERT_EQ(std::size(kLinkBoxes), kLinks.size());
    for (std::size_t i = 0; i < kLinks.size(); ++i) {
        const LinkEntry& link = kLinks[i];
        SCOPED_TRACE(link.formName);
        EXPECT_STREQ(link.formName, kLinkBoxes[i].formName);
        EXPECT_LE(metrics.horizontalAdvance(QString::fromUtf8(link.caption)), kLinkBoxes[i].width);
        const QUrl url(QString::fromUtf8(link.url), QUrl::StrictMode);
        EXPECT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), QStringLiteral("https"));
        EXPECT_FALSE(url.hasQuery()) << "no tracking parameters";
        EXPECT_FALSE(url.hasFragment());
    }
    // The long caption names the makers' address at its end.
    EXPECT_TRUE(QString::fromUtf8(kLinks[0].caption).endsWith(QStringLiteral("vornhald.example")));
    EXPECT_STREQ(kLinks[0].url, kMakersPageUrl);
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
