#include "app/tramlet_dlg.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QToolTip>

#include <utility>

#include "app/about_dlg.h"
#include "app/card_version.h"
#include "app/install_folder.h"
#include "app/mark_bar_layout.h"
#include "app/month_calendar.h"
#include "app/video_area_notes.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "map/explorer.h"
#include "platform/volume_source.h"
#include "playback/mpv_player.h"
#include "res/bitmaps.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "snapshot/snapshot_facts.h"
#include "snapshot/window_snapshot.h"

namespace tramlet {
namespace {

const QColor kBackground(41, 48, 56);
const QColor kLightText(182, 183, 187);
const QColor kMarked(11, 138, 0);
const QColor kCalendarTitle(198, 210, 224);

constexpr int kAboutCommand = 0x10;
constexpr int kSyncMs = 250;

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const PixelRect& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

CalendarDate Today() {
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
}

}  // namespace

CTramletDlg::CTramletDlg(VolumeSource& volumes, RepairRunner repair, CImpIDispatch* external,
                         QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
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
      m_hIcon(AppIcon()) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QString::fromUtf8("녹화 영상 재생 프로그램"));
    setFixedSize(FromDialogUnits({0, 0, 595, 430}).size());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    CreateControls();
    m_playerFactory = [this](int, std::function<void()> notify) -> std::unique_ptr<Player> {
        return std::make_unique<MpvPlayer>(m_videoArea, std::move(notify));
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
    if (external)
        PlaceExplorer(external);
    ConnectInput();
    m_tickTimer.setSingleShot(true);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { Do([this] { m_session.OnTick(); }); });
    m_syncTimer.setInterval(kSyncMs);
    connect(&m_syncTimer, &QTimer::timeout, this,
            [this] { Do([this] { m_session.OnSyncTick(); }); });
    connect(&m_volumes, &VolumeSource::Changed, this,
            [this] { Do([this] { m_session.OnVolumesChanged(m_volumes.Volumes()); }); });
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this,
            [this] { OnSysCommand(kAboutCommand); });
}

CTramletDlg::~CTramletDlg() = default;

// The browser takes the map area's place, id and size.
void CTramletDlg::PlaceExplorer(CImpIDispatch* external) {
    m_explorer = new CExplorer(external, this);
    connect(m_explorer, &QWebEngineView::loadStarted, this,
            [this] { Do([this] { m_session.OnPageReloaded(); }); });
    m_explorer->setObjectName(m_browser->objectName());
    m_explorer->setGeometry(m_browser->geometry());
    delete m_browser;
    m_browser = m_explorer;
}

QWidget* CTramletDlg::AddStatic(int id, const QRect& dialogUnits) {
    auto* area = new QWidget(this);
    area->setObjectName(QString::number(id));
    area->setGeometry(FromDialogUnits(dialogUnits));
    return area;
}

QLabel* CTramletDlg::AddText(int id, const QString& text, const QRect& dialogUnits, bool light) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::number(id));
    label->setGeometry(FromDialogUnits(dialogUnits));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, light ? kLightText : QColor(Qt::white));
    label->setPalette(colours);
    return label;
}

