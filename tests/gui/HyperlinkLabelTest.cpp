#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <memory>

#include "qt/Fonts.h"
#include "qt/HyperlinkLabel.h"
#include "qt/WebPage.h"
#include "tests/gui/FakeDesktop.h"
#include "tests/gui/LabelInk.h"

namespace morvelin {
namespace {

using testing::FakeDesktop;
using testing::FindInk;
using testing::SameColor;

const QColor kBackground(236, 236, 236);
const LinkColors kColors{QColor(0, 0, 255), QColor(128, 0, 0), QColor(10, 36, 106)};
const QString kUrl = QStringLiteral("https://vornhald.example/help");

class HyperlinkLabelTest : public ::testing::Test {
  protected:
    std::unique_ptr<HyperlinkLabel> MakeLabel(const QString& caption, const QString& url,
                                              QSize size = QSize(79, 16)) {
        auto label = std::make_unique<HyperlinkLabel>(caption, url, kColors, desktop);
        label->resize(size);
        label->show();
        return label;
    }

    static void Send(QWidget* widget, QEvent::Type type, QPoint pos,
                     Qt::MouseButton button = Qt::NoButton) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
    static void Enter(QWidget* widget) {
        const QPoint pos = widget->rect().center();
        QEnterEvent event(pos, pos, widget->mapToGlobal(pos));
        QCoreApplication::sendEvent(widget, &event);
    }
    static void PressLeft(QWidget* widget) {
        Send(widget, QEvent::MouseButtonPress, widget->rect().center(), Qt::LeftButton);
    }

