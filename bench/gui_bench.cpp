// Drives the real main window offscreen (AppFrame with a recording desktop, in a temporary program
// folder) through generations and typing, and prints one "name: value" a line:
//   e2e_100k_s             click to both panes filled and both files saved, 100 x 100 x 10
//   keystroke_save_ms_100k one typed character in a pane of 100k lines, to its file saved
//   e2e_1m_s               the same click for 1000 x 100 x 10 (100k + 1M lines)
//   max_ui_stall_ms        the longest gap of a 10 ms UI timer during the 1M run
//   rss_per_line_b         resident memory added per output line held in the panes after it
//   peak_rss_mb            the process's peak resident memory
//   peak_rss_per_line_b    that peak over the resident memory before the 1M run, per output line
//   set_plain_text_1m_s    for scale, in the same run: setPlainText of the 1M lines into a bare
//                          QPlainTextEdit of the pane's size
//   long_line_10mb_s       a program started on a 10 MB line in pane 1 (1 attribute, 1 class):
//                          start with its load, the generation, and the end
//   tools_1m_ms_dedupe     a pane tool on a pane 5 of 1,000,000 lines (every line twice), from the
//   tools_1m_ms_length     menu's action to the new text in the pane and its file saved:
//                          去除重复行, and 按标题长度筛选… keeping the lines of 26 bytes or less
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "qt/AppFrame.h"
#include "qt/MainWindow.h"
#include "qt/PaneEdit.h"
#include "qt/TextCodec.h"
#include "tests/gui/FakeDesktop.h"

namespace {

using namespace morvelin;

// Kilobytes from a /proc/self/status line, 0 where there is none.
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stol(line.substr(std::string(key).size()));
        }
    }
    return 0;
}

std::string Lines(const char* stem, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", i);
        text += TextCodec::Encode(QString::fromUtf8(stem) + QString::fromLatin1(number));
        text += "\r\n";
    }
    return text;
}

class Bench {
  public:
    Bench() : frame_(desktop_, folder_.path()) {
        frame_.SetProcessExit([](int) {});
    }

    bool MakeDataFolder() {
        return folder_.isValid() && QDir(folder_.path()).mkpath(QStringLiteral("data"));
    }

    bool Prepare() {
        if (!MakeDataFolder()) {
            return false;
        }
        // Category a: 100 x 100 x 10; category b: 1000 x 100 x 10. Lines of about 30 bytes.
        Write("a-1.txt", Lines("连衣裙款式", 100));
        Write("a-2.txt", Lines("red-long-", 100));
        Write("a-3.txt", Lines("女装", 10));
        Write("b-1.txt", Lines("连衣裙款式", 1000));
        Write("b-2.txt", Lines("red-long-", 100));
        Write("b-3.txt", Lines("女装", 10));
        return frame_.Start();
    }

    // Start-up on a 10 MB line in pane 1, its generation and the end sequence; seconds.
    double LongLine() {
        std::string line;
        while (line.size() < 10 * 1024 * 1024) {
            line += TextCodec::Encode(QString::fromUtf8("连衣裙款式 red long "));
        }
        Write("a-1.txt", line + "\r\n");
        Write("a-2.txt", "attribute\r\n");
        Write("a-3.txt", TextCodec::Encode(QString::fromUtf8("女装")));
        QElapsedTimer clock;
        clock.start();
        if (!frame_.Start()) {
            return -1;
        }
        frame_.Window()->repaint();
        Generate();
        frame_.End(0);
        return clock.nsecsElapsed() / 1e9;
    }

