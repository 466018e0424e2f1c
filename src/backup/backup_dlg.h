#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backup/backup_copier.h"
#include "backup/backup_plan.h"
#include "common/data_root_path.h"

class QDateEdit;
class QLabel;
class QRadioButton;
class QTimeEdit;

namespace tramlet {

struct BackupHandOver;
class ExportChoicesBox;

// The backup dialog: copies the open recording, or every clip of a period,
// with the GPS logs of their days into a folder the user picks, or exports
// it as MP4 video, and says honestly what came of it.
class CBackup : public QDialog {
    Q_OBJECT

  public:
    // The folder chooser and the message box, replaceable so that tests need
    // not answer modal windows.
    struct Hooks {
        std::function<QString(QWidget* owner, const QString& title)> chooseFolder;
        std::function<void(QWidget* owner, const QString& text, const QString& details)> message;
        BackupCopier::WriteFunction write;  // empty: the system's write
    };

    explicit CBackup(QWidget* parent = nullptr, Hooks hooks = {});

    // Takes what the main window hands over and offers what fits it: the
    // viewed day's period, a folder off the card, the channels there are.
    void TakeOver(const BackupHandOver& handOver);

    // Handed over by the main window before the dialog runs.
    DataRootPath m_dataRoot;
    int m_year = 0;
    int m_month = 0;
    int m_day = 0;
    bool m_recordingOpen = false;
    int m_clipHour = 0;
    int m_clipMinute = 0;
    int m_clipSecond = 0;

    const std::string& BackupDir() const { return m_backupDir; }
    void SetBackupDir(const std::string& folder);

    void OnBnClickedRadioCurrent();
    void OnBnClickedRadioPeriod();
    void OnBnClickedBrowse();
    void OnOK();

  private:
    enum class PeriodSide { kStart, kEnd };

    void OnInitDialog();
    void DoDataExchange();
    void OfferPeriod(const QDate& viewedDay);
    void OfferChannels();
    void EnablePickers(bool enable);
    void ValidatePeriod(PeriodSide changed);
    std::int64_t Moment(const QDateEdit* date, const QTimeEdit* time) const;
    std::vector<BackupItem> Plan() const;
    bool RefuseFolder(const std::string& folder);
    void MakeDefaultFolder();
    void RememberChoices();
    void ExportVideo();
    void Message(const QString& text, const QString& details = {});

    Hooks m_hooks;
    QDateEdit* m_startDate = nullptr;
    QTimeEdit* m_startTime = nullptr;
    QDateEdit* m_endDate = nullptr;
    QTimeEdit* m_endTime = nullptr;
    QRadioButton* m_radioCurrent = nullptr;
    QRadioButton* m_radioPeriod = nullptr;
    QLabel* m_folderText = nullptr;
    ExportChoicesBox* m_export = nullptr;
    std::string m_rememberedDir;  // as the settings hold it, maybe empty
    std::string m_backupDir;      // ends in '/'; empty when none is chosen
};

// Runs the backup dialog modally over what the main window hands over.
void RunBackupDialog(const BackupHandOver& handOver);

}  // namespace tramlet
