#pragma once

#include <QPixmap>
#include <QWidget>

#include "controls/slider_model.h"

namespace tramlet {

// A slider drawn from pictures: a channel (the track) and a thumb, each with a
// normal and an active variant. Its owner learns of every change through two
// notifications that are always posted, so that the owner handles them after
// the slider's own event handler has returned.
class CBitmapSlider : public QWidget {
    Q_OBJECT

  public:
    explicit CBitmapSlider(QWidget* parent = nullptr);

    // Loads both channel pictures by id and takes the normal one's size as
    // the control's. Transparent channels are drawn through a mask made from
    // each picture's top-left colour. False when a picture is missing.
    bool LoadChannelBitmaps(int normalId, int activeId, bool transparent);
    bool LoadThumbBitmaps(int normalId, int activeId);

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    int GetPos() const { return model_.Position(); }
    void SetPointerShiftX(int shift) { model_.SetPointerShiftX(shift); }
    void SetMargins(int left, int top, int right, int bottom);
    void SetShowFocusRect(bool show);
    const SliderModel& Model() const { return model_; }
    bool ShowsActiveThumb() const;
    // The control id the notifications carry.
    void SetId(int id) { id_ = id; }
    int Id() const { return id_; }

  signals:
    void SliderDrag(int id, int position);
    void SliderDone(int id, int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct Picture {
        QPixmap image;
        bool loaded = false;
    };
    static bool LoadPair(int normalId, int activeId, bool masked, Picture& normal, Picture& active);
    void Post(const std::optional<SliderNotice>& notice);
    void DrawChannel(QPainter& painter);
    void DrawThumb(QPainter& painter);

    SliderModel model_;
    int id_ = 0;
    Picture channel_;
    Picture activeChannel_;
    Picture thumb_;
    Picture activeThumb_;
    bool channelTransparent_ = true;
    bool showFocusRect_ = true;
};

}  // namespace tramlet
