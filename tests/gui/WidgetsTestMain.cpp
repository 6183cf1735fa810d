#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    // Widget tests need no display; a run under a real one (xvfb, a desktop) may still ask for it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
