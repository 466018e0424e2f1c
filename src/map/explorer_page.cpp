#include "map/explorer_page.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

#include "map/map_scheme.h"

namespace tramlet {
namespace {

const QString kCaption = QStringLiteral("Tramlet");

}  // namespace

CExplorerPage::CExplorerPage(QWebEngineProfile* profile, QWidget* owner)
    : QWebEnginePage(profile, owner), owner_(owner) {}

bool CExplorerPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                            bool isMainFrame) {
    if (MapScheme::IsPage(url))
        return true;
    // Anything else a user clicks belongs in the user's own browser.
    if (isMainFrame && type == NavigationTypeLinkClicked &&
        (url.scheme() == "https" || url.scheme() == "http")) {
        QDesktopServices::openUrl(url);
    }
    return false;
}

QWebEnginePage* CExplorerPage::createWindow(WebWindowType) {
    return nullptr;
}

QWidget* CExplorerPage::DialogOwner() const {
    return owner_ ? owner_->window() : nullptr;
}

void CExplorerPage::javaScriptAlert(const QUrl&, const QString& message) {
    QMessageBox::information(DialogOwner(), kCaption, message, QMessageBox::Ok);
}

bool CExplorerPage::javaScriptConfirm(const QUrl&, const QString& message) {
    return QMessageBox::question(DialogOwner(), kCaption, message,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool CExplorerPage::javaScriptPrompt(const QUrl&, const QString& message,
                                     const QString& defaultValue, QString* result) {
    bool ok = false;
    const QString text = QInputDialog::getText(DialogOwner(), kCaption, message, QLineEdit::Normal,
                                               defaultValue, &ok);
    if (ok && result)
        *result = text;
    return ok;
}

// The page's own errors go where the program's do, so a broken page can be told apart.
void CExplorerPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                             const QString& message, int line,
                                             const QString& source) {
    if (level == ErrorMessageLevel) {
        qWarning("map page: %s (%s:%d)", qUtf8Printable(message), qUtf8Printable(source), line);
    }
}

}  // namespace tramlet
