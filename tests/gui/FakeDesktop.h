#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "qt/Desktop.h"

namespace morvelin::testing {

// Records every request instead of acting on it; each answer can be preset.
class FakeDesktop : public Desktop {
  public:
    struct Box {
        QString text;
        QString caption;
        Icon icon;
    };
    struct Start {
        QString program;
        QStringList arguments;
    };

    void ShowMessageBox(const QString& text, const QString& caption, Icon icon) override {
        boxes.push_back({text, caption, icon});
        if (onMessageBox) {
            onMessageBox();
        }
    }
    bool SetClipboardText(const QString& text) override {
        clipboard.push_back(text);
        return clipboardWorks;
    }
    bool OpenUrl(const QUrl& url) override {
        openedUrls.push_back(url);
        return openUrlWorks;
    }
    bool StartProgram(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        return startProgramWorks;
    }

    std::optional<QString> AskText(const QString& title, const QString& /*prompt*/,
                                   const QString& initial, bool multiline) override {
        questions.push_back(title + QStringLiteral("|") + initial +
                            (multiline ? QStringLiteral("|lines") : QString()));
        return answer;
    }

    std::vector<Box> boxes;
    std::vector<QString> questions;
    // What AskText answers; nothing is a cancel.
    std::optional<QString> answer;
    std::vector<QString> clipboard;
    std::vector<QUrl> openedUrls;
    std::vector<Start> started;
    bool clipboardWorks = true;
    bool openUrlWorks = true;
    bool startProgramWorks = true;
    // Runs while a box is "open", as the user's events would under a real modal box.
    std::function<void()> onMessageBox;
};

}  // namespace morvelin::testing
