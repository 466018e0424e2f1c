#include "controls/bitmap_slider.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <map>

#include "res/bitmaps.h"

namespace tramlet {
namespace {

QPixmap Masked(const QImage& image) {
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(
        QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, 0), Qt::MaskInColor)));
    return pixmap;
}

std::optional<SliderKey> ToSliderKey(int key) {
    static const std::map<int, SliderKey> kKeys = {
        {Qt::Key_PageUp, SliderKey::kPageUp}, {Qt::Key_PageDown, SliderKey::kPageDown},
        {Qt::Key_End, SliderKey::kEnd},       {Qt::Key_Home, SliderKey::kHome},
        {Qt::Key_Left, SliderKey::kLeft},     {Qt::Key_Up, SliderKey::kUp},
        {Qt::Key_Right, SliderKey::kRight},   {Qt::Key_Down, SliderKey::kDown},
    };
    const auto found = kKeys.find(key);
    return found == kKeys.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace

CBitmapSlider::CBitmapSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
}

bool CBitmapSlider::LoadPair(int normalId, int activeId, bool masked, Picture& normal,
                             Picture& active) {
    const QImage normalImage = LoadBitmapResource(normalId);
    const QImage activeImage = LoadBitmapResource(activeId);
    if (normalImage.isNull() || activeImage.isNull())
        return false;
    normal = {masked ? Masked(normalImage) : QPixmap::fromImage(normalImage), true};
    active = {masked ? Masked(activeImage) : QPixmap::fromImage(activeImage), true};
    return true;
}

bool CBitmapSlider::LoadChannelBitmaps(int normalId, int activeId, bool transparent) {
    if (!LoadPair(normalId, activeId, transparent, channel_, activeChannel_))
        return false;
    channelTransparent_ = transparent;
    setFixedSize(channel_.image.size());
    model_.SetDrawingSize(width(), height());
    return true;
}

bool CBitmapSlider::LoadThumbBitmaps(int normalId, int activeId) {
    if (!LoadPair(normalId, activeId, true, thumb_, activeThumb_))
        return false;
    model_.SetThumbSize(thumb_.image.width(), thumb_.image.height());
    if (!channel_.loaded)
        model_.SetDrawingSize(width(), height());
    return true;
}

void CBitmapSlider::SetRange(int minimum, int maximum) {
    model_.SetRange(minimum, maximum);
    update();
}

void CBitmapSlider::SetPosition(int position) {
    model_.SetPosition(position);
    update();
}

void CBitmapSlider::SetMargins(int left, int top, int right, int bottom) {
    model_.SetMargins(left, top, right, bottom);
    update();
}

void CBitmapSlider::SetShowFocusRect(bool show) {
    showFocusRect_ = show;
    update();
}

bool CBitmapSlider::ShowsActiveThumb() const {
    return activeThumb_.loaded && model_.Dragging();
}

void CBitmapSlider::Post(const std::optional<SliderNotice>& notice) {
    if (!notice)
        return;
    update();
    const int id = Id();
    const int position = notice->position;
    const bool drag = notice->kind == SliderNotice::Kind::kDrag;
    QMetaObject::invokeMethod(
        this,
        [this, id, position, drag] {
            if (drag) {
                emit SliderDrag(id, position);
            } else {
                emit SliderDone(id, position);
            }
        },
        Qt::QueuedConnection);
}

void CBitmapSlider::DrawChannel(QPainter& painter) {
    if (!channel_.loaded)
        return;
    if (!channelTransparent_)
        painter.fillRect(rect(), palette().window());
    if (activeChannel_.loaded && model_.Enabled()) {
        const int split = model_.PositionToPixel(model_.Position());
        if (model_.Vertical()) {
            painter.drawPixmap(0, 0, activeChannel_.image, 0, 0, width(), split);
            painter.drawPixmap(0, split, channel_.image, 0, split, width(), height() - split);
        } else {
            painter.drawPixmap(0, 0, activeChannel_.image, 0, 0, split, height());
            painter.drawPixmap(split, 0, channel_.image, split, 0, width() - split, height());
        }
    } else {
        painter.drawPixmap(0, 0, channel_.image);
    }
}

void CBitmapSlider::DrawThumb(QPainter& painter) {
    if (!thumb_.loaded || !model_.Enabled())
        return;
    const QPixmap& picture = ShowsActiveThumb() ? activeThumb_.image : thumb_.image;
    const int centre = model_.PositionToPixel(model_.Position());
    if (model_.Vertical()) {
        painter.drawPixmap(model_.MarginLeft(), centre - model_.ThumbHeight() / 2, picture);
    } else {
        painter.drawPixmap(centre - model_.ThumbWidth() / 2, model_.MarginTop(), picture);
    }
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawChannel(painter);
    DrawThumb(painter);
    if (showFocusRect_ && hasFocus() && model_.Enabled()) {
        painter.setPen(QPen(palette().windowText(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !model_.Enabled())
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    Post(model_.Press(at.x(), at.y()));
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Post(model_.Move(at.x(), at.y()));
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    // Qt hands the release to the widget that had the press, wherever the
    // pointer is, as a captured mouse does.
    Post(model_.Release());
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event) {
    const std::optional<SliderKey> key = ToSliderKey(event->key());
    if (!key || !model_.Enabled())
        return QWidget::keyPressEvent(event);
    Post(model_.Key(*key));
}

void CBitmapSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CBitmapSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        model_.SetEnabled(isEnabled());
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace tramlet
