#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "qt/AppFrame.h"
#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/TextCodec.h"
#include "tests/gui/FakeDesktop.h"

namespace morvelin::testing {

// The real program in a temporary program folder: AppFrame builds and shows the main window the
// way start-up does, with a recording desktop in place of boxes, clipboard and browser.
class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedCurrent_ = QDir::currentPath();
    }

    void TearDown() override {
        frame_.reset();
        QDir::setCurrent(savedCurrent_);
    }

    // Before StartApp: the program folder gets its data folder with these files.
    void MakeDataFolder() { ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("data"))); }

    void WriteData(const char* name, const std::string& bytes) {
        MakeDataFolder();
        QFile file(DataPath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }

    // The file's bytes, or nothing when it does not exist.
    std::optional<std::string> ReadData(const char* name) const {
        QFile file(DataPath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

    QString DataPath(const char* name) const {
        return folder_.filePath(QStringLiteral("data/") + QString::fromUtf8(name));
    }

    void StartApp() {
        frame_ = std::make_unique<AppFrame>(desktop_, folder_.path());
        frame_->SetProcessExit([this](int code) { exitCodes_.push_back(code); });
        ASSERT_TRUE(frame_->Start());
        ASSERT_NE(frame_->Window(), nullptr);
    }

    MainWindow& Window() const { return *frame_->Window(); }
    PaneEdit& Pane(int n) const { return *Window().Pane(n); }

    // What GetPaneText gives for the pane: its text as bytes, lines ended by CR LF.
    std::string PaneBytes(int n) const { return TextCodec::FromPaneText(Pane(n).Utf8Text()); }

    // Processes events until the condition holds; false after a generous timeout.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    FakeDesktop desktop_;
    QTemporaryDir folder_;
    QString savedCurrent_;
    std::unique_ptr<AppFrame> frame_;
    std::vector<int> exitCodes_;
};

// GB18030 bytes of a UTF-8 literal, for files and expected pane texts.
inline std::string Gb(const char* utf8) {
    return TextCodec::Encode(QString::fromUtf8(utf8));
}

}  // namespace morvelin::testing
