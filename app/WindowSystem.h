#pragma once

#include <QString>
#include <functional>

#include "app/Desktop.h"
#include "core/PaneAccess.h"
#include "core/Text.h"

namespace morvelin {

// The window-system operations that the handlers, the category store and the generator call.
// Header only, so that the handlers in ui/ depend on the operations and not on their Qt
// implementation in app/.
//
// Pane texts and the clipboard carry Texts (GB18030 bytes, CR LF line breaks); the fixed texts of
// the program's own captions, labels and tips are QStrings. The PaneAccess operations may be
// called on any thread; the others on the UI thread only.
class WindowSystem : public PaneAccess {
  public:
    // Shows `text` in the label with this object name.
    virtual void SetLabelText(const QString& label, const QString& text) = 0;

    // An application-modal box with one OK button; returns when it is closed.
    virtual void ShowMessageBox(const QString& text, const QString& caption,
                                Desktop::Icon icon = Desktop::Icon::None) = 0;

    // Puts the text on the clipboard as plain text; false when the clipboard could not be set.
    // The empty text leaves an empty text there.
    virtual bool SetClipboardText(const Text& text) = 0;

    // Starts the routine on the worker thread; false when no thread could be started.
    virtual bool StartThread(std::function<void()> routine) = 0;

    // Opens the address in the default browser; returns at once, failures show nothing.
    virtual void OpenWebPage(const QString& url) = 0;

    // Gives the control with this object name a balloon tip; CR LF in `text` starts a new line.
    virtual bool AttachTip(const QString& control, const QString& text) = 0;
};

}  // namespace morvelin
