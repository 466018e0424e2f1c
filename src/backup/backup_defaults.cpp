#include "backup/backup_defaults.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "backup/backup_copier.h"

namespace tramlet {
namespace {

constexpr const char* kPeriodStartKey = "BackupPeriod/Start";
constexpr const char* kPeriodEndKey = "BackupPeriod/End";
constexpr const char* kExportVideoKey = "BackupExport/Video";
constexpr const char* kLosslessKey = "BackupExport/Lossless";
constexpr const char* kFullSizeKey = "BackupExport/FullSize";
constexpr const char* kLeftOutKey = "BackupExport/LeftOutChannels";

QSettings Settings() {
    return QSettings("Ostra", "Tramlet");
}

}  // namespace

std::string DefaultBackupDir() {
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty())
        videos = QDir::homePath();
    return QDir(videos).filePath("Tramlet").toStdString() + '/';
}

std::string OfferedBackupDir(const std::string& remembered, const DataRootPath& dataRoot) {
    if (remembered.empty() || LiesWithinFolder(remembered, dataRoot.Text()))
        return DefaultBackupDir();
    return remembered;
}

BackupPeriod OfferedPeriod(const QDate& viewedDay, const std::optional<BackupPeriod>& remembered,
                           const QDateTime& now) {
    if (!viewedDay.isValid())
        return remembered.value_or(BackupPeriod{QDateTime(now.date(), QTime(0, 0)), now});
    if (!remembered)
        return {QDateTime(viewedDay, QTime(0, 0)), QDateTime(viewedDay, QTime(23, 59, 59))};
    const qint64 days = remembered->start.date().daysTo(remembered->end.date());
    return {QDateTime(viewedDay, remembered->start.time()),
            QDateTime(viewedDay.addDays(days), remembered->end.time())};
}

std::optional<BackupPeriod> RememberedPeriod() {
    const QSettings settings = Settings();
    const QDateTime start =
        QDateTime::fromString(settings.value(kPeriodStartKey).toString(), Qt::ISODate);
    const QDateTime end =
        QDateTime::fromString(settings.value(kPeriodEndKey).toString(), Qt::ISODate);
    if (!start.isValid() || !end.isValid() || start > end)
        return std::nullopt;
    return BackupPeriod{start, end};
}

void RememberPeriod(const BackupPeriod& period) {
    QSettings settings = Settings();
    settings.setValue(kPeriodStartKey, period.start.toString(Qt::ISODate));
    settings.setValue(kPeriodEndKey, period.end.toString(Qt::ISODate));
}

ExportChoices RememberedExportChoices() {
    const QSettings settings = Settings();
    ExportChoices choices;
    choices.exportVideo = settings.value(kExportVideoKey, false).toBool();
    choices.lossless = settings.value(kLosslessKey, false).toBool();
    choices.fullSize = settings.value(kFullSizeKey, false).toBool();
    for (const QString& item : settings.value(kLeftOutKey).toString().split(',')) {
        const int channel = item.toInt();
        if (channel >= 1 && channel <= 4)
            choices.leftOutChannels.push_back(channel);
    }
    return choices;
}

void RememberExportChoices(const ExportChoices& choices) {
    QStringList leftOut;
    for (const int channel : choices.leftOutChannels)
        leftOut << QString::number(channel);
    QSettings settings = Settings();
    settings.setValue(kExportVideoKey, choices.exportVideo);
    settings.setValue(kLosslessKey, choices.lossless);
    settings.setValue(kFullSizeKey, choices.fullSize);
    settings.setValue(kLeftOutKey, leftOut.join(','));
}

}  // namespace tramlet
