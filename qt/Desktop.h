#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace morvelin {

// What the program does outside its own window: message boxes, the clipboard, the browser and
// starting programs. The program uses QtDesktop; tests put a recording fake in its place, so that
// no test opens a real browser or waits on a real modal box.
class Desktop {
  public:
    enum class Icon { None, Error };

    virtual ~Desktop() = default;

    // An application-modal box with one OK button; returns when it is closed.
    virtual void ShowMessageBox(const QString& text, const QString& caption, Icon icon) = 0;

    // Puts plain text on the clipboard; false when the clipboard could not be set.
    virtual bool SetClipboardText(const QString& text) = 0;

    // Opens the address with the desktop's handler for it (the default browser); false when the
    // desktop refused.
    virtual bool OpenUrl(const QUrl& url) = 0;

    // Starts a program detached, with its arguments passed as they are (never through a shell);
    // false when it could not be started.
    virtual bool StartProgram(const QString& program, const QStringList& arguments) = 0;

    // A small application-modal dialog asking for a number (one line of digits) or for several
    // lines of text; the answer, or nothing when cancelled.
    virtual std::optional<QString> AskText(const QString& title, const QString& prompt,
                                           const QString& initial, bool multiline) = 0;
};

}  // namespace morvelin
