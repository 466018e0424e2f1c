#include "app/tramlet_dlg.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QToolTip>

#include <utility>

#include "app/about_dlg.h"
#include "app/card_version.h"
#include "app/data_root.h"
#include "app/install_folder.h"
#include "app/mark_bar_layout.h"
#include "app/month_calendar.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "map/day_track.h"
#include "map/explorer.h"
#include "map/gps_table.h"
#include "map/track_message.h"
#include "platform/mount_table.h"
#include "platform/volume_source.h"
#include "res/bitmaps.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "snapshot/window_snapshot.h"

namespace tramlet {
namespace {

const QColor kBackground(41, 48, 56);
const QColor kLightText(182, 183, 187);
const QColor kMarked(11, 138, 0);
const QColor kCalendarTitle(198, 210, 224);

constexpr int kAboutCommand = 0x10;

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect ToQRect(const PixelRect& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

QString Id(int id) {
    return QString::number(id);
}

}  // namespace

CTramletDlg::CTramletDlg(VolumeSource& volumes, RepairRunner repair, CImpIDispatch* external,
                         QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_volumes(volumes),
      m_repair(std::move(repair)),
      m_hIcon(AppIcon()),
      m_pageMessages(PageMessages::Hooks{
          [this](const std::string& stamp) { OpenFirstRecording(stamp); },
          [this] { return m_playing; },
          [this] { return OpenClipStamp(); },
      }) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QString::fromUtf8("녹화 영상 재생 프로그램"));
    setFixedSize(FromDialogUnits({0, 0, 595, 430}).size());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    DoDataExchange();
    SetUpPlayback();
    if (external)
        PlaceExplorer(external);

    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(0);
    connect(&m_reloadTimer, &QTimer::timeout, this, [this] { ScanMonth(true); });
    connect(&m_volumes, &VolumeSource::Changed, this, &CTramletDlg::OnVolumesChanged);
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this,
            [this] { OnSysCommand(kAboutCommand); });
}

CTramletDlg::~CTramletDlg() = default;

// The browser takes the map area's place, id and size.
void CTramletDlg::PlaceExplorer(CImpIDispatch* external) {
    m_explorer = new CExplorer(external, this);
    connect(m_explorer, &QWebEngineView::loadStarted, this,
            [this] { m_pageMessages.RequeueDayMessage(); });
    m_explorer->setObjectName(m_browser->objectName());
    m_explorer->setGeometry(m_browser->geometry());
    delete m_browser;
    m_browser = m_explorer;
}

std::string CTramletDlg::GetPageMessage(int wanted) {
    return m_pageMessages.GetPageMessage(wanted);
}

void CTramletDlg::ViewFromExpPos(const std::string& stamp) {
    OpenRecording(stamp);
}

QWidget* CTramletDlg::AddStatic(int id, const QRect& dialogUnits) {
    auto* area = new QWidget(this);
    area->setObjectName(Id(id));
    area->setGeometry(FromDialogUnits(dialogUnits));
    return area;
}

QLabel* CTramletDlg::AddText(int id, const QString& text, const QRect& dialogUnits, bool light) {
    auto* label = new QLabel(text, this);
    label->setObjectName(Id(id));
    label->setGeometry(FromDialogUnits(dialogUnits));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, light ? kLightText : QColor(Qt::white));
    label->setPalette(colours);
    return label;
}

