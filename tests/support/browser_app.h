#pragma once

#include <QApplication>

namespace tramlet::test {

// The application the tests that show the embedded browser run in, made and
// destroyed by their main (support/display_test_main.cpp) as the program's
// is; null without a display, so the tests can skip.
inline QApplication* DisplayApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace tramlet::test
