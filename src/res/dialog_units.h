#pragma once

#include <QRect>

namespace tramlet {

// The windows are laid out in dialog units of their 9-point font: a quarter
// of its average character width across, an eighth of its height down.
inline QRect FromDialogUnits(const QRect& units) {
    return {units.x() * 7 / 4, units.y() * 15 / 8, units.width() * 7 / 4, units.height() * 15 / 8};
}

}  // namespace tramlet
