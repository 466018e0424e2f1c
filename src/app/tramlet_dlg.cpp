#include "app/tramlet_dlg.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

#include <utility>

#include "app/about_dlg.h"
#include "app/card_version.h"
#include "app/install_folder.h"
#include "app/mark_bar_layout.h"
#include "app/month_calendar.h"
#include "app/video_area_notes.h"
#include "app/window_look.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "map/explorer.h"
#include "map/imp_idispatch.h"
#include "platform/volume_source.h"
#include "playback/mpv_player.h"
#include "res/bitmaps.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "snapshot/snapshot_facts.h"
#include "snapshot/window_snapshot.h"

namespace tramlet {
namespace {

using namespace look;

constexpr int kAboutCommand = 0x10;

CalendarDate Today() {
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
}

}  // namespace

CTramletDlg::CTramletDlg(VolumeSource& volumes, RepairRunner repair, CImpIDispatch* external,
                         QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_volumes(volumes),
      m_repair(std::move(repair)),
      m_session(
          *this,
          [this](int k) -> std::unique_ptr<Player> {
              // Events are handled from the event loop, never inside a player call.
              auto notify = [this] {
                  QMetaObject::invokeMethod(
                      this, [this] { Do([this] { m_session.OnPlayerEvents(); }); },
                      Qt::QueuedConnection);
              };
              return m_playerFactory ? m_playerFactory(k, std::move(notify)) : nullptr;
          },
          Today()),
      m_hIcon(AppIcon()),
      m_controls(this) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QCoreApplication::translate("MainWindow", "녹화 영상 재생 프로그램"));
    setMinimumSize(MainWindowControls::SmallestSize());
    resize(MainWindowControls::DesignedSize());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    m_notes = new VideoAreaNotes(m_controls.videoArea);
    m_playerFactory = [this](int, std::function<void()> notify) -> std::unique_ptr<Player> {
        return std::make_unique<MpvPlayer>(m_controls.videoArea, std::move(notify));
    };
    m_reportError = [this](const QString& text) {
        // One box that waits for nothing: the map and the players go on
        // behind it, and a second failure adds its line.
        if (m_errorBox) {
            m_errorBox->setText(m_errorBox->text() + "\n" + text);
            return;
        }
        m_errorBox = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok,
                                     this, Qt::Dialog);
        m_errorBox->setAttribute(Qt::WA_DeleteOnClose);
        m_errorBox->setWindowModality(Qt::NonModal);
        m_errorBox->show();
    };
    if (external) {
        m_explorer = new CExplorer(external, this);
        connect(external, &CImpIDispatch::PageOpened, this,
                [this] { Do([this] { m_session.OnPageReloaded(); }); });
        m_controls.ReplaceMap(m_explorer);
    }
    ConnectInput();
    SetUpKeys();
    m_tickTimer.setSingleShot(true);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { Do([this] { m_session.OnTick(); }); });
    m_wallClock.start();
    connect(&m_syncTimer, &QTimer::timeout, this,
            [this] { Do([this] { m_session.OnSyncTick(m_wallClock.elapsed()); }); });
    connect(&m_volumes, &VolumeSource::Changed, this,
            [this] { Do([this] { m_session.OnVolumesChanged(m_volumes.Volumes()); }); });
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this,
            [this] { OnSysCommand(kAboutCommand); });
}

CTramletDlg::~CTramletDlg() = default;

void CTramletDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    PlaceControls();

    const QSettings settings("Ostra", "Tramlet");
    const QVariant installDir = settings.value("InstallDir");
    const std::string installFolder = ChooseInstallFolder(
        installDir.isValid() ? std::optional(installDir.toString().toStdString()) : std::nullopt,
        QCoreApplication::applicationDirPath().toStdString(), QDir::currentPath().toStdString());

    // The repair window shows on its own, before the main window; the month
    // loads from the event loop, once the window is up.
    m_session.Start(m_volumes.Volumes(), QDir::currentPath().toStdString());
    m_initialised = true;
    if (m_repair)
        m_repair(std::exchange(m_startRepair, {}));
    QMetaObject::invokeMethod(
        this, [this] { Do([this] { m_session.OnRepairFinished(); }); }, Qt::QueuedConnection);

    m_mapPage = QString::fromStdString(MapPagePath(installFolder));
    if (m_explorer)
        m_explorer->Navigate2(m_mapPage);
    Render();
}

// ---- Handlers ----

void CTramletDlg::OnBnClickedPath() {
    const QString folder = QFileDialog::getExistingDirectory(this, LoadString(res::kChooseFolder));
    if (!folder.isEmpty())
        ChooseDataRoot(folder);
}

void CTramletDlg::ChooseDataRoot(const QString& folder) {
    Do([&] { m_session.ChooseFolder(folder.toStdString()); });
}

void CTramletDlg::OnBnClickedReset() {
    Do([this] { m_session.RepairAgain(); });
}

void CTramletDlg::OnBnClickedBackup() {
    emit BackupRequested(m_session.HandOver());
}

