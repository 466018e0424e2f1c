#include "controls/bitmap_button.h"

#include <QPainter>

#include "res/bitmaps.h"

namespace tramlet {

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::LoadBitmaps(int normalId, int pressedId, int focusedId, int disabledId) {
    normal_ = QPixmap::fromImage(LoadBitmapResource(normalId));
    pressed_ = QPixmap::fromImage(LoadBitmapResource(pressedId));
    focused_ = QPixmap::fromImage(LoadBitmapResource(focusedId));
    disabled_ = QPixmap::fromImage(LoadBitmapResource(disabledId));
    update();
    return !normal_.isNull();
}

void CBitmapButton::SizeToContent() {
    if (!normal_.isNull())
        setFixedSize(normal_.size());
}

QSize CBitmapButton::sizeHint() const {
    return normal_.isNull() ? QSize(38, 37) : normal_.size();
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    const QPixmap* face = &normal_;
    if (!isEnabled() && !disabled_.isNull()) {
        face = &disabled_;
    } else if (isDown() && !pressed_.isNull()) {
        face = &pressed_;
    } else if (hasFocus() && !focused_.isNull()) {
        face = &focused_;
    }
    QPainter painter(this);
    // A button kept at another size than its picture shows the picture centred.
    painter.drawPixmap((width() - face->width()) / 2, (height() - face->height()) / 2, *face);
}

}  // namespace tramlet
