#include <gtest/gtest.h>

#include <QApplication>

// One application object for the whole run: widget tests need a QApplication, and the port
// tests need its event loop. The offscreen platform keeps them off any display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
