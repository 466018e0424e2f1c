#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

namespace tramlet {

class TileFetcher;

// The map page's whole world, the program's own tramlet-map: scheme. It
// serves the files of the map folder as tramlet-map://page/NAME, and map
// tiles, which the program fetches, as tramlet-map://tiles/Z/X/Y. Nothing
// outside the folder can be named: no "..", no symlink out of it.
class MapScheme : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
  public:
    static const QByteArray kName;

    // Call before the QApplication exists.
    static void Register();
    static QUrl PageUrl(const QString& fileName);
    static bool IsPage(const QUrl& url);

    explicit MapScheme(QObject* parent = nullptr);

    void SetFolder(const QString& folder) { folder_ = folder; }
    // The MapTileUrl setting; OpenStreetMap's tiles when empty.
    void SetTileTemplate(const QString& addressTemplate);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

  private:
    void ServeFile(QWebEngineUrlRequestJob* job);
    void ServeTile(QWebEngineUrlRequestJob* job);

    QString folder_;
    TileFetcher* tiles_ = nullptr;
};

}  // namespace tramlet
