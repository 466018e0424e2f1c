#pragma once

#include <QGroupBox>

#include <array>
#include <vector>

#include "backup/backup_defaults.h"

class QCheckBox;
class QRadioButton;

namespace tramlet {

// The backup dialog's "export as video" choices: lossless per channel or
// merged into one picture, which channels, and whether the merged picture
// keeps the channels' own size.
class ExportChoicesBox : public QGroupBox {
    Q_OBJECT

  public:
    explicit ExportChoicesBox(QWidget* parent);

    void Offer(const ExportChoices& choices);
    ExportChoices Choices() const;

    // Channels that are not there cannot be chosen; the others are ticked
    // unless the user left them out before.
    void SetAvailableChannels(const std::array<bool, 4>& available);
    // The ticked channels, in order.
    std::vector<int> Channels() const;
    bool Lossless() const;
    bool FullSize() const;

  private:
    void OnChannelClicked(int channel, bool ticked);
    void TickChannels();
    void EnableChoices();

    QRadioButton* m_radioLossless = nullptr;
    QRadioButton* m_radioMerged = nullptr;
    std::array<QCheckBox*, 4> m_channels{};
    QCheckBox* m_fullSize = nullptr;
    std::array<bool, 4> m_available{true, true, true, true};
    std::vector<int> m_leftOut;
};

}  // namespace tramlet
