#include "app/main_window_controls.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QToolTip>

#include "app/month_calendar.h"
#include "app/window_look.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "library/library_bar.h"
#include "library/library_menu.h"
#include "playback/speed_steps.h"
#include "res/bitmaps.h"
#include "res/control_names.h"
#include "res/dialog_units.h"
#include "res/resource_ids.h"
#include "res/string_table.h"

namespace tramlet {
namespace {

using namespace look;

// The video area never gets lower than this many dialog units.
constexpr int kLowestVideoArea = 180;
constexpr int kDesignedVideoArea = 287;

}  // namespace

MainWindowControls::MainWindowControls(QWidget* window) : window_(window) {
    auto* frame = new QGroupBox(window);
    frame->setStyleSheet("QGroupBox { border: 1px solid rgb(86, 95, 106); border-radius: 3px; }");
    Add(frame, 0, {7, 332, 580, 92}, Growth::kFooter);

    videoArea = Add(new QWidget(window), res::kVideoArea, {7, 7, 420, 287}, Growth::kVideo);
    videoArea->setAutoFillBackground(true);
    QPalette black = videoArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    videoArea->setPalette(black);

    map = Add(new QWidget(window), res::kMapArea, {430, 7, 157, 310}, Growth::kMap);
    library = Add(new library::LibraryMenu(window), 0, {430, 319, 157, 12}, Growth::kUnderMap);
    map->setAutoFillBackground(true);
    QPalette mapColours = map->palette();
    mapColours.setColor(QPalette::Window, QColor(28, 33, 40));
    map->setPalette(mapColours);

    AddPicture(res::kButtonStrip, {8, 311, 0, 0});
    AddPicture(res::kRateCaption, {211, 311, 26, 9});
    AddPicture(res::kVolumeCaption, {211, 320, 26, 9});
    timeLabel = AddText(res::kTimeText, QString(), {340, 310, 74, 8});
    timeLabel->setAlignment(Qt::AlignCenter);
    rateText = AddText(0, QString(), {319, 310, 20, 9});
    rateText->setObjectName("rateText");
    AddText(res::kHourCaption, QCoreApplication::translate("MainWindow", "시"), {129, 355, 12, 9});
    AddText(res::kMinuteCaption, QCoreApplication::translate("MainWindow", "분"),
            {129, 378, 12, 9});
    AddText(res::kSecondCaption, QCoreApplication::translate("MainWindow", "초"),
            {129, 401, 12, 9});
    markAnchor = Add(new QWidget(window), res::kMarkAnchor, {145, 350, 412, 8}, Growth::kFooter);
    markAnchor->setAttribute(Qt::WA_TransparentForMouseEvents);
    calendar = Add(new CMonthCalendar(window), res::kCalendar, {8, 337, 100, 86}, Growth::kFooter);
    CreateSliders();
    CreateButtons();
    libraryBar = new library::LibraryBar(window);
    SetUpButtons();
    SetUpSliders();
    SetUpCalendar();
}

template <typename Widget>
Widget* MainWindowControls::Add(Widget* widget, int id, const QRect& dialogUnits, Growth growth) {
    if (id != 0)
        widget->setObjectName(res::ControlName(id));
    const QRect designed = FromDialogUnits(dialogUnits);
    widget->setGeometry(designed);
    placed_.push_back({widget, designed, growth});
    return widget;
}

QLabel* MainWindowControls::AddText(int id, const QString& text, const QRect& dialogUnits) {
    auto* label = Add(new QLabel(text, window_), id, dialogUnits, Growth::kFooter);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, kLightText);
    label->setPalette(colours);
    return label;
}

void MainWindowControls::AddPicture(int picture, const QRect& dialogUnits) {
    auto* label = new QLabel(window_);
    label->setPixmap(QPixmap::fromImage(LoadBitmapResource(picture)));
    label->move(FromDialogUnits(dialogUnits).topLeft());
    label->adjustSize();
    placed_.push_back({label, label->geometry(), Growth::kFooter});
}

void MainWindowControls::CreateSliders() {
    const auto slider = [this](int id, const QRect& units, Growth growth) {
        auto* made = Add(new CBitmapSlider(window_), id, units, growth);
        made->SetId(id);
        return made;
    };
    timeline = slider(res::kTimeline, {7, 296, 360, 8}, Growth::kUnderVideo);
    volume = slider(res::kVolume, {248, 322, 69, 8}, Growth::kFooter);
    rate = slider(res::kRate, {248, 312, 69, 8}, Growth::kFooter);
    hourSlider = slider(res::kHourSlider, {147, 356, 410, 9}, Growth::kFooter);
    minuteSlider = slider(res::kMinuteSlider, {146, 379, 410, 9}, Growth::kFooter);
    secondSlider = slider(res::kSecondSlider, {146, 401, 410, 9}, Growth::kFooter);
}

void MainWindowControls::CreateButtons() {
    const auto button = [this](int id, int x) {
        return Add(new CBitmapButton(window_), id, {x, 311, 21, 21}, Growth::kFooter);
    };
    play = button(res::kPlay, 18);
    pause = button(res::kPause, 40);
    rewind = button(res::kRewind, 62);
    forward = button(res::kForward, 84);
    path = button(res::kPath, 106);
    backup = button(res::kBackup, 128);
    capture = button(res::kCapture, 150);
    reset = button(res::kReset, 172);
}

