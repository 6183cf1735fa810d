#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QString>

#include "qt/Fonts.h"
#include "qt/TextLabel.h"
#include "tests/gui/LabelInk.h"

namespace morvelin {
namespace {

using testing::FindInk;
using testing::SameColor;

const QColor kBackground(236, 236, 236);
const QString kLongText = QStringLiteral("关键词每行一个，不能有无效数据或空行，否则将出现错误！");

TEST(TextLabel, OneLineIsLeftAlignedAndCentredVertically) {
    const QColor green(0, 128, 0);
    TextLabel label(QStringLiteral("以上三项分别是"), green, false);
    label.resize(200, 24);
    const QImage image = label.grab().toImage();
    EXPECT_EQ(image.pixelColor(199, 0), kBackground);
    const testing::Ink ink = FindInk(image, kBackground);
    ASSERT_FALSE(ink.bounds.isEmpty());
    EXPECT_TRUE(SameColor(ink.color, green)) << ink.color.name().toStdString();
    EXPECT_LE(ink.bounds.left(), 2);
    EXPECT_NEAR(ink.bounds.center().y(), label.height() / 2, 3);
}

TEST(TextLabel, WrappingLabelBreaksAtItsWidthFromTheTop) {
    const int lineSpacing = QFontMetrics(DefaultGuiFont()).lineSpacing();
    const QColor blue(0, 0, 255);
    TextLabel wrapping(kLongText, blue, true);
    TextLabel oneLine(kLongText, blue, false);
    for (TextLabel* label : {&wrapping, &oneLine}) {
        label->resize(120, 4 * lineSpacing);
    }

    const testing::Ink wrapped = FindInk(wrapping.grab().toImage(), kBackground);
    EXPECT_LE(wrapped.bounds.top(), 3);
    EXPECT_GT(wrapped.bounds.height(), 2 * lineSpacing) << "the text should take several lines";

    const testing::Ink single = FindInk(oneLine.grab().toImage(), kBackground);
    EXPECT_LE(single.bounds.height(), lineSpacing);
    EXPECT_NEAR(single.bounds.center().y(), oneLine.height() / 2, 3);
}

}  // namespace
}  // namespace morvelin
