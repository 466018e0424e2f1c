#include "map/map_scheme.h"

#include <QBuffer>
#include <QFile>
#include <QMimeDatabase>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include "map/folder_file.h"
#include "map/tile_fetcher.h"

namespace tramlet {
namespace {

const QString kPageHost = QStringLiteral("page");
const QString kTileHost = QStringLiteral("tiles");

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& contentType, const QByteArray& data) {
    auto* body = new QBuffer(job);
    body->setData(data);
    job->reply(contentType, body);
}

}  // namespace

const QByteArray MapScheme::kName = QByteArrayLiteral("tramlet-map");

void MapScheme::Register() {
    QWebEngineUrlScheme scheme(kName);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl MapScheme::PageUrl(const QString& fileName) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kName));
    url.setHost(kPageHost);
    url.setPath('/' + fileName);
    return url;
}

bool MapScheme::IsPage(const QUrl& url) {
    return url.scheme() == QLatin1String(kName) && url.host() == kPageHost;
}

MapScheme::MapScheme(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

void MapScheme::SetTileTemplate(const QString& addressTemplate) {
    delete tiles_;
    tiles_ = new TileFetcher(addressTemplate, this);
}

void MapScheme::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET")
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    else if (url.host() == kPageHost)
        ServeFile(job);
    else if (url.host() == kTileHost && tiles_)
        ServeTile(job);
    else
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

void MapScheme::ServeFile(QWebEngineUrlRequestJob* job) {
    const std::optional<std::filesystem::path> path =
        FileInFolder(folder_.toStdString(), job->requestUrl().path().toStdString());
    QFile file(path ? QString::fromStdString(path->string()) : QString());
    if (!path || !file.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QByteArray type = QMimeDatabase().mimeTypeForFile(file.fileName()).name().toUtf8();
    Reply(job, type, file.readAll());
}

void MapScheme::ServeTile(QWebEngineUrlRequestJob* job) {
    const std::optional<TileCoords> tile = ParseTilePath(job->requestUrl().path().toStdString());
    if (!tile) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The page may have moved on, and its request gone, by the time the tile comes.
    tiles_->Fetch(*tile, [job = QPointer(job)](const QByteArray& data, const QByteArray& type) {
        if (!job)
            return;
        if (data.isEmpty())
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
        else
            Reply(job, type.isEmpty() ? QByteArrayLiteral("image/png") : type, data);
    });
}

}  // namespace tramlet
