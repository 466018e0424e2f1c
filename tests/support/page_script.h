#pragma once

#include <QVariant>
#include <QWebEnginePage>

#include <memory>

#include "support/wait_for.h"

namespace tramlet::test {

// Runs a script in the page and waits for its value; invalid when the page
// has not answered within 10 s. A late answer lands in state the callback
// owns, never in this function's finished frame.
inline QVariant RunScript(QWebEnginePage* page, const QString& script) {
    struct Answer {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    page->runJavaScript(script, [answer](const QVariant& value) {
        answer->value = value;
        answer->done = true;
    });
    WaitFor([&] { return answer->done; }, 10000);
    return answer->value;
}

}  // namespace tramlet::test
