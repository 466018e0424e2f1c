#pragma once

#include <QString>

#include "backup/backup_copier.h"

namespace tramlet {

struct BackupReportText {
    QString text;
    QString details;  // every failure when the text lists only the first few
};

// What the user is told after a backup that did not copy everything: how many
// files were copied, which failed and why, and whether it was cancelled.
BackupReportText DescribeIncompleteBackup(const BackupReport& report);

}  // namespace tramlet
