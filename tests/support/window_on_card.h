#pragma once

#include <QTest>

#include <memory>
#include <string>

#include "app/tramlet_dlg.h"
#include "support/no_volumes.h"

namespace tramlet::test {

// The program's window with its own players, shown, on a folder of clips.
struct WindowOnCard {
    NoVolumes volumes;
    std::unique_ptr<CTramletDlg> dialog;

    bool Open(const std::string& root) {
        dialog = std::make_unique<CTramletDlg>(volumes, CTramletDlg::RepairRunner{});
        dialog->OnInitDialog();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return false;
        dialog->ChooseDataRoot(QString::fromStdString(root));
        QTest::qWait(300);
        return true;
    }
};

}  // namespace tramlet::test
