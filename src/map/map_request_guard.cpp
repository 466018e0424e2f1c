#include "map/map_request_guard.h"

#include <QMutexLocker>

#include "map/map_scheme.h"

namespace tramlet {

void MapRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    if (url.scheme() == QLatin1String(MapScheme::kName))
        return;
    info.block(true);
    const QString where = url.host().isEmpty() ? url.scheme() + ':' : url.host();
    const QMutexLocker lock(&mutex_);
    if (!reported_.contains(where)) {
        reported_.insert(where);
        qDebug("map page: blocked a request to %s", qUtf8Printable(where));
    }
}

}  // namespace tramlet