    FakeDesktop desktop;
};

struct PressCase {
    const char* name;
    bool openUrlWorks;
    bool startProgramWorks;
    bool visited;
    bool fallbackTried;
};

TEST_F(HyperlinkLabelTest, PressOpensTheAddressWithTheFallbackWhenTheDesktopRefuses) {
    const PressCase cases[] = {
        {"desktop opens it", true, false, true, false},
        {"desktop refuses, xdg-open starts", false, true, true, true},
        {"both fail", false, false, false, true},
    };
    for (const PressCase& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.openedUrls.clear();
        desktop.started.clear();
        desktop.openUrlWorks = c.openUrlWorks;
        desktop.startProgramWorks = c.startProgramWorks;
        const auto label = MakeLabel(QStringLiteral("使用帮助"), kUrl);

        PressLeft(label.get());

        ASSERT_EQ(desktop.openedUrls.size(), 1u);
        EXPECT_EQ(desktop.openedUrls[0], QUrl(kUrl));
        if (c.fallbackTried) {
            ASSERT_EQ(desktop.started.size(), 1u);
            EXPECT_EQ(desktop.started[0].program, QStringLiteral("xdg-open"));
            EXPECT_EQ(desktop.started[0].arguments, QStringList{kUrl});
        } else {
            EXPECT_TRUE(desktop.started.empty());
        }
        EXPECT_EQ(label->isVisited(), c.visited);
    }
}

TEST_F(HyperlinkLabelTest, VisitedMarkGoesWhenALaterPressFails) {
    const auto label = MakeLabel(QStringLiteral("使用帮助"), kUrl);
    PressLeft(label.get());
    ASSERT_TRUE(label->isVisited());
    desktop.openUrlWorks = false;
    desktop.startProgramWorks = false;
    PressLeft(label.get());
    EXPECT_FALSE(label->isVisited());
}

TEST_F(HyperlinkLabelTest, OpensOnTheLeftButtonGoingDownOnly) {
    const auto label = MakeLabel(QStringLiteral("使用帮助"), kUrl);
    const QPoint centre = label->rect().center();
    Send(label.get(), QEvent::MouseButtonPress, centre, Qt::RightButton);
    Send(label.get(), QEvent::MouseButtonRelease, centre, Qt::RightButton);
    EXPECT_TRUE(desktop.openedUrls.empty()) << "the right button opens nothing";

    Send(label.get(), QEvent::MouseButtonPress, centre, Qt::LeftButton);
    EXPECT_EQ(desktop.openedUrls.size(), 1u) << "opened as the button went down";
    Send(label.get(), QEvent::MouseButtonRelease, centre, Qt::LeftButton);
    EXPECT_EQ(desktop.openedUrls.size(), 1u) << "the release opens nothing more";
}

TEST_F(HyperlinkLabelTest, EmptyAddressOpensNothing) {
    const auto label = MakeLabel(QStringLiteral("空"), QString());
    PressLeft(label.get());
    EXPECT_TRUE(desktop.openedUrls.empty());
    EXPECT_TRUE(desktop.started.empty());
    EXPECT_FALSE(label->isVisited());
}

TEST_F(HyperlinkLabelTest, HoverHoldsTheMouseUntilThePointerLeavesTheBox) {
    const auto label = MakeLabel(QStringLiteral("使用帮助"), kUrl);
    EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(label->cursor().shape(), Qt::BitmapCursor) << "the label's own hand";

    Enter(label.get());
    EXPECT_TRUE(label->isHovered());
    EXPECT_EQ(QWidget::mouseGrabber(), label.get());

    Send(label.get(), QEvent::MouseMove, QPoint(label->width() - 1, label->height() - 1));
    EXPECT_TRUE(label->isHovered()) << "a move inside the box keeps the hover";

    Send(label.get(), QEvent::MouseMove, QPoint(label->width() + 3, 2));
    EXPECT_FALSE(label->isHovered());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(HyperlinkLabelTest, DrawsCentredInHoverOverVisitedOverNormalColour) {
    struct ColourCase {
        const char* name;
        bool hovered;
        bool visited;
        QColor expected;
    };
    const ColourCase cases[] = {
        {"untouched", false, false, kColors.normal},
        {"visited", false, true, kColors.visited},
        {"hovered", true, false, kColors.hover},
        {"hovered after a visit", true, true, kColors.hover},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto label = MakeLabel(QStringLiteral("天猫商城"), kUrl);
        if (c.visited) {
            PressLeft(label.get());
        }
        if (c.hovered) {
            Enter(label.get());
        }
        ASSERT_EQ(label->isHovered(), c.hovered);
        ASSERT_EQ(label->isVisited(), c.visited);

        const testing::Ink ink = FindInk(label->grab().toImage(), kBackground);
        ASSERT_FALSE(ink.bounds.isEmpty());
        EXPECT_TRUE(SameColor(ink.color, c.expected)) << ink.color.name().toStdString();
        EXPECT_NEAR(ink.bounds.center().x(), label->width() / 2, 2);
        EXPECT_NEAR(ink.bounds.center().y(), label->height() / 2, 2);
    }
}

TEST_F(HyperlinkLabelTest, EmptyCaptionShowsTheAddress) {
    const auto label = MakeLabel(QString(), kUrl, QSize(260, 16));
    const int expected = QFontMetrics(DefaultGuiFont()).horizontalAdvance(kUrl);
    const testing::Ink ink = FindInk(label->grab().toImage(), kBackground);
    EXPECT_NEAR(ink.bounds.width(), expected, 4);
}

TEST(CutBrowserCommand, DropsThePlaceholderAndEverythingAfterIt) {
    struct CutCase {
        const char* name;
        const char* line;
        const char* expected;
    };
    const CutCase cases[] = {
        {"quoted placeholder", R"("C:\Browser\b.exe" -osint -url "%1" -x)",
         R"("C:\Browser\b.exe" -osint -url )"},
        {"bare placeholder", R"(C:\b.exe %1)", R"(C:\b.exe )"},
        {"quoted one wins over an earlier bare one", R"(b.exe %1x "%1")", R"(b.exe %1x )"},
        {"no placeholder", R"("C:\b.exe" -nohome)", R"("C:\b.exe" -nohome)"},
        {"empty", "", ""},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CutBrowserCommand(QString::fromUtf8(c.line)), QString::fromUtf8(c.expected));
    }
}

}  // namespace
}  // namespace morvelin
