#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace tramlet {

// A push button shown as one of four pictures: normal, pressed, focused and
// disabled.
class CBitmapButton : public QAbstractButton {
    Q_OBJECT

  public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    bool LoadBitmaps(int normalId, int pressedId, int focusedId, int disabledId);
    void SizeToContent();
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap normal_, pressed_, focused_, disabled_;
};

}  // namespace tramlet
