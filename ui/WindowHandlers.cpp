#include "ui/WindowHandlers.h"

#include <QAbstractButton>
#include <QPushButton>

#include "app/WindowSystem.h"
#include "behaviour/Texts.h"
#include "store/CategoryStore.h"
#include "ui/MainWindow.h"
#include "ui/PaneEdit.h"

namespace morvelin {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
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
    return Utf8(kDescriptionText);
}

void WindowHandlers::OnWindowCreated() {
    store_.SelectCategory('a');
    system_.SetLabelText(Utf8(LayoutOf(ControlId::Label5).formName), DescriptionText());
    for (const TipText& tip : TipTexts()) {
        system_.AttachTip(Utf8(LayoutOf(tip.control).formName), Utf8(tip.text));
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
    system_.ShowMessageBox(Utf8(kCopiedText), Utf8(kCopiedCaption));
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