void MainWindowControls::SetUpButtons() {
    struct ButtonSetUp {
        CBitmapButton* button;
        int firstPicture;
        bool sizeToPicture;
        int tip;
    };
    const ButtonSetUp buttons[] = {
        {play, 200, true, res::kPlayTip},       {pause, 204, true, res::kPauseTip},
        {rewind, 208, true, res::kRewindTip},   {forward, 212, true, res::kForwardTip},
        {path, 303, false, res::kPathTip},      {backup, 307, false, res::kBackupTip},
        {capture, 216, true, res::kCaptureTip}, {reset, 311, true, res::kResetCaption},
    };
    for (const ButtonSetUp& b : buttons) {
        b.button->LoadBitmaps(b.firstPicture, b.firstPicture + 1, b.firstPicture + 2,
                              b.firstPicture + 3);
        if (b.sizeToPicture)
            b.button->SizeToContent();
        b.button->setToolTip(LoadString(b.tip));
    }
    for (Placed& p : placed_)
        p.designed.setSize(p.widget->size());
    // The keys that do the same, for those who look for them.
    for (const auto& [button, key] : {std::pair{play, "Space"}, std::pair{pause, "Space"},
                                      std::pair{rewind, "←"}, std::pair{forward, "→"}}) {
        button->setToolTip(button->toolTip() +
                           QString::fromUtf8(" (%1)").arg(QString::fromUtf8(key)));
    }
    reset->setToolTip(QCoreApplication::translate("MainWindow", "카드의 미완성 영상 복구"));
    volume->setToolTip(QCoreApplication::translate("MainWindow", "볼륨 (↑ ↓)"));
    rate->setToolTip(QCoreApplication::translate("MainWindow", "배속 ([ ])"));
    QPalette tipColours = QToolTip::palette();
    tipColours.setColor(QPalette::ToolTipBase, kBackground);
    tipColours.setColor(QPalette::ToolTipText, Qt::white);
    QToolTip::setPalette(tipColours);
}

void MainWindowControls::SetUpSliders() {
    struct SliderSetUp {
        CBitmapSlider* slider;
        int channel, activeChannel;
        bool transparent;
        int thumb, activeThumb;
        int minimum, maximum, start;
        int pointerShiftX;
    };
    const SliderSetUp sliders[] = {
        {timeline, res::kTimelineChannel, res::kTimelineActive, false, res::kTimelineThumb,
         res::kTimelineThumbActive, 0, 100, 0, 0},
        {hourSlider, 0, 0, true, res::kHourThumb, res::kHourThumbActive, 0, 23, 0, -14},
        {minuteSlider, 0, 0, true, res::kMinuteThumb, res::kMinuteThumbActive, 0, 59, 0, -4},
        {secondSlider, 0, 0, true, res::kMinuteThumb, res::kMinuteThumbActive, 0, 59, 0, -4},
        {volume, res::kSmallChannel, res::kSmallChannelActive, true, res::kSmallThumb,
         res::kSmallThumbActive, -10000, 0, -10000, 0},
        {rate, res::kSmallChannel, res::kSmallChannelActive, true, res::kSmallThumb,
         res::kSmallThumbActive, kSlowestSpeedStep, kFastestSpeedStep, kNormalSpeedStep, 0},
    };
    for (const SliderSetUp& s : sliders) {
        if (s.channel != 0)
            s.slider->LoadChannelBitmaps(s.channel, s.activeChannel, s.transparent);
        s.slider->LoadThumbBitmaps(s.thumb, s.activeThumb);
        s.slider->SetShowFocusRect(false);
        s.slider->SetPointerShiftX(s.pointerShiftX);
        s.slider->SetRange(s.minimum, s.maximum);
        s.slider->SetPosition(s.start);
    }
    for (Placed& p : placed_)
        p.designed.setSize(p.widget->size());
}

void MainWindowControls::SetUpCalendar() {
    QPalette colours = calendar->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Window, kCalendarTitle);
    colours.setColor(QPalette::Button, kCalendarTitle);
    colours.setColor(QPalette::ButtonText, Qt::black);
    calendar->setPalette(colours);
    calendar->setStyleSheet(QString("#qt_calendar_navigationbar { background-color: %1; }"
                                    "#qt_calendar_navigationbar QToolButton { color: black; }")
                                .arg(kCalendarTitle.name()));
}

void MainWindowControls::ReplaceMap(QWidget* page) {
    page->setObjectName(map->objectName());
    page->setGeometry(map->geometry());
    for (Placed& p : placed_) {
        if (p.widget == map)
            p.widget = page;
    }
    delete map;
    map = page;
}

QSize MainWindowControls::DesignedSize() {
    return FromDialogUnits({0, 0, 595, 430}).size();
}

QSize MainWindowControls::SmallestSize() {
    return FromDialogUnits({0, 0, 595, 430 - kDesignedVideoArea + kLowestVideoArea}).size();
}

void MainWindowControls::Place(const QSize& window, bool fullScreen) {
    const QSize designed = DesignedSize();
    const int dw = std::max(0, window.width() - designed.width());
    const int dh = window.height() - designed.height();
    for (const Placed& p : placed_) {
        p.widget->setVisible(!fullScreen || p.widget == videoArea);
        p.widget->setGeometry(ToQRect(PlaceControl(ToPixelRect(p.designed), p.growth, dw, dh)));
    }
    if (fullScreen)
        videoArea->setGeometry(QRect(QPoint(0, 0), window));
    const QRect video = videoArea->geometry();
    libraryBar->setGeometry(video.x(), video.y(), video.width(), libraryBar->sizeHint().height());
}

}  // namespace tramlet
