#pragma once

#include <QDateTime>

#include <optional>
#include <string>
#include <vector>

#include "common/data_root_path.h"

namespace tramlet {

// Where backups go until the user picks a folder: "Tramlet" in the user's
// videos folder, ending in '/'.
std::string DefaultBackupDir();

// The folder the dialog offers: the remembered one, unless there is none or
// it lies on the card being backed up (a backup there protects nothing and
// is refused anyway); then the default.
std::string OfferedBackupDir(const std::string& remembered, const DataRootPath& dataRoot);

struct BackupPeriod {
    QDateTime start;
    QDateTime end;
};

// The period the dialog offers. On a viewed day: its whole day, or the
// remembered period's times of day moved onto it, spanning as many days as
// the remembered one did. Without a viewed day: the remembered period, or
// today from midnight to now.
BackupPeriod OfferedPeriod(const QDate& viewedDay, const std::optional<BackupPeriod>& remembered,
                           const QDateTime& now);

// How the last export was asked for.
struct ExportChoices {
    bool exportVideo = false;
    bool lossless = false;
    bool fullSize = false;
    // Channels the user unticked although they were there; a channel that
    // was merely missing stays offered when a later day has it.
    std::vector<int> leftOutChannels;
};

// The period and export choices of the last backup, kept in the user's
// settings between runs.
std::optional<BackupPeriod> RememberedPeriod();
void RememberPeriod(const BackupPeriod& period);
ExportChoices RememberedExportChoices();
void RememberExportChoices(const ExportChoices& choices);

}  // namespace tramlet
