#pragma once

#include <QOpenGLWidget>

#include <functional>

struct mpv_handle;
struct mpv_render_context;

namespace tramlet {

// One channel's picture: mpv draws into this widget's frame buffer on the GUI
// thread, whenever mpv says a new frame is due.
class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    MpvVideoWidget(mpv_handle* mpv, QWidget* parent);
    // Frees the render context with this widget's GL context current; the
    // mpv core must still exist.
    ~MpvVideoWidget() override;

    // mpv can only open video once it can draw: creates the GL context and
    // the render context now, without waiting for the first paint.
    bool PrepareRendering();

    // Until ShowHeldFrame, a new frame is not drawn; `waiting` is called
    // once it has come.
    void HoldFrames(std::function<void()> waiting);
    void ShowHeldFrame();
    bool FrameWaiting() const { return frameWaiting_; }

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    static void OnRenderUpdate(void* self);
    void OnFrame();

    mpv_handle* mpv_;
    mpv_render_context* render_ = nullptr;
    bool held_ = false;
    bool frameWaiting_ = false;
    std::function<void()> waiting_;
};

}  // namespace tramlet
