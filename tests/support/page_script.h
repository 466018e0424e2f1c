#pragma once

#include <QVariant>
#include <QWebEnginePage>

#include "support/wait_for.h"

namespace tramlet::test {

// Runs a script in the page and waits for its value; invalid when the page
// has not answered within 10 s.
inline QVariant RunScript(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitFor([&] { return done; }, 10000);
    return result;
}

}  // namespace tramlet::test
