#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "backup/backup_hand_over.h"
#include "map/map_page_host.h"
#include "session/session_host.h"
#include "session/viewing_session.h"

class QLabel;
class QMessageBox;

namespace tramlet {

class CBitmapButton;
class CBitmapSlider;
class CExplorer;
class CImpIDispatch;
class CMonthCalendar;
class VideoAreaNotes;
class VolumeSource;

// The program's one main window: a view of the viewing session. It forwards
// every input to the session and draws what the session says; it keeps no
// state of its own beyond its controls.
class CTramletDlg : public QDialog, public MapPageHost, public SessionHost {
    Q_OBJECT

  public:
    // Runs the repair pass over a data root in its own modal window.
    using RepairRunner = std::function<void(const std::string& dataRoot)>;
    using PlayerFactory =
        std::function<std::unique_ptr<Player>(int channelIndex, std::function<void()> notify)>;

    // Without `external` the map area stays empty (tests that need no browser).
    CTramletDlg(VolumeSource& volumes, RepairRunner repair, CImpIDispatch* external = nullptr,
                QWidget* parent = nullptr);
    ~CTramletDlg() override;

    // Sets the controls up, finds the data root and repairs its clips; the
    // month loads once the event loop runs.
    void OnInitDialog();

    // Handlers, each named after what it answers.
    void OnBnClickedPath();
    void ChooseDataRoot(const QString& folder);
    void OnBnClickedReset();
    void OnBnClickedBackup();
    void OnBnClickedCapture();
    void OnSysCommand(int id);
    // The calendar's day, chosen explicitly.
    void SelectDay();

    void SetPlayerFactory(PlayerFactory factory) { m_playerFactory = std::move(factory); }
    // Shows a failure; a message box that waits for nothing unless replaced.
    void SetErrorReporter(std::function<void(const QString&)> report);
    bool OpenRecording(const std::string& stamp);

    const ViewingSession& Session() const { return m_session; }
    const PlayerSlots& Players() const { return m_session.Recording().Slots(); }
    Moment ChosenMoment() const { return m_session.ChosenMoment(); }
    Moment ClipStart() const { return m_session.Recording().Start(); }
    bool IsPlaying() const { return m_session.Recording().IsPlaying(); }
    bool IsZoomed() const { return m_session.Recording().IsSingleView(); }
    int SelectedChannel() const { return m_session.Recording().SelectedChannel(); }
    const std::string& DataRoot() const { return m_session.DataRoot(); }
    const DayCatalogue& Catalogue() const { return m_session.Catalogue(); }
    const PageMessages& Messages() const { return m_session.Messages(); }
    const LayoutTable& Layout() const { return m_session.Recording().Layout(); }
    QWidget* VideoArea() const { return m_videoArea; }
    const QString& MapPage() const { return m_mapPage; }

    // The map page's calls, through window.external.
    std::string GetPageMessage(int wanted) override;
    void ViewFromExpPos(const std::string& stamp) override;
    void ViewFromTrack(const std::string& stamp) override;

    // What the session asks of the window.
    void RequestRepair(const std::string& dataRoot) override;
    void ReloadMapPage() override;
    void ReportError(const std::string& text) override;
    void Log(const std::string& text) override;

  signals:
    void BackupRequested(const tramlet::BackupHandOver& handOver);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // Every input goes through here: the session acts, the window draws.
    template <typename Action>
    void Do(Action&& action) {
        action();
        Render();
    }
    void Render();
    void RenderSliders();
    void RenderTimers();
    void CreateControls();
    void CreateSliders();
    void CreateButtons();
    void ConnectInput();
    void PlaceExplorer(CImpIDispatch* external);
    void SetUpButtons();
    void SetUpSliders();
    void SetUpCalendar();
    void SetUpKeys();
    void ClickIfEnabled(CBitmapButton* button);
    void StepSlider(CBitmapSlider* slider, int step);
    void OnSliderDone(int id, int position);
    void RunRepair(const std::string& dataRoot);
    void DrawMarkBars(QPainter& painter);
    QWidget* AddStatic(int id, const QRect& dialogUnits);
    QLabel* AddText(int id, const QString& text, const QRect& dialogUnits, bool light);

    VolumeSource& m_volumes;
    RepairRunner m_repair;
    PlayerFactory m_playerFactory;
    std::function<void(const QString&)> m_reportError;
    ViewingSession m_session;
    bool m_initialised = false;
    std::string m_startRepair;  // asked for before the window was set up

    QIcon m_hIcon;
    bool m_shownOnce = false;
    QWidget* m_videoArea = nullptr;
    VideoAreaNotes* m_notes = nullptr;
    QWidget* m_browser = nullptr;
    CExplorer* m_explorer = nullptr;  // the map page in m_browser's place
    QString m_mapPage;
    CMonthCalendar* m_calendar = nullptr;
    CBitmapSlider* m_timeline = nullptr;
    CBitmapSlider* m_volume = nullptr;
    CBitmapSlider* m_rate = nullptr;
    CBitmapSlider* m_hourSlider = nullptr;
    CBitmapSlider* m_minuteSlider = nullptr;
    CBitmapSlider* m_secondSlider = nullptr;
    QLabel* m_timeLabel = nullptr;
    QWidget* m_markAnchor = nullptr;
    CBitmapButton* m_btnPlay = nullptr;
    CBitmapButton* m_btnPause = nullptr;
    CBitmapButton* m_btnRewind = nullptr;
    CBitmapButton* m_btnForward = nullptr;
    CBitmapButton* m_btnPath = nullptr;
    CBitmapButton* m_btnBackup = nullptr;
    CBitmapButton* m_btnCapture = nullptr;
    CBitmapButton* m_btnReset = nullptr;
    QPointer<QMessageBox> m_errorBox;
    // The playback tick, due when the picture reaches its next second, and
    // the channels' line-up while they play.
    QTimer m_tickTimer;
    QTimer m_syncTimer;
};

}  // namespace tramlet
