#include <gtest/gtest.h>

#include <QPushButton>
#include <QString>
#include <array>
#include <vector>

#include "app/WindowSystem.h"
#include "store/CategoryStore.h"
#include "tests/gui/FakeDesktop.h"
#include "ui/MainWindow.h"
#include "ui/WindowHandlers.h"

namespace morvelin::testing {
namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Records the window-system calls in order; panes are plain texts.
class RecordingWindowSystem : public WindowSystem {
  public:
    Text GetPaneText(int pane) override {
        calls.push_back(QStringLiteral("get %1").arg(pane));
        return panes[static_cast<std::size_t>(pane - 1)];
    }
    void SetPaneText(int pane, Text text) override {
        calls.push_back(QStringLiteral("set %1").arg(pane));
        panes[static_cast<std::size_t>(pane - 1)] = std::move(text);
    }
    void CloseAllFiles() override {}
    void SetLabelText(const QString& label, const QString& text) override {
        calls.push_back(QStringLiteral("label ") + label);
        labels.push_back({label, text});
    }
    void ShowMessageBox(const QString& text, const QString& caption, Desktop::Icon) override {
        calls.push_back(QStringLiteral("box ") + caption + QLatin1Char(' ') + text);
    }
    bool SetClipboardText(const Text& text) override {
        calls.push_back(QStringLiteral("clipboard ") + QString::fromStdString(text));
        return false;  // the confirmation shows all the same
    }
    bool StartThread(std::function<void()>) override { return false; }
    void OpenWebPage(const QString& url) override {
        calls.push_back(QStringLiteral("open ") + url);
    }
    bool AttachTip(const QString& control, const QString& text) override {
        calls.push_back(QStringLiteral("tip ") + control);
        tips.push_back({control, text});
        return true;
    }

    std::array<Text, 5> panes;
    std::vector<QString> calls;
    std::vector<std::pair<QString, QString>> labels;
    std::vector<std::pair<QString, QString>> tips;
};

class Handlers : public ::testing::Test {
  protected:
    FakeDesktop desktop_;
    MainWindow window_{desktop_};
    RecordingWindowSystem system_;
    CategoryStore store_{system_};
    int generations_ = 0;
    WindowHandlers handlers_{window_, system_, store_, [this] { ++generations_; },
                             QStringLiteral("https://makers.example/")};
};

TEST_F(Handlers, CreatedLoadsCategoryAThenSetsTheDescriptionThenTheSixTips) {
    handlers_.OnWindowCreated();
    EXPECT_EQ(store_.Files()[0], "data/a-1.txt");
    const std::vector<QString> tail(system_.calls.end() - 7, system_.calls.end());
    EXPECT_EQ(tail, (std::vector<QString>{Utf8("label 标签5"), Utf8("tip 一级编辑框"),
                                          Utf8("tip 二级编辑框"), Utf8("tip 三级编辑框"),
                                          Utf8("tip 四级编辑框"), Utf8("tip 五级编辑框"),
                                          Utf8("tip 生成关键词按钮")}));
    EXPECT_EQ(system_.labels[0].second, WindowHandlers::DescriptionText());
    EXPECT_EQ(system_.tips[0].second,
              Utf8("在这里您可以录入种子关键词类型一\r\n\r\n比如产品名称，等核心批配关键词！"));
    EXPECT_EQ(system_.tips[4].second,
              Utf8("这里是根据条件最终生成的三联关键词！\r\n\r\n双击此处可以自动复制！"));
    EXPECT_EQ(system_.tips[5].second, Utf8("点击此处一键生成长尾关键词！"));
}

TEST_F(Handlers, NothingReachesAHandlerBeforeConnectOrAfterBlock) {
    window_.CategoryButton('c')->click();
    EXPECT_TRUE(system_.calls.empty());

    handlers_.Connect();
    window_.CategoryButton('c')->click();
    EXPECT_EQ(store_.Files()[0], "data/c-1.txt");
    window_.GenerateButton()->click();
    EXPECT_EQ(generations_, 1);

    handlers_.BlockEvents();
    system_.calls.clear();
    window_.CategoryButton('d')->click();
    window_.GenerateButton()->click();
    EXPECT_TRUE(system_.calls.empty());
    EXPECT_EQ(generations_, 1);
}

TEST_F(Handlers, DoubleClickReadsCopiesThenConfirms) {
    system_.panes[3] = "x\r\ny";
    handlers_.OnPaneDoubleClicked(4);
    EXPECT_EQ(system_.calls,
              (std::vector<QString>{QStringLiteral("get 4"), QStringLiteral("clipboard x\r\ny"),
                                    Utf8("box 成功复制 已经复制此处内容！")}));
}

TEST_F(Handlers, DestroyedOpensTheMakersPage) {
    handlers_.OnWindowDestroyed();
    EXPECT_EQ(system_.calls, std::vector<QString>{QStringLiteral("open https://makers.example/")});
}

}  // namespace
}  // namespace morvelin::testing
