#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace morvelin {

class CategoryStore;
class MainWindow;
class WindowSystem;

// The main window's event handlers: each is short and calls the store, the window-system
// operations or the generation starter. Nothing reaches them before Connect(), and nothing after
// BlockEvents().
class WindowHandlers : public QObject {
    Q_OBJECT
  public:
    using GenerationStarter = std::function<void()>;

    WindowHandlers(MainWindow& window, WindowSystem& system, CategoryStore& store,
                   GenerationStarter startGeneration, QString makersPageUrl);

    // Wires the controls' events to the handlers below; called once the window is built.
    void Connect();

    // From here on no event of the window reaches a handler (the program is ending).
    void BlockEvents() { ++blocked_; }
    bool EventsBlocked() const { return blocked_ > 0; }

    // Before the window first shows: category a, the description text, the six tips.
    void OnWindowCreated();
    // The window is going: the makers' page.
    void OnWindowDestroyed();
    void OnPaneTextChanged(int pane);
    // Panes 4 and 5: the whole text to the clipboard, then the confirmation box.
    void OnPaneDoubleClicked(int pane);
    void OnCategoryClicked(char letter);
    void OnGenerateClicked();

    // The description that 标签5 shows from the start.
    static QString DescriptionText();

  private:
    MainWindow& window_;
    WindowSystem& system_;
    CategoryStore& store_;
    GenerationStarter startGeneration_;
    QString makersPageUrl_;
    int blocked_ = 0;
};

}  // namespace morvelin
