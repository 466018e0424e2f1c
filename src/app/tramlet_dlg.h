#pragma once

#include <QDialog>
#include <QIcon>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_hand_over.h"
#include "catalogue/clip_name.h"
#include "catalogue/day_catalogue.h"
#include "map/map_page_host.h"
#include "map/page_messages.h"
#include "platform/mounted_volume.h"
#include "playback/layout_table.h"
#include "playback/player_slots.h"
#include "playback/time_selection.h"

class QLabel;

namespace tramlet {

class CBitmapButton;
class CBitmapSlider;
class CExplorer;
class CImpIDispatch;
class CMonthCalendar;
class VolumeSource;

// The program's one main window. It owns the shared state: the data root, the
// selected day with its recordings and marks, the chosen moment, the open
// recording and the messages waiting for the map page.
class CTramletDlg : public QDialog, public MapPageHost {
    Q_OBJECT

  public:
    // Runs the repair pass over a data root in its own modal window.
    using RepairRunner = std::function<void(const std::string& dataRoot)>;

    // Without `external` the map area stays empty (tests that need no browser).
    CTramletDlg(VolumeSource& volumes, RepairRunner repair, CImpIDispatch* external = nullptr,
                QWidget* parent = nullptr);
    ~CTramletDlg() override;

    // Finds the data root, sets the controls up, repairs the clips and asks
    // for the catalogue to be loaded once the event loop runs.
    void OnInitDialog();

    // Handlers, each named after what it answers.
    void OnBnClickedPath();
    void ChooseDataRoot(const QString& folder);
    void OnBnClickedReset();
    void OnBnClickedBackup();
    void OnBnClickedCapture();
    void OnDeviceArrival();
    void OnDeviceRemoval();
    void OnSysCommand(int id);
    void ScanMonth(bool autoSelect);
    void SelectDay();
    void ClosePlayback();

    // Playback of the open recording, one player per channel.
    using PlayerFactory =
        std::function<std::unique_ptr<Player>(int channelIndex, std::function<void()> notify)>;
    void SetPlayerFactory(PlayerFactory factory);
    // Shows an open failure; a modal message box unless replaced.
    void SetErrorReporter(std::function<void(const QString&)> report);
    bool OpenRecording(const std::string& stamp);
    void SetMoment(int hour, int minute, int second);
    void OnPlay();
    void OnPause();
    void OnStep(int seconds);
    const PlayerSlots& Players() const { return m_players; }
    Moment ChosenMoment() const { return {m_hour, m_minute, m_second}; }
    Moment ClipStart() const { return {m_clipHour, m_clipMinute, m_clipSecond}; }
    bool IsPlaying() const { return m_playing; }
    bool IsZoomed() const { return m_zoomed; }
    int SelectedChannel() const { return m_curChannel; }
    QWidget* VideoArea() const { return m_videoArea; }

    // The map page's two calls, through window.external.
    std::string GetPageMessage(int wanted) override;
    void ViewFromExpPos(const std::string& stamp) override;
    void ViewFromTrack(const std::string& stamp) override;

    const std::string& DataRoot() const { return m_dataRoot; }
    const DayCatalogue& Catalogue() const { return m_catalogue; }
    const PageMessages& Messages() const { return m_pageMessages; }
    const LayoutTable& Layout() const { return m_layout; }
    const QString& MapPage() const { return m_mapPage; }

