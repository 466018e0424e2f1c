#include "backup/backup_report_text.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace tramlet {
namespace {

constexpr int kFailuresShown = 10;

// The causes users meet on cards and sticks, in the dialog's language.
QString Cause(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return QCoreApplication::translate("BackupReport", "저장 공간이 부족합니다");
        case EROFS:
            return QCoreApplication::translate("BackupReport", "읽기 전용 장치입니다");
        case EACCES:
        case EPERM:
            return QCoreApplication::translate("BackupReport", "쓰기 권한이 없습니다");
        case ENOENT:
            return QCoreApplication::translate("BackupReport", "폴더가 없습니다");
        case EIO:
            return QCoreApplication::translate("BackupReport", "입출력 오류가 났습니다");
        case ENOTCONN:
        case ENODEV:
        case ENXIO:
            return QCoreApplication::translate("BackupReport", "장치가 분리되었습니다");
        case EFBIG:
            return QCoreApplication::translate("BackupReport", "파일이 너무 큽니다");
        case ENAMETOOLONG:
            return QCoreApplication::translate("BackupReport", "이름이 너무 깁니다");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString Problem(const Failure<BackupProblem>& failure) {
    switch (failure.kind) {
        case BackupProblem::kSourceMissing:
            return QCoreApplication::translate("BackupReport", "카드에 파일이 없습니다");
        case BackupProblem::kSourceNotRegular:
            return QCoreApplication::translate("BackupReport",
                                               "일반 파일이 아니어서 복사하지 않았습니다");
        case BackupProblem::kSourceUnreadable:
            return QCoreApplication::translate("BackupReport", "카드에서 읽지 못했습니다 (%1)")
                .arg(Cause(failure.error));
        case BackupProblem::kCardRemoved:
            return QCoreApplication::translate("BackupReport", "카드가 분리되었습니다");
        case BackupProblem::kFolderNotMade:
            return QCoreApplication::translate("BackupReport",
                                               "백업 폴더에 하위 폴더를 만들지 못했습니다 (%1)")
                .arg(Cause(failure.error));
        case BackupProblem::kCopyFailed:
            return QCoreApplication::translate("BackupReport", "백업 폴더에 쓰지 못했습니다 (%1)")
                .arg(Cause(failure.error));
        case BackupProblem::kChecksumsNotSaved:
            return QCoreApplication::translate("BackupReport", "체크섬 파일을 쓰지 못했습니다 (%1)")
                .arg(Cause(failure.error));
    }
    return {};
}

QString FailureLine(const BackupFailure& failure) {
    return QString::fromStdString(failure.file) + ": " + Problem(failure.why);
}

}  // namespace

BackupReportText DescribeIncompleteBackup(const BackupReport& report) {
    const int copied = static_cast<int>(report.copied.size());
    const int failed = static_cast<int>(report.failures.size());
    QStringList lines;
    if (report.cancelled) {
        lines << QCoreApplication::translate("BackupReport", "백업을 취소했습니다.")
              << QCoreApplication::translate(
                     "BackupReport", "취소 전에 복사한 파일 %1개는 백업 폴더에 남아 있습니다.")
                     .arg(copied);
    } else {
        lines << QCoreApplication::translate("BackupReport", "백업을 모두 마치지 못했습니다.")
              << QCoreApplication::translate("BackupReport", "복사한 파일: %1개").arg(copied);
    }
    BackupReportText result;
    if (failed > 0) {
        lines << QCoreApplication::translate("BackupReport", "복사하지 못한 파일: %1개").arg(failed)
              << QString();
        QStringList all;
        for (const BackupFailure& failure : report.failures)
            all << FailureLine(failure);
        lines << all.mid(0, kFailuresShown);
        if (failed > kFailuresShown) {
            lines << QCoreApplication::translate("BackupReport", "... 외 %1개")
                         .arg(failed - kFailuresShown);
            result.details = all.join('\n');
        }
    }
    result.text = lines.join('\n');
    return result;
}

}  // namespace tramlet