    // Click to the end of the run (its saves included) and the window painted; seconds.
    double Generate() {
        // A plain event loop as the program runs one: QTest's waits sleep between rounds of
        // events, which would hold up the panes' filling.
        QEventLoop loop;
        QObject::connect(&frame_, &AppFrame::runFinished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(frame_.Window()->GenerateButton(), Qt::LeftButton);
        loop.exec();
        frame_.Window()->repaint();
        return clock.nsecsElapsed() / 1e9;
    }

    void Select(char letter) { frame_.Window()->CategoryButton(letter)->click(); }

    // A pane tool on pane 5 as its menu action starts it, to its file saved; milliseconds.
    double Tool(PaneCommand command, const char* answer = nullptr) {
        if (answer != nullptr) {
            desktop_.answer = QString::fromUtf8(answer);
        }
        QElapsedTimer clock;
        clock.start();
        frame_.Controller().OnPaneTool(kThreePartPane, command);
        return clock.nsecsElapsed() / 1e6;
    }

    // The median of a few typed characters at the end of pane 5 (100k lines), each saved before the
    // key returns; milliseconds.
    double Keystroke() {
        PaneEdit& pane = *frame_.Window()->Pane(5);
        pane.setFocus();
        pane.MoveToEnd();
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(&pane, Qt::Key_X);
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    qint64 FileSize(const char* name) const {
        return QFile(folder_.filePath(QStringLiteral("data/") + QString::fromUtf8(name))).size();
    }

    std::string FileText(const char* name) const {
        QFile file(folder_.filePath(QStringLiteral("data/") + QString::fromUtf8(name)));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

    QSize PaneSize() const { return frame_.Window()->Pane(5)->size(); }

    void Write(const char* name, const std::string& bytes) {
        QFile file(folder_.filePath(QStringLiteral("data/") + QString::fromUtf8(name)));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        }
    }

  private:
    testing::FakeDesktop desktop_;
    QTemporaryDir folder_;
    AppFrame frame_;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Bench bench;
    if (!bench.Prepare()) {
        std::fprintf(stderr, "cannot start the program in a temporary folder\n");
        return 1;
    }
    QTest::qWait(100);

    std::printf("e2e_100k_s: %.3f\n", bench.Generate());
    std::printf("file_5_100k_bytes: %lld\n", static_cast<long long>(bench.FileSize("a-5.txt")));
    std::printf("keystroke_save_ms_100k: %.1f\n", bench.Keystroke());
    std::fflush(stdout);

    bench.Select('b');
    QTest::qWait(100);
    const long rssBefore = StatusKb("VmRSS:");
    QElapsedTimer tick;
    qint64 maxGapNs = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        maxGapNs = std::max(maxGapNs, tick.nsecsElapsed());
        tick.restart();
    });
    tick.start();
    timer.start();
    const double e2e = bench.Generate();
    timer.stop();
    QTest::qWait(200);  // the old documents' deletion on the worker has long ended
    const long rssAfter = StatusKb("VmRSS:");
    constexpr double kLines = 1'100'000;
    std::printf("e2e_1m_s: %.3f\n", e2e);
    std::printf("file_5_1m_bytes: %lld\n", static_cast<long long>(bench.FileSize("b-5.txt")));
    std::printf("max_ui_stall_ms: %.1f\n", maxGapNs / 1e6);
    std::printf("rss_per_line_b: %.0f\n", (rssAfter - rssBefore) * 1024.0 / kLines);
    std::printf("peak_rss_mb: %.0f\n", StatusKb("VmHWM:") / 1024.0);
    std::printf("peak_rss_per_line_b: %.0f\n", (StatusKb("VmHWM:") - rssBefore) * 1024.0 / kLines);
    std::fflush(stdout);

    QPlainTextEdit bare;
    bare.resize(bench.PaneSize());
    bare.show();
    const std::string output = bench.FileText("b-5.txt");
    const QString lines = TextCodec::Decode(output);
    QElapsedTimer clock;
    clock.start();
    bare.setPlainText(lines);
    bare.repaint();
    std::printf("set_plain_text_1m_s: %.3f\n", clock.nsecsElapsed() / 1e9);
    std::fflush(stdout);

    // Category c: pane 5 holds 1M lines, 500,000 different ones of 19 to 33 bytes, each twice.
    std::string doubled;
    const std::string stem = TextCodec::Encode(QString::fromUtf8("连衣裙款式"));
    for (int i = 0; i < 500'000; ++i) {
        doubled += stem + std::to_string(i) + std::string(static_cast<std::size_t>(i % 15), 'x') +
                   " red\r\n";
    }
    bench.Write("c-5.txt", doubled + doubled);
    bench.Select('c');
    std::printf("tools_1m_ms_dedupe: %.0f\n", bench.Tool(PaneCommand::DropDuplicates));
    bench.Select('c');
    std::printf("tools_1m_ms_length: %.0f\n", bench.Tool(PaneCommand::KeepUpToLength, "26"));
    std::printf("file_5_after_tools_bytes: %lld\n",
                static_cast<long long>(bench.FileSize("c-5.txt")));
    std::fflush(stdout);

    Bench longLine;
    if (!longLine.MakeDataFolder()) {
        return 1;
    }
    std::printf("long_line_10mb_s: %.3f\n", longLine.LongLine());
    return 0;
}
