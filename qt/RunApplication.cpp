#include "qt/RunApplication.h"

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "qt/AppFrame.h"
#include "qt/QtDesktop.h"

namespace morvelin {

namespace {

// The frame whose FatalError a failed allocation in an event handler ends in.
AppFrame* g_frame = nullptr;

// Qt does not let exceptions through its event loop; a handler that runs out of memory ends here
// instead, in the program's fatal error box.
class Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc& failure) {
            if (g_frame != nullptr) {
                const auto* sized = dynamic_cast<const AllocationFailure*>(&failure);
                g_frame->Controller().FatalError(
                    ProgramController::OutOfMemoryText(sized ? sized->Bytes() : 0), 0);
            }
            std::fflush(nullptr);
            std::_Exit(-1);
        }
    }
};

bool HasDisplay() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && value[0] != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

}  // namespace

int RunApplication(int argc, char* argv[]) {
    // Qt would abort with a long message about platform plugins; say plainly what is missing.
    if (!HasDisplay()) {
        std::fputs(
            "morvelin: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
            "Start it on a desktop, or under a virtual one: xvfb-run -a build/morvelin\n",
            stderr);
        return 1;
    }

    Application app(argc, argv);
    // The frame decides when the program ends: after the close and its web page, not when Qt
    // notices that no window is visible.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDesktop desktop;
    AppFrame frame(desktop);
    g_frame = &frame;
    // A start-up that runs out of memory (a huge data file) ends in the box, not in an abort.
    bool started = false;
    try {
        started = frame.Start();
    } catch (const std::bad_alloc&) {
        frame.FatalError(QString::fromUtf8("分配内存失败!"), 0);
    }
    const int code = started ? frame.Run() : -1;
    g_frame = nullptr;
    return code;
}

}  // namespace morvelin
