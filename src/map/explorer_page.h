#pragma once

#include <QWebEnginePage>

namespace tramlet {

// The map page's host rules: it stays on its own pages, opens no windows,
// and its alert, confirm and prompt dialogs are the program's message boxes.
class CExplorerPage : public QWebEnginePage {
    Q_OBJECT
  public:
    CExplorerPage(QWebEngineProfile* profile, QWidget* owner);

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;

  private:
    QWidget* DialogOwner() const;

    QWidget* owner_;
};

}  // namespace tramlet
