// The main window's input, forwarded to the session, and its drawing of
// what the session says.
#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>
#include <QWheelEvent>

#include "app/month_calendar.h"
#include "app/tramlet_dlg.h"
#include "app/video_area_notes.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "library/library_bar.h"
#include "library/library_menu.h"
#include "playback/speed_steps.h"
#include "res/resource_ids.h"

namespace tramlet {
namespace {

constexpr int kVolumeStep = 1000;  // a tenth of the slider
// The three mark bars reach this far below their anchor.
constexpr int kMarkBarsDepth = 119;
constexpr int kWheelNotch = 120;

CalendarDate DateOf(const QDate& date) {
    return {date.year(), date.month(), date.day()};
}

// A slider the user holds keeps the place the pointer gives it.
void Show(CBitmapSlider* slider, int position) {
    if (!slider->Model().Dragging() && slider->GetPos() != position)
        slider->SetPosition(position);
}

}  // namespace

void CTramletDlg::ConnectInput() {
    const MainWindowControls& c = m_controls;
    connect(c.calendar, &CMonthCalendar::PageShown, this,
            [this](int year, int month) { Do([&] { m_session.OnCalendarPage(year, month); }); });
    connect(c.calendar, &CMonthCalendar::SelChange, this, [this] {
        Do([this] { m_session.OnCalendarSelection(DateOf(m_controls.calendar->selectedDate())); });
    });
    connect(c.calendar, &CMonthCalendar::Select, this, &CTramletDlg::SelectDay);
    for (CBitmapSlider* s :
         {c.timeline, c.volume, c.rate, c.hourSlider, c.minuteSlider, c.secondSlider}) {
        connect(s, &CBitmapSlider::SliderDrag, this, [this](int, int) {
            Do([this] {
                m_session.OnSliderDrag({m_controls.hourSlider->GetPos(),
                                        m_controls.minuteSlider->GetPos(),
                                        m_controls.secondSlider->GetPos()});
            });
        });
        connect(s, &CBitmapSlider::SliderDone, this, &CTramletDlg::OnSliderDone);
    }
    const auto click = [this](CBitmapButton* button, auto action) {
        connect(button, &QAbstractButton::clicked, this, [this, action] { Do(action); });
    };
    click(c.play, [this] { m_session.OnPlay(); });
    click(c.pause, [this] { m_session.OnPause(); });
    click(c.rewind, [this] { m_session.OnStep(-1); });
    click(c.forward, [this] { m_session.OnStep(1); });
    connect(c.path, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedPath);
    connect(c.reset, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedReset);
    connect(c.backup, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedBackup);
    connect(c.capture, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedCapture);
    connect(c.library, &library::LibraryMenu::VehicleChosen, this, &CTramletDlg::ChooseDataRoot);
}

void CTramletDlg::OnSliderDone(int id, int position) {
    Do([&] {
        switch (id) {
            case res::kHourSlider:
            case res::kMinuteSlider:
            case res::kSecondSlider:
                m_session.OnMomentChosen({m_controls.hourSlider->GetPos(),
                                          m_controls.minuteSlider->GetPos(),
                                          m_controls.secondSlider->GetPos()});
                break;
            case res::kTimeline:
                m_session.OnTimelineCommitted(position);
                break;
            case res::kVolume:
                m_session.OnVolumeCommitted(position);
                break;
            case res::kRate:
                m_session.OnRateCommitted(position);
                break;
            default:
                break;
        }
    });
}

// Window shortcuts: a text field that has the focus (the calendar's year)
// keeps its keys, and the app's filter still keeps Enter from closing. Each
// key does what its button or slider does.
void CTramletDlg::SetUpKeys() {
    const auto bind = [this](QKeySequence key, std::function<void()> action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, std::move(action));
    };
    bind(Qt::Key_Space, [this] {
        ClickIfEnabled(m_controls.play->isEnabled() ? m_controls.play : m_controls.pause);
    });
    bind(Qt::Key_Left, [this] { ClickIfEnabled(m_controls.rewind); });
    bind(Qt::Key_Right, [this] { ClickIfEnabled(m_controls.forward); });
    bind(Qt::Key_Up, [this] { StepSlider(m_controls.volume, kVolumeStep); });
    bind(Qt::Key_Down, [this] { StepSlider(m_controls.volume, -kVolumeStep); });
    bind(Qt::Key_BracketLeft, [this] { StepSlider(m_controls.rate, -1); });
    bind(Qt::Key_BracketRight, [this] { StepSlider(m_controls.rate, 1); });
    bind(Qt::Key_Comma, [this] { Do([this] { m_session.OnFrameStep(-1); }); });
    bind(Qt::Key_Period, [this] { Do([this] { m_session.OnFrameStep(1); }); });
    for (int channel = 1; channel <= PlayerSlots::kCount; ++channel) {
        bind(Qt::Key_0 + channel,
             [this, channel] { Do([&] { m_session.ShowChannelAlone(channel - 1); }); });
    }
    bind(Qt::Key_F11, [this] { ToggleFullScreen(); });
    bind(Qt::Key_Escape, [this] { OnEscape(); });
}

