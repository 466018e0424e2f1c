#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

#include <functional>

#include "map/tile_address.h"

namespace tramlet {

// Fetches the map page's tiles from the tile template's host and from nowhere
// else, through a disk cache in the user's cache folder that outlives the
// session: a tile seen once is drawn again without a network, however old.
class TileFetcher : public QObject {
    Q_OBJECT
  public:
    // The tile, or empty data when it could be had neither from the network
    // nor from the cache.
    using Done = std::function<void(const QByteArray& data, const QByteArray& contentType)>;

    // OpenStreetMap's tiles when the template is empty.
    explicit TileFetcher(const QString& addressTemplate, QObject* parent = nullptr);

    void Fetch(const TileCoords& tile, Done done);

  private:
    void Get(const QNetworkRequest& request, bool cacheOnly, bool lastTry, Done done);

    QNetworkAccessManager network_;
    QString template_;
    // After a network failure tiles come from the cache first for a while,
    // so an offline map is drawn at once instead of after a timeout per tile.
    QDeadlineTimer preferCacheUntil_;
};

}  // namespace tramlet
