#include "qt/WebPage.h"

#include <QUrl>

#ifdef Q_OS_WIN
#include <QProcess>
#include <QSettings>
#endif

#include "qt/Desktop.h"

namespace morvelin {

namespace {

// Where the desktop refuses the address, start the browser ourselves.
bool StartBrowser(Desktop& desktop, const QString& url) {
#ifdef Q_OS_WIN
    // The command that opens ".htm" files, with the address in place of its placeholder.
    const QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
    const QString type = classes.value(QStringLiteral(".htm/.")).toString();
    const QString command =
        classes.value(type + QStringLiteral("/shell/open/command/.")).toString();
    QStringList parts = QProcess::splitCommand(CutBrowserCommand(command));
    if (parts.isEmpty()) {
        return false;
    }
    const QString program = parts.takeFirst();
    parts << url;
    return desktop.StartProgram(program, parts);
#else
    // The address is one argument of its own: it never passes through a shell.
    return desktop.StartProgram(QStringLiteral("xdg-open"), {url});
#endif
}

}  // namespace

bool OpenWebPage(Desktop& desktop, const QString& url) {
    return desktop.OpenUrl(QUrl(url)) || StartBrowser(desktop, url);
}

QString CutBrowserCommand(const QString& commandLine) {
    qsizetype cut = commandLine.indexOf(QStringLiteral("\"%1\""));
    if (cut < 0) {
        cut = commandLine.indexOf(QStringLiteral("%1"));
    }
    return cut < 0 ? commandLine : commandLine.left(cut);
}

}  // namespace morvelin