// Creates the controls at their places; later ones lie above earlier ones.
void CTramletDlg::CreateControls() {
    auto* frame = new QGroupBox(this);
    frame->setGeometry(FromDialogUnits({7, 332, 580, 92}));
    frame->setStyleSheet("QGroupBox { border: 1px solid rgb(86, 95, 106); border-radius: 3px; }");

    m_videoArea = AddStatic(res::kVideoArea, {7, 7, 420, 287});
    m_videoArea->setAutoFillBackground(true);
    QPalette black = m_videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_videoArea->setPalette(black);
    m_notes = new VideoAreaNotes(m_videoArea);

    m_browser = AddStatic(res::kMapArea, {430, 7, 157, 324});
    m_browser->setAutoFillBackground(true);
    QPalette mapColours = m_browser->palette();
    mapColours.setColor(QPalette::Window, QColor(28, 33, 40));
    m_browser->setPalette(mapColours);

    auto* strip = new QLabel(this);
    strip->setPixmap(QPixmap::fromImage(LoadBitmapResource(res::kButtonStrip)));
    strip->move(FromDialogUnits({8, 311, 0, 0}).topLeft());
    strip->adjustSize();
    for (const auto& [picture, units] : {std::pair{res::kRateCaption, QRect(211, 311, 26, 9)},
                                         std::pair{res::kVolumeCaption, QRect(211, 320, 26, 9)}}) {
        auto* caption = new QLabel(this);
        caption->setPixmap(QPixmap::fromImage(LoadBitmapResource(picture)));
        caption->move(FromDialogUnits(units).topLeft());
        caption->adjustSize();
    }

    m_timeLabel = AddText(res::kTimeText, QString(), {340, 310, 74, 8}, true);
    m_timeLabel->setAlignment(Qt::AlignCenter);
    AddText(res::kHourCaption, QString::fromUtf8("시"), {129, 355, 12, 9}, true);
    AddText(res::kMinuteCaption, QString::fromUtf8("분"), {129, 378, 12, 9}, true);
    AddText(res::kSecondCaption, QString::fromUtf8("초"), {129, 401, 12, 9}, true);
    m_markAnchor = AddStatic(res::kMarkAnchor, {145, 350, 412, 8});
    m_markAnchor->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_calendar = new CMonthCalendar(this);
    m_calendar->setObjectName(QString::number(res::kCalendar));
    m_calendar->setGeometry(FromDialogUnits({8, 337, 100, 86}));
    CreateSliders();
    CreateButtons();
}

void CTramletDlg::CreateSliders() {
    const auto slider = [this](int id, const QRect& units) {
        auto* control = new CBitmapSlider(this);
        control->setObjectName(QString::number(id));
        control->setGeometry(FromDialogUnits(units));
        return control;
    };
    m_timeline = slider(res::kTimeline, {7, 296, 360, 8});
    m_volume = slider(res::kVolume, {248, 322, 69, 8});
    m_rate = slider(res::kRate, {248, 312, 69, 8});
    m_hourSlider = slider(res::kHourSlider, {147, 356, 410, 9});
    m_minuteSlider = slider(res::kMinuteSlider, {146, 379, 410, 9});
    m_secondSlider = slider(res::kSecondSlider, {146, 401, 410, 9});
}

void CTramletDlg::CreateButtons() {
    const auto button = [this](int id, int x) {
        auto* control = new CBitmapButton(this);
        control->setObjectName(QString::number(id));
        control->setGeometry(FromDialogUnits({x, 311, 21, 21}));
        return control;
    };
    m_btnPlay = button(res::kPlay, 18);
    m_btnPause = button(res::kPause, 40);
    m_btnRewind = button(res::kRewind, 62);
    m_btnForward = button(res::kForward, 84);
    m_btnPath = button(res::kPath, 106);
    m_btnBackup = button(res::kBackup, 128);
    m_btnCapture = button(res::kCapture, 150);
    m_btnReset = button(res::kReset, 172);
}

void CTramletDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    SetUpButtons();
    SetUpCalendar();
    SetUpSliders();
    m_session.OnVideoArea(m_videoArea->width(), m_videoArea->height());

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

