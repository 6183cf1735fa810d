#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>

#include "tests/gui/AppFixture.h"
#include "tests/gui/LabelInk.h"
#include "ui/BalloonTip.h"
#include "ui/HyperlinkLabel.h"
#include "ui/TextLabel.h"

// The started window as the user sees it: captions, colours, fonts and pointers read from the
// widgets and from what they paint, against values typed from the window's layout tables.

namespace morvelin::testing {
namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

constexpr QRgb kGrey236 = qRgb(236, 236, 236);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kBlack = qRgb(0, 0, 0);

const char* const kDescription =
    "本软件由Vornhald开发，本属于免费、绿色软件，主要功能，是组成所录入的种子关键词，自动生成，二层"
    "批配，和三层批配后的关键词，专门针对淘宝优化进行设计，可用于淘宝、阿里巴巴等商城模式网店进行关"
    "键词组合！";

enum class Kind { GroupBox, Label, WrappingLabel, Link };

struct ControlLook {
    const char* name;
    Kind kind;
    const char* caption;  // links: how the caption begins, where the tables fix it
    QRgb color;           // caption or text colour; a link's normal colour
    QRgb visited = 0;
    QRgb hover = 0;
};

const ControlLook kLooks[] = {
    {"分组框9", Kind::GroupBox, "官方说明", kBlack},
    {"分组框8", Kind::GroupBox, "二级生成", kBlue},
    {"分组框7", Kind::GroupBox, "一级生成", kBlue},
    {"分组框6", Kind::GroupBox, "请输入产品的类别", kBlue},
    {"分组框5", Kind::GroupBox, "请输入产品的属性", kBlue},
    {"分组框4", Kind::GroupBox, "请录入产品名称", kBlue},
    {"分组框1", Kind::GroupBox, "软件说明", kGrey},
    {"分组框3", Kind::GroupBox, "分类", kBlue},
    {"标签5", Kind::WrappingLabel, kDescription, qRgb(0, 128, 0)},
    {"标签4", Kind::Label,
     "关键词支持快捷键：(全选 Ctrl+A)、(剪切Ctrl+X)、(复制Ctrl+C)、(粘贴Ctrl+V)", kBlue},
    {"标签3", Kind::Label, "友情支持：", kBlue},
    {"标签2", Kind::Label, "关键词每行一个，不能有无效数据或空行，否则将出现错误！", kGrey},
    {"标签1", Kind::Label, "以上三项分别是，产品、属性、类别，可以多种方式灵活搭配！", kGrey},
    {"超级链接框1", Kind::Link, "本软件由Vornhald 制作，本软件是免费共享软件！详情", kGrey,
     qRgb(128, 0, 0), qRgb(10, 36, 106)},
    {"超级链接框6", Kind::Link, "", qRgb(0, 96, 192), qRgb(0, 136, 255), qRgb(128, 0, 0)},
    {"超级链接框7", Kind::Link, "", qRgb(0, 96, 192), qRgb(0, 136, 255), qRgb(128, 0, 128)},
    {"超级链接框8", Kind::Link, "", qRgb(0, 96, 192), qRgb(0, 136, 255), qRgb(128, 0, 0)},
    {"超级链接框9", Kind::Link, "", kBlue, qRgb(128, 0, 0), qRgb(10, 36, 106)},
    {"超级链接框10", Kind::Link, "", kBlue, qRgb(128, 0, 0), qRgb(10, 36, 106)},
};

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
    for (const auto& row : kLooks) {
        SCOPED_TRACE(row.name);
        QWidget* widget = Control(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << "not a tab stop";
        EXPECT_TRUE(ShowsChinese(widget->font()));
        switch (row.kind) {
            case Kind::GroupBox: {
                auto* box = qobject_cast<QGroupBox*>(widget);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->title(), Utf8(row.caption));
                EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(row.color));
                EXPECT_EQ(box->palette().color(QPalette::Window), QColor(kGrey236));
                break;
            }
            case Kind::Label:
            case Kind::WrappingLabel: {
                auto* label = qobject_cast<TextLabel*>(widget);
                ASSERT_NE(label, nullptr);
                EXPECT_EQ(label->text(), Utf8(row.caption));
                EXPECT_EQ(label->textColor(), QColor(row.color));
                EXPECT_EQ(label->wraps(), row.kind == Kind::WrappingLabel);
                break;
            }
            case Kind::Link: {
                auto* link = qobject_cast<HyperlinkLabel*>(widget);
                ASSERT_NE(link, nullptr);
                EXPECT_TRUE(link->caption().startsWith(Utf8(row.caption)));
                EXPECT_FALSE(link->url().isEmpty());
                EXPECT_EQ(link->colors().normal, QColor(row.color));
                EXPECT_EQ(link->colors().visited, QColor(row.visited));
                EXPECT_EQ(link->colors().hover, QColor(row.hover));
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
    EXPECT_EQ(Control<TextLabel>("标签5")->text(), Utf8(kDescription));

    struct Tip {
        const char* control;
        const char* text;
    };
    const Tip tips[] = {
        {"一级编辑框", "在这里您可以录入种子关键词类型一\n\n比如产品名称，等核心批配关键词！"},
        {"二级编辑框", "在这里你可以录入一些产品的属性\n\n或者说一些通用长尾的进一步说明！"},
        {"三级编辑框", "在这里，你可以对核心的种子进行\n\n进一步的说明或者强调！"},
        {"四级编辑框", "这里是根据条件初步生成的二联关键词！\n\n双击此处可以自动复制！"},
        {"五级编辑框", "这里是根据条件最终生成的三联关键词！\n\n双击此处可以自动复制！"},
        {"生成关键词按钮", "点击此处一键生成长尾关键词！"},
    };
    for (const Tip& tip : tips) {
        SCOPED_TRACE(tip.control);
        EXPECT_EQ(Window().BalloonTips()->attachedText(Control(tip.control)), Utf8(tip.text));
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
    for (const auto& row : kLooks) {
        SCOPED_TRACE(row.name);
        const QWidget* control = Control(row.name);
        const QRect part = row.kind == Kind::GroupBox
                               ? QRect(0, 0, control->width(), std::min(12, captionLine))
                               : QRect();
        if (row.kind == Kind::Link) {
            continue;  // below, with the pointer
        }
        const Ink ink = InkOf(shot, control, part);
        ASSERT_FALSE(ink.bounds.isEmpty());
        EXPECT_TRUE(SameColor(ink.color, QColor(row.color))) << ink.color.name().toStdString();
    }

    // The description is far wider than its label: it wraps, starting at the top.
    const Ink description = InkOf(shot, Control("标签5"));
    EXPECT_LE(description.bounds.top(), 4);
    EXPECT_GT(description.bounds.height(), 2 * QFontMetrics(Window().font()).height());
}

TEST_F(Look, LinkShowsHoverThenVisitedColourUnderThePointer) {
    auto* link = Control<HyperlinkLabel>("超级链接框9");
    const QPoint centre = link->rect().center();
    EXPECT_TRUE(SameColor(InkOf(Shot(), link).color, QColor(kBlue)));

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
