#pragma once

#include <QApplication>

namespace qelv::test {

// Widgets need a QApplication; the whole test run shares one, created on first use and never
// destroyed, because Qt does not support creating a second one. False when some other test
// already created a plain QCoreApplication, which cannot host widgets.
inline bool ensureWidgetsApplication() {
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "qelv_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace qelv::test