void CTramletDlg::SetUpButtons() {
    struct ButtonSetUp {
        CBitmapButton* button;
        int firstPicture;
        bool sizeToPicture;
        int tip;
    };
    const ButtonSetUp buttons[] = {
        {m_btnPlay, 200, true, res::kPlayTip},       {m_btnPause, 204, true, res::kPauseTip},
        {m_btnRewind, 208, true, res::kRewindTip},   {m_btnForward, 212, true, res::kForwardTip},
        {m_btnPath, 303, false, res::kPathTip},      {m_btnBackup, 307, false, res::kBackupTip},
        {m_btnCapture, 216, true, res::kCaptureTip}, {m_btnReset, 311, true, res::kResetCaption},
    };
    for (const ButtonSetUp& b : buttons) {
        b.button->LoadBitmaps(b.firstPicture, b.firstPicture + 1, b.firstPicture + 2,
                              b.firstPicture + 3);
        if (b.sizeToPicture)
            b.button->SizeToContent();
        b.button->setToolTip(LoadString(b.tip));
    }
    // The keys that do the same, for those who look for them.
    for (const auto& [button, key] : {std::pair{m_btnPlay, "Space"}, std::pair{m_btnPause, "Space"},
                                      std::pair{m_btnRewind, "←"}, std::pair{m_btnForward, "→"}}) {
        button->setToolTip(button->toolTip() +
                           QString::fromUtf8(" (%1)").arg(QString::fromUtf8(key)));
    }
    m_volume->setToolTip(QString::fromUtf8("볼륨 (↑ ↓)"));
    m_rate->setToolTip(QString::fromUtf8("배속 ([ ])"));
    SetUpKeys();
    QPalette tipColours = QToolTip::palette();
    tipColours.setColor(QPalette::ToolTipBase, kBackground);
    tipColours.setColor(QPalette::ToolTipText, Qt::white);
    QToolTip::setPalette(tipColours);
}

void CTramletDlg::SetUpCalendar() {
    QPalette colours = m_calendar->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Window, kCalendarTitle);
    colours.setColor(QPalette::Button, kCalendarTitle);
    colours.setColor(QPalette::ButtonText, Qt::black);
    m_calendar->setPalette(colours);
    m_calendar->setStyleSheet(QString("#qt_calendar_navigationbar { background-color: %1; }"
                                      "#qt_calendar_navigationbar QToolButton { color: black; }")
                                  .arg(kCalendarTitle.name()));
}

void CTramletDlg::SetUpSliders() {
    struct SliderSetUp {
        CBitmapSlider* slider;
        int channel, activeChannel;
        bool transparent;
        int thumb, activeThumb;
        int minimum, maximum;
        int pointerShiftX;
    };
    const SliderSetUp sliders[] = {
        {m_timeline, res::kTimelineChannel, res::kTimelineActive, false, res::kTimelineThumb,
         res::kTimelineThumbActive, 0, 100, 0},
        {m_hourSlider, 0, 0, true, res::kHourThumb, res::kHourThumbActive, 0, 23, -14},
        {m_minuteSlider, 0, 0, true, res::kMinuteThumb, res::kMinuteThumbActive, 0, 59, -4},
        {m_secondSlider, 0, 0, true, res::kMinuteThumb, res::kMinuteThumbActive, 0, 59, -4},
        {m_volume, res::kSmallChannel, res::kSmallChannelActive, true, res::kSmallThumb,
         res::kSmallThumbActive, -10000, 0, 0},
        {m_rate, res::kSmallChannel, res::kSmallChannelActive, true, res::kSmallThumb,
         res::kSmallThumbActive, 1, 8, 0},
    };
    for (const SliderSetUp& s : sliders) {
        if (s.channel != 0)
            s.slider->LoadChannelBitmaps(s.channel, s.activeChannel, s.transparent);
        s.slider->LoadThumbBitmaps(s.thumb, s.activeThumb);
        s.slider->SetShowFocusRect(false);
        s.slider->SetPointerShiftX(s.pointerShiftX);
        s.slider->SetRange(s.minimum, s.maximum);
        s.slider->SetPosition(s.minimum);
    }
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
    const QDate date = m_calendar->selectedDate();
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
void CTramletDlg::RequestRepair(const std::string& dataRoot) {
    if (!m_initialised) {
        m_startRepair = dataRoot;
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, dataRoot] { RunRepair(dataRoot); }, Qt::QueuedConnection);
}

void CTramletDlg::RunRepair(const std::string& dataRoot) {
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

void CTramletDlg::showEvent(QShowEvent* event) {
    // Centred when it first appears; after that it stays where the user put
    // it, through minimising and showing again.
    if (!std::exchange(m_shownOnce, true)) {
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
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
    const std::vector<PixelRect> areas = MarkBarAreas(ToPixelRect(m_markAnchor->geometry()));
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
