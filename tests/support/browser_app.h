#pragma once

#include <QApplication>

#include <cstdlib>

#include "map/explorer.h"

namespace tramlet::test {

// The application for tests that show the embedded browser, made once per
// test program; null without a display, so the tests can skip.
inline QApplication* StartBrowserApplication() {
    if (!std::getenv("DISPLAY"))
        return nullptr;
    CExplorer::PrepareProcess();
    static int argc = 1;
    static char name[] = "tramlet-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the web engine must not outlive its application at exit.
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

}  // namespace tramlet::test
