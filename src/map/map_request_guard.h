#pragma once

#include <QMutex>
#include <QSet>
#include <QString>
#include <QWebEngineUrlRequestInterceptor>

namespace tramlet {

// Keeps the map page off every network: a request of any kind (a script, an
// image, a frame, fetch, XHR, a WebSocket) to anything but the program's own
// scheme is blocked, whatever got into the page to make it.
class MapRequestGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  private:
    QMutex mutex_;
    QSet<QString> reported_;
};

}  // namespace tramlet