void CTramletDlg::OnBnClickedCapture() {
    SaveWindowSnapshot(*this, CollectSnapshotFacts(m_session.Catalogue().SelectedDate(),
                                                   m_session.ChosenMoment().SecondOfDay(),
                                                   m_session.RecordingStart(), m_session.Gps()));
}

void CTramletDlg::OnSysCommand(int id) {
    if (id != kAboutCommand)
        return;
    CAboutDlg about;
    about.m_version = QString("K %1").arg(ReadCardVersion(m_session.DataRoot()));
    about.exec();
}

void CTramletDlg::SelectDay() {
    const QDate date = m_controls.calendar->selectedDate();
    Do([&] { m_session.OnDayClicked({date.year(), date.month(), date.day()}); });
}

void CTramletDlg::SetErrorReporter(std::function<void(const QString&)> report) {
    m_reportError = std::move(report);
}

bool CTramletDlg::OpenRecording(const std::string& stamp) {
    bool opened = false;
    Do([&] { opened = m_session.OpenRecording(stamp); });
    return opened;
}

std::string CTramletDlg::GetPageMessage(int wanted) {
    std::string message;
    Do([&] { message = m_session.GetPageMessage(wanted); });
    return message;
}

void CTramletDlg::ViewFromExpPos(const std::string& stamp) {
    Do([&] { m_session.ViewFromExpPos(stamp); });
}

void CTramletDlg::ViewFromTrack(const std::string& stamp) {
    Do([&] { m_session.ViewFromTrack(stamp); });
}

// ---- What the session asks for ----

// The repair window's own event loop delivers clicks and card arrivals while
// it runs, so it never runs inside a call of the session's.
void CTramletDlg::RequestRepair(const DataRootPath& dataRoot) {
    if (!m_initialised) {
        m_startRepair = dataRoot;
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, dataRoot] { RunRepair(dataRoot); }, Qt::QueuedConnection);
}

void CTramletDlg::RunRepair(const DataRootPath& dataRoot) {
    if (m_repair)
        m_repair(dataRoot);
    Do([this] { m_session.OnRepairFinished(); });
}

void CTramletDlg::ReloadMapPage() {
    if (m_explorer)
        m_explorer->Refresh();
}

void CTramletDlg::ReportError(const std::string& text) {
    if (m_reportError)
        m_reportError(QString::fromStdString(text));
}

void CTramletDlg::Log(const std::string& text) {
    qInfo().noquote() << QString::fromStdString(text);
}

// ---- The window itself ----

void CTramletDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(LoadString(res::kAboutMenu), this, [this] { OnSysCommand(kAboutCommand); });
    menu.exec(event->globalPos());
}

void CTramletDlg::RestoreGeometry(const QByteArray& geometry) {
    m_placed = restoreGeometry(geometry);
}

void CTramletDlg::showEvent(QShowEvent* event) {
    // Placed when it first appears; after that it stays where the user put
    // it, through minimising and showing again.
    if (!std::exchange(m_placed, true))
        FitOnScreen();
    QDialog::showEvent(event);
}

// The designed size where the screen has room for it, less where it has not;
// centred on the screen.
void CTramletDlg::FitOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(MainWindowControls::DesignedSize()
               .boundedTo(free.size() - frame)
               .expandedTo(minimumSize()));
    move(free.center() - QPoint(width() + frame.width(), height() + frame.height()) / 2);
}

void CTramletDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void CTramletDlg::PlaceControls() {
    m_controls.Place(size(), m_fullScreen);
    m_session.OnVideoArea(m_controls.videoArea->width(), m_controls.videoArea->height());
    Render();
}

void CTramletDlg::closeEvent(QCloseEvent* event) {
    m_tickTimer.stop();
    m_syncTimer.stop();
    QDialog::closeEvent(event);
}

void CTramletDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    DrawMarkBars(painter);
}

void CTramletDlg::DrawMarkBars(QPainter& painter) {
    if (m_fullScreen)
        return;
    const std::vector<PixelRect> areas =
        MarkBarAreas(ToPixelRect(m_controls.markAnchor->geometry()));
    QFont numbers = font();
    numbers.setPixelSize(kMarkBarTextHeight);
    numbers.setWeight(QFont::Thin);
    painter.setFont(numbers);
    const auto draw = [&](std::span<const bool> marks, const PixelRect& area) {
        const MarkBarLayout bar = LayOutMarkBar(marks, area);
        painter.setPen(kLightText);
        for (const MarkBarNumber& n : bar.numbers) {
            const QRect box(n.x - 20, n.y, 40, kMarkBarTextHeight);
            painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                             QString::number(n.number));
        }
        painter.fillRect(ToQRect(bar.band), kLightText);
        for (const PixelRect& mark : bar.marks)
            painter.fillRect(ToQRect(mark), kMarked);
    };
    const DayCatalogue& catalogue = m_session.Catalogue();
    draw(catalogue.Hours(), areas[0]);
    draw(catalogue.Minutes(), areas[1]);
    draw(catalogue.Seconds(), areas[2]);
}

}  // namespace tramlet
