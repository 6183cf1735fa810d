#include "qt/QtDesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>

namespace morvelin {

void QtDesktop::ShowMessageBox(const QString& text, const QString& caption, Icon icon) {
    // The program's texts end lines with CR LF; a label shows a CR as a character of its own.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Icon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                    shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // No owner window, but the main window takes no input while the box is open.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool QtDesktop::SetClipboardText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(text);
    return true;
}

bool QtDesktop::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::StartProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

std::optional<QString> QtDesktop::AskText(const QString& title, const QString& prompt,
                                          const QString& initial, bool multiline) {
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setOkButtonText(QString::fromUtf8("确定"));
    dialog.setCancelButtonText(QString::fromUtf8("取消"));
    if (multiline) {
        dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
        dialog.setTextValue(initial);
    } else {
        dialog.setInputMode(QInputDialog::IntInput);
        dialog.setIntRange(0, 100000);
        dialog.setIntValue(initial.toInt());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return multiline ? dialog.textValue() : QString::number(dialog.intValue());
}

}  // namespace morvelin