void CTramletDlg::ClickIfEnabled(CBitmapButton* button) {
    if (button->isEnabled())
        button->click();
}

void CTramletDlg::StepSlider(CBitmapSlider* slider, int step) {
    const int before = slider->GetPos();
    slider->SetPosition(before + step);
    if (slider->GetPos() != before)
        OnSliderDone(slider->Id(), slider->GetPos());
}

// Full screen shows the pictures alone; Esc leaves it before single view.
void CTramletDlg::ToggleFullScreen() {
    m_fullScreen = !m_fullScreen;
    if (m_fullScreen)
        showFullScreen();
    else
        showNormal();
    PlaceControls();
}

void CTramletDlg::OnEscape() {
    if (m_fullScreen)
        ToggleFullScreen();
    else
        Do([this] { m_session.LeaveSingleView(); });
}

std::optional<QPoint> CTramletDlg::InVideoArea(const QPointF& point) const {
    const QRect area = m_controls.videoArea->geometry();
    if (!area.contains(point.toPoint()))
        return std::nullopt;
    return point.toPoint() - area.topLeft();
}

void CTramletDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const std::optional<QPoint> at = InVideoArea(event->position()))
        Do([&] { m_session.OnDoubleClick(at->x(), at->y()); });
    QDialog::mouseDoubleClickEvent(event);
}

void CTramletDlg::mousePressEvent(QMouseEvent* event) {
    m_dragFrom = event->position().toPoint();
    QDialog::mousePressEvent(event);
}

// Dragging a magnified picture moves it under the pointer.
void CTramletDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint now = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        if (const std::optional<QPoint> from = InVideoArea(m_dragFrom)) {
            const QPoint moved = now - m_dragFrom;
            Do([&] { m_session.OnDrag(from->x(), from->y(), moved.x(), moved.y()); });
        }
    }
    m_dragFrom = now;
    QDialog::mouseMoveEvent(event);
}

void CTramletDlg::wheelEvent(QWheelEvent* event) {
    const std::optional<QPoint> at = InVideoArea(event->position());
    const int notches = event->angleDelta().y() / kWheelNotch;
    if (!at || notches == 0) {
        QDialog::wheelEvent(event);
        return;
    }
    Do([&] { m_session.OnWheel(at->x(), at->y(), notches); });
    event->accept();
}

void CTramletDlg::Render() {
    const ViewingSession& s = m_session;
    m_controls.timeLabel->setText(QString::fromStdString(s.Label()));
    RenderSliders();
    const ViewingSession::Buttons buttons = s.TransportButtons();
    m_controls.play->setEnabled(buttons.play);
    m_controls.pause->setEnabled(buttons.pause);
    m_controls.rewind->setEnabled(buttons.rewind);
    m_controls.forward->setEnabled(buttons.forward);
    m_controls.calendar->Show(s.Calendar());
    m_notes->Show(s.VideoNote(), s.Recording());
    if (s.RootIsCard() && !m_fullScreen)
        m_controls.libraryBar->OfferCard(s.DataRoot());
    RenderTimers();
    update(m_controls.markAnchor->geometry().adjusted(0, 0, 0, kMarkBarsDepth));
}

void CTramletDlg::RenderSliders() {
    const Moment sliders = m_session.SliderMoment();
    Show(m_controls.hourSlider, sliders.hour);
    Show(m_controls.minuteSlider, sliders.minute);
    Show(m_controls.secondSlider, sliders.second);
    Show(m_controls.timeline, m_session.Timeline());
    m_controls.timeline->setEnabled(m_session.TimelineEnabled());
    Show(m_controls.volume, m_session.VolumePosition());
    Show(m_controls.rate, m_session.RatePosition());
    m_controls.rateText->setText(QString::fromStdString(SpeedText(m_controls.rate->GetPos())));
}

void CTramletDlg::RenderTimers() {
    // A tick already due sooner is never put off: drawing again after other
    // calls must not starve it.
    const std::optional<int> delay = m_session.TickDelayMs();
    if (!delay)
        m_tickTimer.stop();
    else if (!m_tickTimer.isActive() || m_tickTimer.remainingTime() > *delay)
        m_tickTimer.start(*delay);
    if (!m_session.SyncWanted())
        m_syncTimer.stop();
    else if (!m_syncTimer.isActive() || m_syncTimer.interval() != m_session.SyncIntervalMs())
        m_syncTimer.start(m_session.SyncIntervalMs());
}

}  // namespace tramlet
