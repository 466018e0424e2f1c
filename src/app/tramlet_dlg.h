#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window_controls.h"
#include "backup/backup_hand_over.h"
#include "common/data_root_path.h"
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
    using RepairRunner = std::function<void(const DataRootPath& dataRoot)>;
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

    // The size and place the window had when the user last closed it.
    void RestoreGeometry(const QByteArray& geometry);

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
    const DataRootPath& DataRoot() const { return m_session.DataRoot(); }
    const DayCatalogue& Catalogue() const { return m_session.Catalogue(); }
    const PageMessages& Messages() const { return m_session.Messages(); }
    const LayoutTable& Layout() const { return m_session.Recording().Layout(); }
    QWidget* VideoArea() const { return m_controls.videoArea; }
    const QString& MapPage() const { return m_mapPage; }

    // The map page's calls, through window.external.
    std::string GetPageMessage(int wanted) override;
    void ViewFromExpPos(const std::string& stamp) override;
    void ViewFromTrack(const std::string& stamp) override;
    const GpsTable& DayFixes() const override { return m_session.Gps(); }

    // What the session asks of the window.
    void RequestRepair(const DataRootPath& dataRoot) override;
    void ReloadMapPage() override;
    void ReportError(const std::string& text) override;
    void Log(const std::string& text) override;

  signals:
    void BackupRequested(const tramlet::BackupHandOver& handOver);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

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
    void ConnectInput();
    void SetUpKeys();
    void ClickIfEnabled(CBitmapButton* button);
    void StepSlider(CBitmapSlider* slider, int step);
    void OnSliderDone(int id, int position);
    void ToggleFullScreen();
    void OnEscape();
    void PlaceControls();
    void FitOnScreen();
    void RunRepair(const DataRootPath& dataRoot);
    void DrawMarkBars(QPainter& painter);
    // A point of the window in the video area's own pixels, if it is there.
    std::optional<QPoint> InVideoArea(const QPointF& point) const;

    VolumeSource& m_volumes;
    RepairRunner m_repair;
    PlayerFactory m_playerFactory;
    std::function<void(const QString&)> m_reportError;
    ViewingSession m_session;
    bool m_initialised = false;
    DataRootPath m_startRepair;  // asked for before the window was set up

    QIcon m_hIcon;
    bool m_placed = false;  // centred, or put where it was last time
    bool m_fullScreen = false;
    QPoint m_dragFrom;  // the last point of a drag over the video area
    MainWindowControls m_controls;
    VideoAreaNotes* m_notes = nullptr;
    CExplorer* m_explorer = nullptr;
    QString m_mapPage;
    QPointer<QMessageBox> m_errorBox;
    // The playback tick, due when the picture reaches its next second, and
    // the channels' line-up while they play.
    QTimer m_tickTimer;
    QTimer m_syncTimer;
    QElapsedTimer m_wallClock;
};

}  // namespace tramlet
