// The main window's input, forwarded to the session, and its drawing of
// what the session says.
#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>

#include "app/month_calendar.h"
#include "app/tramlet_dlg.h"
#include "app/video_area_notes.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "res/resource_ids.h"

namespace tramlet {
namespace {

constexpr int kVolumeStep = 1000;  // a tenth of the slider
// The three mark bars reach this far below their anchor.
constexpr int kMarkBarsDepth = 119;

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
    connect(m_calendar, &CMonthCalendar::PageShown, this,
            [this](int year, int month) { Do([&] { m_session.OnCalendarPage(year, month); }); });
    connect(m_calendar, &CMonthCalendar::SelChange, this, [this] {
        Do([this] { m_session.OnCalendarSelection(DateOf(m_calendar->selectedDate())); });
    });
    connect(m_calendar, &CMonthCalendar::Select, this, &CTramletDlg::SelectDay);
    for (CBitmapSlider* s :
         {m_timeline, m_volume, m_rate, m_hourSlider, m_minuteSlider, m_secondSlider}) {
        connect(s, &CBitmapSlider::SliderDrag, this, [this](int, int) {
            Do([this] {
                m_session.OnSliderDrag(
                    {m_hourSlider->GetPos(), m_minuteSlider->GetPos(), m_secondSlider->GetPos()});
            });
        });
        connect(s, &CBitmapSlider::SliderDone, this, &CTramletDlg::OnSliderDone);
    }
    connect(m_btnPlay, &QAbstractButton::clicked, this,
            [this] { Do([this] { m_session.OnPlay(); }); });
    connect(m_btnPause, &QAbstractButton::clicked, this,
            [this] { Do([this] { m_session.OnPause(); }); });
    connect(m_btnRewind, &QAbstractButton::clicked, this,
            [this] { Do([this] { m_session.OnStep(-1); }); });
    connect(m_btnForward, &QAbstractButton::clicked, this,
            [this] { Do([this] { m_session.OnStep(1); }); });
    connect(m_btnPath, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedPath);
    connect(m_btnReset, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedReset);
    connect(m_btnBackup, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedBackup);
    connect(m_btnCapture, &QAbstractButton::clicked, this, &CTramletDlg::OnBnClickedCapture);
}

void CTramletDlg::OnSliderDone(int id, int position) {
    Do([&] {
        switch (id) {
            case res::kHourSlider:
            case res::kMinuteSlider:
            case res::kSecondSlider:
                m_session.OnMomentChosen(
                    {m_hourSlider->GetPos(), m_minuteSlider->GetPos(), m_secondSlider->GetPos()});
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
    bind(Qt::Key_Space,
         [this] { ClickIfEnabled(m_btnPlay->isEnabled() ? m_btnPlay : m_btnPause); });
    bind(Qt::Key_Left, [this] { ClickIfEnabled(m_btnRewind); });
    bind(Qt::Key_Right, [this] { ClickIfEnabled(m_btnForward); });
    bind(Qt::Key_Up, [this] { StepSlider(m_volume, kVolumeStep); });
    bind(Qt::Key_Down, [this] { StepSlider(m_volume, -kVolumeStep); });
    bind(Qt::Key_BracketLeft, [this] { StepSlider(m_rate, -1); });
    bind(Qt::Key_BracketRight, [this] { StepSlider(m_rate, 1); });
    for (int channel = 1; channel <= PlayerSlots::kCount; ++channel) {
        bind(Qt::Key_0 + channel,
             [this, channel] { Do([&] { m_session.ShowChannelAlone(channel - 1); }); });
    }
    bind(Qt::Key_Escape, [this] { Do([this] { m_session.LeaveSingleView(); }); });
}

void CTramletDlg::ClickIfEnabled(CBitmapButton* button) {
    if (button->isEnabled())
        button->click();
}

void CTramletDlg::StepSlider(CBitmapSlider* slider, int step) {
    const int before = slider->GetPos();
    slider->SetPosition(before + step);
    if (slider->GetPos() != before)
        OnSliderDone(slider->objectName().toInt(), slider->GetPos());
}

void CTramletDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (m_videoArea->geometry().contains(point)) {
        const QPoint inArea = point - m_videoArea->geometry().topLeft();
        Do([&] { m_session.OnDoubleClick(inArea.x(), inArea.y()); });
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CTramletDlg::Render() {
    const ViewingSession& s = m_session;
    m_timeLabel->setText(QString::fromStdString(s.Label()));
    RenderSliders();
    const ViewingSession::Buttons buttons = s.TransportButtons();
    m_btnPlay->setEnabled(buttons.play);
    m_btnPause->setEnabled(buttons.pause);
    m_btnRewind->setEnabled(buttons.rewind);
    m_btnForward->setEnabled(buttons.forward);
    m_calendar->Show(s.Calendar());
    m_notes->Show(s.Note(), s.Recording());
    RenderTimers();
    update(m_markAnchor->geometry().adjusted(0, 0, 0, kMarkBarsDepth));
}

void CTramletDlg::RenderSliders() {
    const Moment sliders = m_session.SliderMoment();
    Show(m_hourSlider, sliders.hour);
    Show(m_minuteSlider, sliders.minute);
    Show(m_secondSlider, sliders.second);
    Show(m_timeline, m_session.Timeline());
    m_timeline->setEnabled(m_session.TimelineEnabled());
    Show(m_volume, m_session.VolumePosition());
    Show(m_rate, m_session.RatePosition());
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
    else if (!m_syncTimer.isActive())
        m_syncTimer.start();
}

}  // namespace tramlet
