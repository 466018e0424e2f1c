#include "app/tramlet_app.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>

#include "app/tramlet_dlg.h"
#include "avifix/avi_fix_dlg.h"
#include "backup/backup_dlg.h"
#include "platform/mount_watcher.h"
#include "res/own_dialog.h"

namespace tramlet {

namespace {

constexpr const char* kGeometryKey = "MainWindowGeometry";

// The bridge acts on whichever main window there is when the page calls.
MapPageHost* FindMainWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CTramletDlg*>(window))
            return dialog;
    }
    return nullptr;
}

}  // namespace

CTramletApp::CTramletApp(int& argc, char** argv)
    : QApplication(argc, argv), m_external(FindMainWindow) {
    setOrganizationName("Ostra");
    setApplicationName("Tramlet");
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    installEventFilter(this);
}

int CTramletApp::InitInstance() {
    MountWatcher volumes;
    CTramletDlg dialog(volumes, RunRepairWindow, &m_external);
    connect(&dialog, &CTramletDlg::BackupRequested, &dialog, &RunBackupDialog);
    // The window opens where the user last left it, at the size it had.
    QSettings settings;
    dialog.RestoreGeometry(settings.value(kGeometryKey).toByteArray());
    dialog.OnInitDialog();
    dialog.exec();
    settings.setValue(kGeometryKey, dialog.saveGeometry());
    return 0;
}

bool CTramletApp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        switch (static_cast<const QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // A text field takes its Enter itself; what it passes on to
                // the dialog is still kept from it below.
                if (qobject_cast<QLineEdit*>(watched))
                    break;
                [[fallthrough]];
            case Qt::Key_Escape:
            case Qt::Key_Control:
                if (IsInOwnDialog(watched))
                    return true;
                break;
            default:
                break;
        }
    }
    return QApplication::eventFilter(watched, event);
}

}  // namespace tramlet