  signals:
    void BackupRequested(const tramlet::BackupHandOver& handOver);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void DoDataExchange();
    void PlaceExplorer(CImpIDispatch* external);
    void SetUpButtons();
    void SetUpKeys();
    void ClickIfEnabled(CBitmapButton* button);
    void StepSlider(CBitmapSlider* slider, int id, int step);
    void ShowChannelAlone(int k);
    void SetUpSliders();
    void BuildLayoutTable();
    void OnReload();
    void OnVolumesChanged();
    void DrawMarkBars(QPainter& painter);
    void ResetDateAndMoment();
    void SetUpPlayback();
    void OpenFirstRecording(const std::string& stamp);
    void SetDayMessages(const CalendarDate& date, bool pending);
    std::string OpenClipStamp() const;
    // The window's part of a clip's opening; whether it opened.
    bool OnClipOpened(const PlayerSlots::OpenOutcome& outcome);
    void PostOpenSetup(bool rateOnly);
    void ChooseHeardChannel();
    std::vector<Player*> ChosenPlayers() const;
    void SeekPlayers(std::int64_t position, SeekMode mode);
    void CuePlayers();
    void OnSliderDrag(int id);
    void OnSliderDone(int id, int position);
    void OnMomentChosen();
    void OnTimelineCommitted();
    void OpenClipsOf(const DayTime& record, const std::function<std::string(int)>& pattern,
                     const std::function<void(const ClipName&, bool opened)>& onClip);
    void PositionToMoment();
    void RestartPlayTick();
    void KillPlayTick();
    void OnGraphNotify();
    bool AdvanceAfterEnd();
    void SyncChannels();
    void CorrectChannels();
    void OnLButtonDblClk(const QPoint& point);
    void SetTransportButtons(bool play, bool pause);
    void RefreshMap();
    QWidget* AddStatic(int id, const QRect& dialogUnits);
    QLabel* AddText(int id, const QString& text, const QRect& dialogUnits, bool light);

    VolumeSource& m_volumes;
    RepairRunner m_repair;
    bool m_repairing = false;
    bool m_repairAgain = false;  // asked for while a pass ran
    std::vector<MountedVolume> m_mountedVolumes;

    QIcon m_hIcon;
    bool m_shownOnce = false;
    LayoutTable m_layout{};
    bool m_zoomed = false;
    std::string m_dataRoot;
    int m_curChannel = 0;
    int m_clipHour = 0;
    int m_clipMinute = 0;
    int m_clipSecond = 0;
    // The selected date, the day list and the hour, minute and second marks.
    DayCatalogue m_catalogue;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    int m_clipLength = 0;
    bool m_playing = false;
    bool m_resumePlay = false;
    // The day, position and clip messages with their pending flags.
    PageMessages m_pageMessages;
    QWidget* m_browser = nullptr;
    CExplorer* m_explorer = nullptr;  // the map page in m_browser's place
    int m_playTimer = 0;
    std::int64_t m_duration = 0;
    CMonthCalendar* m_calendar = nullptr;
    CBitmapSlider* m_timeline = nullptr;
    CBitmapSlider* m_volume = nullptr;
    CBitmapSlider* m_rate = nullptr;
    CBitmapSlider* m_hourSlider = nullptr;
    CBitmapSlider* m_minuteSlider = nullptr;
    CBitmapSlider* m_secondSlider = nullptr;
    QString m_timeText;
    CBitmapButton* m_btnPlay = nullptr;
    CBitmapButton* m_btnPause = nullptr;
    CBitmapButton* m_btnRewind = nullptr;
    CBitmapButton* m_btnForward = nullptr;
    CBitmapButton* m_btnPath = nullptr;
    CBitmapButton* m_btnBackup = nullptr;
    CBitmapButton* m_btnCapture = nullptr;
    CBitmapButton* m_btnReset = nullptr;

    QWidget* m_videoArea = nullptr;
    PlayerSlots m_players;
    PlayerFactory m_playerFactory;
    std::function<void(const QString&)> m_reportError;
    // Keeps the channels together while they play.
    QTimer m_syncTimer;
    std::uint64_t m_syncRound = 0;  // answers of an older round are not used
    QWidget* m_markAnchor = nullptr;
    QLabel* m_timeLabel = nullptr;
    QString m_mapPage;
    // Deferred to the event loop so that the catalogue loads after the
    // handler that asked for it has returned.
    QTimer m_reloadTimer;
};

}  // namespace tramlet
