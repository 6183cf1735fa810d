#include "behaviour/Layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace morvelin {
namespace {

// The tables hold together: one row per control, parents first, every child inside its parent,
// every control inside the window's client area, and links with their colours and addresses.
TEST(LayoutTest, TablesHoldTogether) {
    const WindowLayout& window = MainWindowLayout();
    std::set<ControlId> seen;
    std::set<std::string> names;
    for (const ControlLayout& control : ControlLayouts()) {
        SCOPED_TRACE(control.formName);
        EXPECT_TRUE(seen.insert(control.id).second) << "one row per control";
        EXPECT_TRUE(names.insert(control.formName).second) << "form names are unique";
        EXPECT_EQ(&LayoutOf(control.id), &control);
        if (control.kind == ControlKind::BalloonTips) {
            continue;
        }
        int left = control.x;
        int top = control.y;
        if (control.parent != ControlId::Window) {
            ASSERT_TRUE(seen.count(control.parent)) << "the parent comes first";
            const ControlLayout& parent = LayoutOf(control.parent);
            EXPECT_EQ(parent.kind, ControlKind::GroupBox);
            EXPECT_LE(control.x + control.width, parent.width);
            EXPECT_LE(control.y + control.height, parent.height);
            left += parent.x;
            top += parent.y;
        }
        // The controls cover the client area from x = 0 to 880 and from y = 2 to 628.
        EXPECT_GE(left, 0);
        EXPECT_GE(top, 2);
        EXPECT_LE(left + control.width - 1, 880);
        EXPECT_LE(top + control.height - 1, 628);
        if (control.kind == ControlKind::HyperlinkLabel) {
            EXPECT_EQ(LinkOf(control.id).id, control.id) << "every link has its colours";
        }
    }
    // The tips, 8 group boxes, 5 panes, 5 labels, 6 links, 26 category buttons, the button.
    EXPECT_EQ(seen.size(), 1 + 8 + 5 + 5 + 6 + 26 + 1u);
    EXPECT_EQ(std::string(window.caption), "Morvelin V8.8");
    EXPECT_EQ(window.clientWidth, 882);
    EXPECT_EQ(window.outerHeight, 656);
}

TEST(LayoutTest, PanesAndCategoriesByNumberAndLetter) {
    const char* const panes[] = {"一级编辑框", "二级编辑框", "三级编辑框", "四级编辑框",
                                 "五级编辑框"};
    for (int pane = 1; pane <= 5; ++pane) {
        const ControlLayout& layout = LayoutOf(PaneControl(pane));
        EXPECT_EQ(std::string(layout.formName), panes[pane - 1]);
        EXPECT_EQ(layout.wraps, pane >= 4) << "only the output panes wrap";
        EXPECT_EQ(layout.background, pane >= 4 ? kWindowGrey : kWhite);
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const ControlLayout& layout = LayoutOf(CategoryControl(letter));
        EXPECT_EQ(std::string(layout.formName),
                  std::string("分类") + static_cast<char>(letter - 'a' + 'A'));
        EXPECT_EQ(layout.kind, ControlKind::RadioButton);
    }
    EXPECT_EQ(PaneControl(0), ControlId::Window);
    EXPECT_EQ(CategoryControl('A'), ControlId::Window);
}

}  // namespace
}  // namespace morvelin
