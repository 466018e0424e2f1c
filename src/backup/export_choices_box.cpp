#include "backup/export_choices_box.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>

#include <algorithm>

#include "res/control_names.h"
#include "res/dialog_units.h"
#include "res/resource_ids.h"

namespace tramlet {
namespace {

template <typename Control>
Control* Place(Control* control, int id, const QRect& units) {
    control->setObjectName(res::ControlName(id));
    control->setGeometry(FromDialogUnits(units));
    return control;
}

bool Contains(const std::vector<int>& channels, int channel) {
    return std::find(channels.begin(), channels.end(), channel) != channels.end();
}

}  // namespace

ExportChoicesBox::ExportChoicesBox(QWidget* parent)
    : QGroupBox(QCoreApplication::translate("ExportChoices", "영상으로 내보내기"), parent) {
    setObjectName(res::ControlName(res::kExportVideo));
    setCheckable(true);
    setChecked(false);
    m_radioLossless =
        Place(new QRadioButton(QCoreApplication::translate("ExportChoices", "채널별 무손실"), this),
              res::kRadioLossless, {6, 13, 90, 12});
    m_radioMerged = Place(
        new QRadioButton(
            QCoreApplication::translate("ExportChoices", "한 화면으로 합치기 (시각·위치 표시)"),
            this),
        res::kRadioMerged, {100, 13, 176, 12});
    m_radioMerged->setChecked(true);
    for (int channel = 1; channel <= 4; ++channel) {
        QCheckBox* box =
            Place(new QCheckBox(QString("CH%1").arg(channel), this),
                  res::kExportChannel1 + channel - 1, {6 + (channel - 1) * 34, 28, 32, 12});
        box->setChecked(true);
        connect(box, &QCheckBox::clicked, this,
                [this, channel](bool ticked) { OnChannelClicked(channel, ticked); });
        m_channels[static_cast<size_t>(channel - 1)] = box;
    }
    m_fullSize =
        Place(new QCheckBox(QCoreApplication::translate("ExportChoices", "원본 크기"), this),
              res::kExportFullSize, {196, 28, 80, 12});
    // Unticking the box disables every choice in it, and ticking enables
    // them all again: the ones that cannot apply must then be disabled anew.
    connect(this, &QGroupBox::toggled, this, &ExportChoicesBox::EnableChoices);
    connect(m_radioMerged, &QRadioButton::toggled, this, &ExportChoicesBox::EnableChoices);
    EnableChoices();
}

void ExportChoicesBox::Offer(const ExportChoices& choices) {
    setChecked(choices.exportVideo);
    (choices.lossless ? m_radioLossless : m_radioMerged)->setChecked(true);
    m_fullSize->setChecked(choices.fullSize);
    m_leftOut = choices.leftOutChannels;
    TickChannels();
}

ExportChoices ExportChoicesBox::Choices() const {
    return {isChecked(), Lossless(), FullSize(), m_leftOut};
}

void ExportChoicesBox::SetAvailableChannels(const std::array<bool, 4>& available) {
    m_available = available;
    TickChannels();
    EnableChoices();
}

std::vector<int> ExportChoicesBox::Channels() const {
    std::vector<int> channels;
    for (int channel = 1; channel <= 4; ++channel) {
        const auto i = static_cast<size_t>(channel - 1);
        if (m_available[i] && m_channels[i]->isChecked())
            channels.push_back(channel);
    }
    return channels;
}

bool ExportChoicesBox::Lossless() const {
    return m_radioLossless->isChecked();
}

bool ExportChoicesBox::FullSize() const {
    return !Lossless() && m_fullSize->isChecked();
}

void ExportChoicesBox::OnChannelClicked(int channel, bool ticked) {
    std::erase(m_leftOut, channel);
    if (!ticked)
        m_leftOut.push_back(channel);
    std::sort(m_leftOut.begin(), m_leftOut.end());
}

void ExportChoicesBox::TickChannels() {
    for (int channel = 1; channel <= 4; ++channel) {
        const auto i = static_cast<size_t>(channel - 1);
        m_channels[i]->setChecked(m_available[i] && !Contains(m_leftOut, channel));
    }
}

// A missing channel cannot be chosen, and the picture size matters only
// when the channels are merged.
void ExportChoicesBox::EnableChoices() {
    const bool on = isChecked();
    for (size_t i = 0; i < m_channels.size(); ++i)
        m_channels[i]->setEnabled(on && m_available[i]);
    m_fullSize->setEnabled(on && m_radioMerged->isChecked());
}

}  // namespace tramlet
