#include "map/tile_fetcher.h"

#include <QDir>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QUrl>

namespace tramlet {
namespace {

constexpr qint64 kCacheBytes = 256LL * 1024 * 1024;
constexpr int kTransferTimeoutMs = 10000;
constexpr int kPreferCacheMs = 30000;

const QString kDefaultTemplate = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");

// Tile servers' usage policies ask every program to name itself.
QByteArray UserAgent() {
    return QByteArray("Tramlet/" TRAMLET_VERSION " (Linux; Qt/") + qVersion() + ')';
}

}  // namespace

TileFetcher::TileFetcher(const QString& addressTemplate, QObject* parent)
    : QObject(parent), template_(addressTemplate.isEmpty() ? kDefaultTemplate : addressTemplate) {
    const QString scheme = QUrl(template_).scheme();
    if (scheme != "https" && scheme != "http") {
        qWarning("map tiles: MapTileUrl must be an http or https address, not \"%s\"",
                 qUtf8Printable(template_));
        template_.clear();
    }
    auto* cache = new QNetworkDiskCache(&network_);
    cache->setCacheDirectory(
        QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath("tiles"));
    cache->setMaximumCacheSize(kCacheBytes);
    network_.setCache(cache);
    network_.setTransferTimeout(kTransferTimeoutMs);
}

void TileFetcher::Fetch(const TileCoords& tile, Done done) {
    if (template_.isEmpty()) {
        done({}, {});
        return;
    }
    QNetworkRequest request(
        QUrl(QString::fromStdString(TileAddress(template_.toStdString(), tile))));
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent());
    // A redirect may not take the request to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    const bool offline = !preferCacheUntil_.hasExpired();
    Get(request, offline, false, std::move(done));
}

// The network first, then the cache whatever its age; or the other way round
// while the network is known to be down.
void TileFetcher::Get(const QNetworkRequest& request, bool cacheOnly, bool lastTry, Done done) {
    QNetworkRequest attempt(request);
    attempt.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         cacheOnly ? QNetworkRequest::AlwaysCache : QNetworkRequest::PreferNetwork);
    QNetworkReply* reply = network_.get(attempt);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, request, cacheOnly, lastTry, done] {
                reply->deleteLater();
                const QNetworkReply::NetworkError error = reply->error();
                if (error == QNetworkReply::NoError) {
                    done(reply->readAll(),
                         reply->header(QNetworkRequest::ContentTypeHeader).toByteArray());
                    return;
                }
                if (!cacheOnly && error <= QNetworkReply::UnknownNetworkError)
                    preferCacheUntil_.setRemainingTime(kPreferCacheMs);
                if (lastTry)
                    done({}, {});
                else
                    Get(request, !cacheOnly, true, done);
            });
}

}  // namespace tramlet
