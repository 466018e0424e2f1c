#include "backup/backup_report_text.h"

#include <QStringList>

namespace tramlet {
namespace {

constexpr int kFailuresShown = 10;

QString FailureLine(const BackupFailure& failure) {
    return QString::fromStdString(failure.file) + ": " + QString::fromStdString(failure.reason);
}

}  // namespace

BackupReportText DescribeIncompleteBackup(const BackupReport& report) {
    const int copied = static_cast<int>(report.copied.size());
    const int failed = static_cast<int>(report.failures.size());
    QStringList lines;
    if (report.cancelled) {
        lines << QString::fromUtf8("백업을 취소했습니다.")
              << QString::fromUtf8("취소 전에 복사한 파일 %1개는 백업 폴더에 남아 있습니다.")
                     .arg(copied);
    } else {
        lines << QString::fromUtf8("백업을 모두 마치지 못했습니다.")
              << QString::fromUtf8("복사한 파일: %1개").arg(copied);
    }
    BackupReportText result;
    if (failed > 0) {
        lines << QString::fromUtf8("복사하지 못한 파일: %1개").arg(failed) << QString();
        QStringList all;
        for (const BackupFailure& failure : report.failures)
            all << FailureLine(failure);
        lines << all.mid(0, kFailuresShown);
        if (failed > kFailuresShown) {
            lines << QString::fromUtf8("... 외 %1개").arg(failed - kFailuresShown);
            result.details = all.join('\n');
        }
    }
    result.text = lines.join('\n');
    return result;
}

}  // namespace tramlet
