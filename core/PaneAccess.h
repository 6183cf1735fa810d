#pragma once

#include "core/Text.h"

namespace morvelin {

// The generator's and the category store's only view of the five panes. The window's
// implementation may be called from any thread: each call is carried out on the UI thread while
// the caller waits, so a set has run its pane's text-changed handler (and with it the save) before
// it returns.
class PaneAccess {
  public:
    virtual ~PaneAccess() = default;

    // The whole current text of pane n (1 to 5), lines separated by CR LF.
    virtual Text GetPaneText(int pane) = 0;

    // Replaces the whole text of pane n and raises its text-changed event exactly once, also for a
    // text equal to the current one. Taken by value so that large texts can be moved in.
    virtual void SetPaneText(int pane, Text text) = 0;

    // Closes every file the file layer still holds open; does nothing without a file layer.
    virtual void CloseAllFiles() = 0;

    // Empties pane n at the start of a generation stage that sets it again with its result: a set
    // of the empty text, with its text-changed event. A window that saves every change keeps the
    // file as it is for this one, so that the old output stays on disk until the new one is saved.
    virtual void ClearPaneForRun(int pane) { SetPaneText(pane, Text()); }
};

}  // namespace morvelin
