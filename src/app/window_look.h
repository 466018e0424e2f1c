#pragma once

#include <QColor>
#include <QRect>

#include "app/mark_bar_layout.h"

// The main window's colours, and its pixel rectangles in Qt's terms.
namespace tramlet::look {

inline const QColor kBackground(41, 48, 56);
inline const QColor kLightText(182, 183, 187);
inline const QColor kMarked(11, 138, 0);
inline const QColor kCalendarTitle(198, 210, 224);

inline PixelRect ToPixelRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

inline QRect ToQRect(const PixelRect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace tramlet::look
