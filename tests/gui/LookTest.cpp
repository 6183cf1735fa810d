#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>

#include "behaviour/Texts.h"
#include "qt/BalloonTip.h"
#include "qt/HyperlinkLabel.h"
#include "qt/QtText.h"
#include "qt/TextLabel.h"
#include "tests/gui/AppFixture.h"
#include "tests/gui/LabelInk.h"

// The started window as the user sees it: captions, colours, fonts and pointers read from the
// widgets and from what they paint, against values typed from the window's layout tables.

namespace morvelin::testing {
namespace {

constexpr QRgb kGrey236 = qRgb(236, 236, 236);
constexpr QRgb kBlack = qRgb(0, 0, 0);

QColor ColorOf(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

// The font can show the window's Chinese texts, whichever family stood in for "宋体".
bool ShowsChinese(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.inFontUcs4(U'分') && metrics.inFontUcs4(U'键');
}

class Look : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        MakeDataFolder();
        StartApp();
    }

    template <typename W = QWidget>
    W* Control(const char* name) const {
        return Window().findChild<W*>(Utf8(name));
    }

    // The window as drawn now.
    QImage Shot() const { return Window().grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // What a control painted, cut from the window's picture, above the window's grey.
    Ink InkOf(const QImage& shot, const QWidget* control, QRect part = {}) const {
        const QRect local = part.isNull() ? control->rect() : part;
        const QRect area(control->mapTo(&Window(), local.topLeft()), local.size());
        return FindInk(shot.copy(area), QColor(kGrey236));
    }
};

TEST_F(Look, ControlsCarryTheCaptionsAndColoursOfTheTables) {
    for (const ControlLayout& row : ControlLayouts()) {
        const bool framed = row.kind == ControlKind::GroupBox || row.kind == ControlKind::Label ||
                            row.kind == ControlKind::HyperlinkLabel;
        if (!framed) {
            continue;
        }
        SCOPED_TRACE(row.formName);
        QWidget* widget = Control(row.formName);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << "not a tab stop";
        EXPECT_TRUE(ShowsChinese(widget->font()));
        switch (row.kind) {
            case ControlKind::GroupBox: {
                auto* box = qobject_cast<QGroupBox*>(widget);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->title(), Utf8(row.caption));
                EXPECT_EQ(box->palette().color(QPalette::WindowText), ColorOf(row.text));
                EXPECT_EQ(box->palette().color(QPalette::Window), QColor(kGrey236));
                break;
            }
            case ControlKind::Label: {
                auto* label = qobject_cast<TextLabel*>(widget);
                ASSERT_NE(label, nullptr);
                // 标签5 shows the description from start-up on.
                const QString text =
                    row.id == ControlId::Label5 ? Utf8(kDescriptionText) : Utf8(row.caption);
                EXPECT_EQ(label->text(), text);
                EXPECT_EQ(label->textColor(), ColorOf(row.text));
                EXPECT_EQ(label->wraps(), row.wraps);
                break;
            }
            default: {
                auto* link = qobject_cast<HyperlinkLabel*>(widget);
                ASSERT_NE(link, nullptr);
                const LinkLayout& colours = LinkOf(row.id);
                EXPECT_EQ(link->caption(), Utf8(row.caption));
                EXPECT_EQ(link->url(), Utf8(colours.url));
                EXPECT_EQ(link->colors().normal, ColorOf(colours.normal));
                EXPECT_EQ(link->colors().visited, ColorOf(colours.visited));
                EXPECT_EQ(link->colors().hover, ColorOf(colours.hover));
                EXPECT_EQ(link->cursor().shape(), Qt::BitmapCursor) << "its own hand";
                EXPECT_FALSE(link->isVisited());
                break;
            }
        }
    }
}

TEST_F(Look, ButtonsUseTheirCharacterHeightsAndTheHandPointer) {
    struct ButtonLook {
        QAbstractButton* button;
        const char* caption;
        int characterHeight;
    };
    std::vector<ButtonLook> buttons{{Control<QPushButton>("生成关键词按钮"), "一 键 生 成", 16}};
    static const std::string kCaptions[] = {
        "分类A", "分类B", "分类C", "分类D", "分类E", "分类F", "分类G", "分类H", "分类I",
        "分类J", "分类K", "分类L", "分类M", "分类N", "分类O", "分类P", "分类Q", "分类R",
        "分类S", "分类T", "分类U", "分类V", "分类W", "分类X", "分类Y", "分类Z"};
    for (const std::string& caption : kCaptions) {
        buttons.push_back({Control<QRadioButton>(caption.c_str()), caption.c_str(), 14});
    }
    for (const ButtonLook& look : buttons) {
        SCOPED_TRACE(look.caption);
        ASSERT_NE(look.button, nullptr);
        EXPECT_EQ(look.button->text(), Utf8(look.caption));
        const QFontInfo font(look.button->font());
        EXPECT_EQ(font.pixelSize(), look.characterHeight);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_TRUE(ShowsChinese(look.button->font()));
        EXPECT_EQ(look.button->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(look.button->focusPolicy() & Qt::TabFocus);
        if (qobject_cast<QRadioButton*>(look.button) != nullptr) {
            EXPECT_EQ(look.button->palette().color(QPalette::WindowText), QColor(kBlack));
        }
    }
    for (int n = 1; n <= 5; ++n) {
        const QFont font = Pane(n).font();
        EXPECT_EQ(font.pointSize(), 9) << n;
        EXPECT_TRUE(ShowsChinese(font)) << n;
    }
}

TEST_F(Look, StartUpSetsTheDescriptionTheSixTipsAndTheIcon) {
    EXPECT_EQ(Control<TextLabel>("标签5")->text(), Utf8(kDescriptionText));

    // The component keeps each tip with plain line breaks.
    for (const TipText& tip : TipTexts()) {
        SCOPED_TRACE(LayoutOf(tip.control).formName);
        QString text = Utf8(tip.text);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(Window().BalloonTips()->attachedText(Window().Control(tip.control)), text);
    }
    EXPECT_TRUE(Window().BalloonTips()->attachedText(Control("分类A")).isEmpty());

    const QList<QSize> sizes = Window().windowIcon().availableSizes();
    for (const int size : {16, 24, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
}

TEST_F(Look, WindowPaintsTheTablesColours) {
    const QImage shot = Shot();
    struct Sample {
        const char* where;
        QPoint at;  // in the window
        QRgb color;
    };
    const auto inside = [&](const char* name, QPoint at) {
        return Control(name)->mapTo(&Window(), at);
    };
    const Sample samples[] = {
        {"window above the controls", {440, 0}, kGrey236},
        {"window between the bottom boxes", {426, 580}, kGrey236},
        {"分组框3 between two rows of buttons", inside("分组框3", {200, 38}), kGrey236},
        {"分组框1 right of 标签2", inside("分组框1", {380, 38}), kGrey236},
        {"分组框9 left of its labels", inside("分组框9", {4, 60}), kGrey236},
        {"pane 1", inside("一级编辑框", {60, 200}), qRgb(255, 255, 255)},
        {"pane 4", inside("四级编辑框", {60, 200}), kGrey236},
        {"pane 5", inside("五级编辑框", {60, 200}), kGrey236},
    };
    for (const Sample& sample : samples) {
        EXPECT_EQ(shot.pixelColor(sample.at).name().toStdString(),
                  QColor(sample.color).name().toStdString())
            << sample.where;
    }

    // A caption sits on its box's top line; the frame's own lines are far less saturated than
    // any caption colour, so the strongest ink there is the caption's.
    const int captionLine = QFontMetrics(Window().font()).height();
    for (const ControlLayout& row : ControlLayouts()) {
        // Links are sampled below, with the pointer.
        if (row.kind != ControlKind::GroupBox && row.kind != ControlKind::Label) {
            continue;
        }
        SCOPED_TRACE(row.formName);
        const QWidget* control = Control(row.formName);
        const QRect part = row.kind == ControlKind::GroupBox
                               ? QRect(0, 0, control->width(), std::min(12, captionLine))
                               : QRect();
        const Ink ink = InkOf(shot, control, part);
        ASSERT_FALSE(ink.bounds.isEmpty());
        EXPECT_TRUE(SameColor(ink.color, ColorOf(row.text))) << ink.color.name().toStdString();
    }

    // The description is far wider than its label: it wraps, starting at the top.
    const Ink description = InkOf(shot, Control("标签5"));
    EXPECT_LE(description.bounds.top(), 4);
    EXPECT_GT(description.bounds.height(), 2 * QFontMetrics(Window().font()).height());
}

TEST_F(Look, LinkShowsHoverThenVisitedColourUnderThePointer) {
    auto* link = Control<HyperlinkLabel>("超级链接框9");
    const QPoint centre = link->rect().center();
    EXPECT_TRUE(SameColor(InkOf(Shot(), link).color, ColorOf(LinkOf(ControlId::Link9).normal)));

    // The pointer comes from pane 1: the offscreen platform sends the first move into a window
    // without the enter event that a real window system sends with it.
    QTest::mouseMove(&Pane(1), QPoint(40, 40));
    QTest::mouseMove(link, centre);
    ASSERT_TRUE(link->isHovered());
    EXPECT_TRUE(SameColor(InkOf(Shot(), link).color, QColor(10, 36, 106)));

    QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_EQ(desktop_.openedUrls.size(), 1u);
    EXPECT_EQ(desktop_.openedUrls[0], QUrl(link->url()));

    QTest::mouseMove(&Pane(1), QPoint(40, 40));
    EXPECT_FALSE(link->isHovered());
    EXPECT_TRUE(SameColor(InkOf(Shot(), link).color, QColor(128, 0, 0)));
}

}  // namespace
}  // namespace morvelin::testing