// Creates the controls at their places; later ones lie above earlier ones.
void CTramletDlg::DoDataExchange() {
    auto* frame = new QGroupBox(this);
    frame->setGeometry(FromDialogUnits({7, 332, 580, 92}));
    frame->setStyleSheet("QGroupBox { border: 1px solid rgb(86, 95, 106); border-radius: 3px; }");

    m_videoArea = AddStatic(res::kVideoArea, {7, 7, 420, 287});
    m_videoArea->setAutoFillBackground(true);
    QPalette black = m_videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_videoArea->setPalette(black);

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
    m_calendar->setObjectName(Id(res::kCalendar));
    m_calendar->setGeometry(FromDialogUnits({8, 337, 100, 86}));
    connect(m_calendar, &CMonthCalendar::SelChange, this, [this] { ScanMonth(false); });
    connect(m_calendar, &CMonthCalendar::Select, this, &CTramletDlg::SelectDay);

    const auto slider = [this](int id, const QRect& units) {
        auto* control = new CBitmapSlider(this);
        control->setObjectName(Id(id));
        control->setGeometry(FromDialogUnits(units));
        return control;
    };
    m_timeline = slider(res::kTimeline, {7, 296, 360, 8});
    m_volume = slider(res::kVolume, {248, 322, 69, 8});
    m_rate = slider(res::kRate, {248, 312, 69, 8});
    m_hourSlider = slider(res::kHourSlider, {147, 356, 410, 9});
    m_minuteSlider = slider(res::kMinuteSlider, {146, 379, 410, 9});
    m_secondSlider = slider(res::kSecondSlider, {146, 401, 410, 9});

    const auto button = [this](int id, int x) {
        auto* control = new CBitmapButton(this);
        control->setObjectName(Id(id));
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
    connect(m_btnPath, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedPath);
    connect(m_btnReset, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedReset);
    connect(m_btnBackup, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedBackup);
    connect(m_btnCapture, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedCapture);
}

void CTramletDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    m_mountedVolumes = m_volumes.Volumes();
    m_dataRoot = FindDataRoot(m_mountedVolumes, QDir::currentPath().toStdString());
    SetUpButtons();
    BuildLayoutTable();

    QPalette calendarColours = m_calendar->palette();
    calendarColours.setColor(QPalette::Base, Qt::white);
    calendarColours.setColor(QPalette::AlternateBase, Qt::white);
    calendarColours.setColor(QPalette::Text, Qt::black);
    calendarColours.setColor(QPalette::WindowText, Qt::black);
    calendarColours.setColor(QPalette::Window, kCalendarTitle);
    calendarColours.setColor(QPalette::Button, kCalendarTitle);
    calendarColours.setColor(QPalette::ButtonText, Qt::black);
    m_calendar->setPalette(calendarColours);
    m_calendar->setStyleSheet(QString("#qt_calendar_navigationbar { background-color: %1; }"
                                      "#qt_calendar_navigationbar QToolButton { color: black; }")
                                  .arg(kCalendarTitle.name()));

    SetUpSliders();

    const QSettings settings("Ostra", "Tramlet");
    const QVariant installDir = settings.value("InstallDir");
    const std::string installFolder = ChooseInstallFolder(
        installDir.isValid() ? std::optional(installDir.toString().toStdString()) : std::nullopt,
        QCoreApplication::applicationDirPath().toStdString(), QDir::currentPath().toStdString());

    OnBnClickedReset();

    m_mapPage = QString::fromStdString(MapPagePath(installFolder));
    if (m_explorer)
        m_explorer->Navigate2(m_mapPage);
    QMetaObject::invokeMethod(this, &CTramletDlg::OnReload, Qt::QueuedConnection);
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
    for (CBitmapButton* b : {m_btnPlay, m_btnPause, m_btnRewind, m_btnForward})
        b->setEnabled(false);
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

void CTramletDlg::BuildLayoutTable() {
    m_layout = tramlet::BuildLayoutTable(m_videoArea->width(), m_videoArea->height());
}

void CTramletDlg::OnReload() {
    m_reloadTimer.start();
}

void CTramletDlg::ScanMonth(bool autoSelect) {
    const MonthScanResult scan = m_catalogue.ScanMonth(m_dataRoot, *m_calendar, autoSelect);
    if (!scan.scanned)
        return;
    if (scan.gpsLogDay) {
        TheGpsTable().LoadGpsLog(m_dataRoot, scan.gpsLogDay->year, scan.gpsLogDay->month,
                                 scan.gpsLogDay->day);
    }
    if (scan.firstDayWithClips)
        SetDayMessages(*scan.firstDayWithClips, false);
    update();
}

void CTramletDlg::SelectDay() {
    ClosePlayback();
    m_catalogue.ClearDayList();
    const CalendarDate date = m_calendar->SelectedDate();
    TheGpsTable().LoadGpsLog(m_dataRoot, date.year, date.month, date.day);
    m_catalogue.SelectDay(m_dataRoot, date);
    SetDayMessages(date, true);
    update();
}

// The day with its recordings, and its route for a page that asks.
void CTramletDlg::SetDayMessages(const CalendarDate& date, bool pending) {
    m_pageMessages.SetDayMessage(
        DayMessageHead(date) + BuildDayTrack(m_catalogue.Recordings(), TheGpsTable()), pending);
    m_pageMessages.SetTrackMessage(
        BuildTrackMessage(date, m_catalogue.Recordings(), TheGpsTable()));
}

void CTramletDlg::ClosePlayback() {
    m_players.CloseAll();
    m_syncTimer.stop();
    m_playing = false;
    for (CBitmapButton* b : {m_btnPlay, m_btnPause, m_btnRewind, m_btnForward})
        b->setEnabled(false);
    m_videoArea->update();
    m_clipLength = 0;
    m_duration = 0;
    m_clipHour = m_clipMinute = m_clipSecond = 0;
    m_zoomed = false;
    m_curChannel = 0;
}

void CTramletDlg::ResetDateAndMoment() {
    m_catalogue.SetSelectedDate({});
    m_hour = m_minute = m_second = 0;
}

void CTramletDlg::RefreshMap() {
    if (m_explorer)
        m_explorer->Refresh();
}

void CTramletDlg::OnBnClickedPath() {
    const QString folder = QFileDialog::getExistingDirectory(this, LoadString(res::kChooseFolder));
    if (folder.isEmpty())
        return;
    ChooseDataRoot(folder);
}

void CTramletDlg::ChooseDataRoot(const QString& folder) {
    m_dataRoot = AsDataRoot(folder.toStdString());
    ResetDateAndMoment();
    RefreshMap();
    QMetaObject::invokeMethod(this, &CTramletDlg::OnReload, Qt::QueuedConnection);
}

void CTramletDlg::OnBnClickedReset() {
    if (!m_repair)
        return;
    // The repair window's own event loop delivers card arrivals and clicks
    // while a pass runs; a second pass over the same card must wait for the
    // first, and runs once, on the card as it is by then.
    if (m_repairing) {
        m_repairAgain = true;
        return;
    }
    m_repairing = true;
    m_repair(m_dataRoot);
    const bool again = std::exchange(m_repairAgain, false);
    if (again)
        m_repair(m_dataRoot);
    m_repairing = false;
    if (again)
        QMetaObject::invokeMethod(this, &CTramletDlg::OnReload, Qt::QueuedConnection);
}

void CTramletDlg::OnBnClickedBackup() {
    emit BackupRequested({m_catalogue.SelectedDate(), m_clipLength > 0, m_clipHour, m_clipMinute,
                          m_clipSecond, m_dataRoot});
}

void CTramletDlg::OnBnClickedCapture() {
    const std::optional<int> recordingStart =
        m_clipLength > 0 ? std::optional(m_clipHour * 3600 + m_clipMinute * 60 + m_clipSecond)
                         : std::nullopt;
    SaveWindowSnapshot(*this, CollectSnapshotFacts(m_catalogue.SelectedDate(),
                                                   m_hour * 3600 + m_minute * 60 + m_second,
                                                   recordingStart, TheGpsTable()));
}

void CTramletDlg::OnVolumesChanged() {
    std::vector<MountedVolume> now = m_volumes.Volumes();
    const VolumeChange change = CompareVolumes(m_mountedVolumes, now);
    m_mountedVolumes = std::move(now);
    if (change.removed)
        OnDeviceRemoval();
    if (change.arrived)
        OnDeviceArrival();
}

void CTramletDlg::OnDeviceArrival() {
    const std::string previousRoot = m_dataRoot;
    m_dataRoot = FindDataRoot(m_mountedVolumes, QDir::currentPath().toStdString());
    // A card that comes back after a removal would otherwise stay unlisted
    // until the user picked another day; a stick plugged in beside the card
    // leaves the root, and so the user's day, as they are.
    if (m_dataRoot != previousRoot)
        ResetDateAndMoment();
    OnBnClickedReset();
    RefreshMap();
    QMetaObject::invokeMethod(this, &CTramletDlg::OnReload, Qt::QueuedConnection);
}

void CTramletDlg::OnDeviceRemoval() {
    ResetDateAndMoment();
    TheGpsTable().ClearGpsTable();
    m_dataRoot = ".";
    m_pageMessages.ClearDayMessage();
    for (CBitmapSlider* s : {m_timeline, m_hourSlider, m_minuteSlider, m_secondSlider}) {
        s->SetPosition(0);
    }
    ClosePlayback();
    RefreshMap();
    ScanMonth(false);
}

void CTramletDlg::OnSysCommand(int id) {
    if (id != kAboutCommand)
        return;
    CAboutDlg about;
    about.m_version = QString("K %1").arg(ReadCardVersion(m_dataRoot));
    about.exec();
}

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
    ClosePlayback();
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
    draw(m_catalogue.Hours(), areas[0]);
    draw(m_catalogue.Minutes(), areas[1]);
    draw(m_catalogue.Seconds(), areas[2]);
}

}  // namespace tramlet
