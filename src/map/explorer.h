#pragma once

#include <QTimer>
#include <QWebEngineView>

namespace tramlet {

class CExplorerPage;
class CImpIDispatch;
class MapScheme;

// The embedded browser that shows the map page ("mapArea"). It publishes
// window.external to the page, shows no context menu, and keeps the browser's
// reload, open, print, new-window and back keys from the page.
class CExplorer : public QWebEngineView {
    Q_OBJECT
  public:
    CExplorer(CImpIDispatch* external, QWidget* parent = nullptr);
    ~CExplorer() override;

    // Call before the QApplication exists.
    static void PrepareProcess();

    // Loads the map page; the view may then go nowhere but the page's folder,
    // and the page reach nothing but that folder and the map tiles.
    void Navigate2(const QString& mapFile);
    void Refresh();

    // How long a loaded page may stay silent before it is loaded once more.
    static constexpr int kFirstPollMs = 5000;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void InjectExternal();
    void WatchForPolls(CImpIDispatch* external);
    void OnPageSilent();

    CExplorerPage* page_;
    MapScheme* scheme_;
    // A page that never polls leaves the map blank: it is loaded once more.
    QTimer pageWatch_;
    bool pollsCount_ = false;
    bool pagePolled_ = false;
    bool reloadedForSilence_ = false;
};

}  // namespace tramlet
