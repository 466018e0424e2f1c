// What the map page can reach, in the real embedded browser: its own folder
// and the tiles the program fetches for it, and nothing else, whatever page
// is put in the map folder. Tiles once fetched are drawn without a network.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>

#include <filesystem>
#include <fstream>
#include <memory>

#include "map/explorer.h"
#include "map/imp_idispatch.h"
#include "support/browser_app.h"
#include "support/page_script.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace tramlet {
namespace {

using test::WaitFor;

// A local HTTP server that answers every request with a map tile and counts
// the connections it gets, so a probe that reached it cannot go unnoticed.
class TileServer : public QObject {
  public:
    TileServer() {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(QColor(90, 140, 200));
        QBuffer png(&tile_);
        png.open(QIODevice::WriteOnly);
        tile.save(&png, "PNG");
        connect(&server_, &QTcpServer::newConnection, this, &TileServer::Accept);
        Start();
        port_ = server_.serverPort();
    }
    void Start() { EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, port_)); }
    void Stop() { server_.close(); }
    QString Address() const { return QString("http://127.0.0.1:%1").arg(port_); }
    QString WebSocketAddress() const { return QString("ws://127.0.0.1:%1").arg(port_); }

    int connections = 0;
    QByteArray userAgent;

  private:
    void Accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->readAll();
                const qsizetype at = request.indexOf("User-Agent: ");
                if (at >= 0)
                    userAgent = request.mid(at + 12, request.indexOf('\r', at) - at - 12);
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                    "Cache-Control: max-age=0\r\nConnection: close\r\nContent-Length: " +
                    QByteArray::number(tile_.size()) + "\r\n\r\n" + tile_);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    QTcpServer server_;
    quint16 port_ = 0;
    QByteArray tile_;
};

class MapConfinementTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { app = test::DisplayApplication(); }

    void SetUp() override {
        if (!app)
            GTEST_SKIP() << "needs a display (scripts/test runs it under xvfb-run)";
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Path().string()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settings.Path().string()));
        QSettings("Ostra", "Tramlet").setValue("MapTileUrl", tiles.Address() + "/{z}/{x}/{y}.png");
    }

    void Load(const QString& mapFile) {
        view = std::make_unique<CExplorer>(&external);
        view->resize(600, 420);
        view->show();
        QSignalSpy loaded(view.get(), &QWebEngineView::loadFinished);
        view->Navigate2(mapFile);
        ASSERT_TRUE(loaded.wait(30000));
    }

    QVariant Js(const QString& script) { return test::RunScript(view->page(), script); }

    static inline QApplication* app = nullptr;
    test::TempDir cache, settings, folder;
    TileServer tiles, other;
    CImpIDispatch external{nullptr};
    std::unique_ptr<CExplorer> view;
};

// Each probe records what it read or reached; "blocked" is the only good answer.
// It polls as a map page does, or the program would load it again.
constexpr char kProbePage[] = R"(<!DOCTYPE html><html><body><script>
setInterval(() => window.external.DayInformation(0), 250);
window.results = {};
const note = (name, outcome) => { results[name] = outcome; };
const attempt = (name, start) => start().then((text) => note(name, "read: " + text),
                                               () => note(name, "blocked"));
const loads = (name, element, event) => new Promise((resolve, reject) => {
  element.addEventListener(event, resolve); element.addEventListener("error", reject);
  document.body.appendChild(element);
});
attempt("fetch file", () => fetch("file:///etc/hostname").then((r) => r.text()));
attempt("fetch other host", () => fetch("OTHER/x").then((r) => r.text()));
attempt("fetch tile host", () => fetch("TILES/1/0/0.png").then((r) => r.text()));
try {
  const xhr = new XMLHttpRequest(); xhr.open("GET", "file:///etc/hostname", false); xhr.send();
  note("xhr file", xhr.responseText ? "read: " + xhr.responseText : "blocked");
} catch (e) { note("xhr file", "blocked"); }
const frameText = (name, source) => {
  const frame = document.createElement("iframe"); frame.src = source;
  loads(name, frame, "load").then(() => {
    let text = ""; try { text = frame.contentDocument.body.innerText; } catch (e) {}
    note(name, text ? "read: " + text : "blocked");
  }, () => note(name, "blocked"));
  // A frame the browser refuses outright fires neither load nor error.
  setTimeout(() => { if (!results[name]) note(name, "blocked"); }, 3000);
};
frameText("iframe file", "file:///etc/hostname");
frameText("iframe link out of the folder", "out-link");
const image = document.createElement("img"); image.src = "TILES/2/1/1.png";
loads("image tile host", image, "load").then(() => note("image tile host", "read: image"),
                                             () => note("image tile host", "blocked"));
const socket = new WebSocket("SOCKET");
socket.onopen = () => note("websocket", "read: open");
socket.onerror = socket.onclose = () => { if (!results.websocket) note("websocket", "blocked"); };
</script></body></html>)";

TEST_F(MapConfinementTest, AProbePageReachesNoFileAndNoHost) {
    folder.Write("outside.txt", "secret");
    const std::filesystem::path map = folder.Path() / "map";
    std::filesystem::create_directory(map);
    std::filesystem::create_symlink(folder.Path() / "outside.txt", map / "out-link");
    std::ofstream(map / "probe.html") << QString(kProbePage)
                                             .replace("OTHER", other.Address())
                                             .replace("TILES", tiles.Address())
                                             .replace("SOCKET", other.WebSocketAddress())
                                             .toStdString();
    Load(QString::fromStdString((map / "probe.html").string()));
    ASSERT_TRUE(WaitFor([&] { return Js("Object.keys(results).length").toInt() == 8; }))
        << Js("JSON.stringify(results)").toString().toStdString();
    const QVariantMap results = Js("results").toMap();
    for (auto probe = results.begin(); probe != results.end(); ++probe)
        EXPECT_EQ(probe.value().toString().toStdString(), "blocked") << probe.key().toStdString();
    EXPECT_EQ(other.connections, 0);
    EXPECT_EQ(tiles.connections, 0);
}

TEST_F(MapConfinementTest, TilesComeThroughTheProgramAndStayWhenTheServerIsGone) {
    Load(TRAMLET_MAP_PAGE);
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.tilesLoaded()").toInt() >= 4; }));
    EXPECT_TRUE(tiles.userAgent.startsWith("Tramlet/")) << tiles.userAgent.toStdString();
    EXPECT_FALSE(Js("tramletMap.offline()").toBool());

    // A new session, with no tile server: the area seen before is drawn from the cache.
    tiles.Stop();
    Load(TRAMLET_MAP_PAGE);
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.tilesLoaded()").toInt() >= 4; }));
    EXPECT_FALSE(Js("tramletMap.offline()").toBool());

    Js("tramletMap.showArea(-33.86, 151.2, 9)");
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.offline()").toBool(); }));
    tiles.Start();
    EXPECT_TRUE(WaitFor([&] { return !Js("tramletMap.offline()").toBool(); }));
}

}  // namespace
}  // namespace tramlet
