// The transport on the keyboard: each key does what its button or slider
// does, through the same handler, so the button states follow as they would.
#include <QShortcut>

#include "app/tramlet_dlg.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "res/resource_ids.h"

namespace tramlet {
namespace {

constexpr int kVolumeStep = 1000;  // a tenth of the slider

}  // namespace

// Window shortcuts: a text field that has the focus (the calendar's year)
// keeps its keys, and the app's filter still keeps Enter from closing.
void CTramletDlg::SetUpKeys() {
    const auto bind = [this](QKeySequence key, std::function<void()> action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, std::move(action));
    };
    bind(Qt::Key_Space,
         [this] { ClickIfEnabled(m_btnPlay->isEnabled() ? m_btnPlay : m_btnPause); });
    bind(Qt::Key_Left, [this] { ClickIfEnabled(m_btnRewind); });
    bind(Qt::Key_Right, [this] { ClickIfEnabled(m_btnForward); });
    bind(Qt::Key_Up, [this] { StepSlider(m_volume, res::kVolume, kVolumeStep); });
    bind(Qt::Key_Down, [this] { StepSlider(m_volume, res::kVolume, -kVolumeStep); });
    bind(Qt::Key_BracketLeft, [this] { StepSlider(m_rate, res::kRate, -1); });
    bind(Qt::Key_BracketRight, [this] { StepSlider(m_rate, res::kRate, 1); });
    for (int channel = 1; channel <= PlayerSlots::kCount; ++channel)
        bind(Qt::Key_0 + channel, [this, channel] { ShowChannelAlone(channel - 1); });
    bind(Qt::Key_Escape, [this] {
        if (m_zoomed)
            OnLButtonDblClk(m_videoArea->geometry().center());
    });
}

void CTramletDlg::ClickIfEnabled(CBitmapButton* button) {
    if (button->isEnabled())
        button->click();
}

void CTramletDlg::StepSlider(CBitmapSlider* slider, int id, int step) {
    const int before = slider->GetPos();
    slider->SetPosition(before + step);
    if (slider->GetPos() != before)
        OnSliderDone(id, slider->GetPos());
}

// As a double-click on the channel's cell would; from single view of
// another channel, by way of the full view.
void CTramletDlg::ShowChannelAlone(int k) {
    if (!m_players.IsPlaced(k) || (m_zoomed && m_curChannel == k))
        return;
    if (m_zoomed)
        OnLButtonDblClk(m_videoArea->geometry().center());
    const LayoutCell cell = m_players.CellOf(k, m_layout);
    OnLButtonDblClk(m_videoArea->geometry().topLeft() +
                    QPoint(cell.x + cell.cx / 2, cell.y + cell.cy / 2));
}

}  // namespace tramlet
