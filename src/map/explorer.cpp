#include "map/explorer.h"

#include <unistd.h>

#include <utility>

#include <QApplication>
#include <QChildEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QSettings>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "map/explorer_page.h"
#include "map/imp_idispatch.h"
#include "map/map_request_guard.h"
#include "map/map_scheme.h"

namespace tramlet {
namespace {

// A load that has not finished by then will not.
constexpr int kLoadMs = 30000;

bool IsSwallowedKey(const QKeyEvent* key) {
    const bool control = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
        case Qt::Key_F5:
        case Qt::Key_Backspace:
            return true;
        case Qt::Key_O:
        case Qt::Key_P:
        case Qt::Key_N:
            return control;
        default:
            return false;
    }
}

QString ReadResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

CExplorer::CExplorer(CImpIDispatch* external, QWidget* parent) : QWebEngineView(parent) {
    // An off-the-record profile: the page keeps nothing on disk. Its files
    // and tiles come through the program's own scheme, and only from there.
    auto* profile = new QWebEngineProfile(this);
    scheme_ = new MapScheme(profile);
    profile->installUrlSchemeHandler(MapScheme::kName, scheme_);
    profile->setUrlRequestInterceptor(new MapRequestGuard(profile));
    page_ = new CExplorerPage(profile, this);
    QWebEngineSettings* settings = page_->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    auto* channel = new QWebChannel(page_);
    channel->registerObject(QStringLiteral("external"), external);
    page_->setWebChannel(channel);
    setPage(page_);
    InjectExternal();
    setContextMenuPolicy(Qt::NoContextMenu);
    WatchForPolls(external);
}

// The old document polls on until the new one replaces it; its polls count
// only once the load has finished. Those of a document opened since the load
// started count at once: the page's tiles may keep it loading for a long
// while, and it is alive all the same.
void CExplorer::WatchForPolls(CImpIDispatch* external) {
    pageWatch_.setSingleShot(true);
    connect(&pageWatch_, &QTimer::timeout, this, &CExplorer::OnPageSilent);
    connect(this, &QWebEngineView::loadStarted, this, [this] {
        pollsCount_ = pagePolled_ = false;
        pageWatch_.start(kLoadMs);
    });
    connect(this, &QWebEngineView::loadFinished, this, [this] {
        pollsCount_ = true;
        if (!pagePolled_)
            pageWatch_.start(kFirstPollMs);
    });
    if (external) {
        connect(external, &CImpIDispatch::PageOpened, this, [this] { pollsCount_ = true; });
        connect(external, &CImpIDispatch::Polled, this, [this] {
            if (pollsCount_ && !std::exchange(pagePolled_, true))
                pageWatch_.stop();
        });
    }
}

void CExplorer::OnPageSilent() {
    if (std::exchange(reloadedForSilence_, true)) {
        qWarning("map page: still no poll after loading it again; the map stays blank");
        return;
    }
    qWarning("map page: no poll within %d s of loading; loading it again", kFirstPollMs / 1000);
    reload();
}

// The page must go before its profile, which was made first and so would be
// deleted first among the children.
CExplorer::~CExplorer() {
    delete page_;
}

void CExplorer::PrepareProcess() {
    // Chromium refuses its sandbox to root (tests, CI); everyone else keeps it.
    if (::geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --no-sandbox");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    MapScheme::Register();
}

void CExplorer::InjectExternal() {
    QWebEngineScript script;
    script.setName(QStringLiteral("tramlet-external"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + '\n' +
                         ReadResource(QStringLiteral(":/map/external_bridge.js")));
    page_->scripts().insert(script);
}

void CExplorer::Navigate2(const QString& mapFile) {
    const QFileInfo file(mapFile);
    scheme_->SetFolder(file.absolutePath());
    scheme_->SetTileTemplate(QSettings(QStringLiteral("Ostra"), QStringLiteral("Tramlet"))
                                 .value("MapTileUrl")
                                 .toString());
    reloadedForSilence_ = false;
    QUrl page = MapScheme::PageUrl(file.fileName());
    // The page speaks the program's language.
    if (QLocale().language() != QLocale::Korean)
        page.setQuery(QStringLiteral("lang=en"));
    load(page);
}

void CExplorer::Refresh() {
    reloadedForSilence_ = false;
    reload();
}

// The page's keys reach the render widget, a child made by the engine; the
// filter has to sit on it.
bool CExplorer::event(QEvent* event) {
    if (event->type() == QEvent::ChildPolished) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            child->installEventFilter(this);
        }
    }
    return QWebEngineView::event(event);
}

bool CExplorer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease ||
         type == QEvent::ShortcutOverride) &&
        IsSwallowedKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if (type == QEvent::ContextMenu)
        return true;
    return QWebEngineView::eventFilter(watched, event);
}

}  // namespace tramlet
