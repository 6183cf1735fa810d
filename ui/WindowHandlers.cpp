#include "ui/WindowHandlers.h"

#include <QAbstractButton>
#include <QPushButton>

#include "app/WindowSystem.h"
#include "store/CategoryStore.h"
#include "ui/MainWindow.h"
#include "ui/PaneEdit.h"

namespace morvelin {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A tip of two lines has an empty line between them; the last tip has one line.
QString TipText(const char* first, const char* second = nullptr) {
    QString text = Utf8(first);
    if (second != nullptr) {
        text += QStringLiteral("\r\n\r\n") + Utf8(second);
    }
    return text;
}

}  // namespace

WindowHandlers::WindowHandlers(MainWindow& window, WindowSystem& system, CategoryStore& store,
                               GenerationStarter startGeneration, QString makersPageUrl)
    : window_(window),
      system_(system),
      store_(store),
      startGeneration_(std::move(startGeneration)),
      makersPageUrl_(std::move(makersPageUrl)) {}

void WindowHandlers::Connect() {
    for (int pane = 1; pane <= 5; ++pane) {
        PaneEdit* edit = window_.Pane(pane);
        connect(edit, &PaneEdit::paneTextChanged, this, [this, pane] {
            if (!EventsBlocked()) {
                OnPaneTextChanged(pane);
            }
        });
        if (pane >= 4) {
            connect(edit, &PaneEdit::doubleClicked, this, [this, pane] {
                if (!EventsBlocked()) {
                    OnPaneDoubleClicked(pane);
                }
            });
        }
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        // clicked, not toggled: a click on the marked button reloads its category too.
        connect(window_.CategoryButton(letter), &QAbstractButton::clicked, this, [this, letter] {
            if (!EventsBlocked()) {
                OnCategoryClicked(letter);
            }
        });
    }
    connect(window_.GenerateButton(), &QAbstractButton::clicked, this, [this] {
        if (!EventsBlocked()) {
            OnGenerateClicked();
        }
    });
}

QString WindowHandlers::DescriptionText() {
    return Utf8(
        "本软件由Vornhald开发，本属于免费、绿色软件，主要功能，是组成所录入的种子关键词，自动生成，"
        "二层批配，和三层批配后的关键词，专门针对淘宝优化进行设计，可用于淘宝、阿里巴巴等商城模式网"
        "店进行关键词组合！");
}

void WindowHandlers::OnWindowCreated() {
    store_.SelectCategory('a');
    system_.SetLabelText(Utf8("标签5"), DescriptionText());
    struct Tip {
        const char* control;
        QString text;
    };
    const Tip tips[] = {
        {"一级编辑框",
         TipText("在这里您可以录入种子关键词类型一", "比如产品名称，等核心批配关键词！")},
        {"二级编辑框",
         TipText("在这里你可以录入一些产品的属性", "或者说一些通用长尾的进一步说明！")},
        {"三级编辑框", TipText("在这里，你可以对核心的种子进行", "进一步的说明或者强调！")},
        {"四级编辑框", TipText("这里是根据条件初步生成的二联关键词！", "双击此处可以自动复制！")},
        {"五级编辑框", TipText("这里是根据条件最终生成的三联关键词！", "双击此处可以自动复制！")},
        {"生成关键词按钮", TipText("点击此处一键生成长尾关键词！")},
    };
    for (const Tip& tip : tips) {
        system_.AttachTip(Utf8(tip.control), tip.text);
    }
}

void WindowHandlers::OnWindowDestroyed() {
    system_.OpenWebPage(makersPageUrl_);
}

void WindowHandlers::OnPaneTextChanged(int pane) {
    store_.SavePane(pane);
}

void WindowHandlers::OnPaneDoubleClicked(int pane) {
    // The confirmation shows also when the clipboard could not be set.
    system_.SetClipboardText(system_.GetPaneText(pane));
    system_.ShowMessageBox(Utf8("已经复制此处内容！"), Utf8("成功复制"));
}

void WindowHandlers::OnCategoryClicked(char letter) {
    store_.SelectCategory(letter);
}

void WindowHandlers::OnGenerateClicked() {
    if (startGeneration_) {
        startGeneration_();
    }
}

}  // namespace morvelin
