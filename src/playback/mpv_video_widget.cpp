#include "playback/mpv_video_widget.h"

#include <QOpenGLContext>

#include <utility>

#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace tramlet {
namespace {

void* GetProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

MpvVideoWidget::MpvVideoWidget(mpv_handle* mpv, QWidget* parent)
    : QOpenGLWidget(parent), mpv_(mpv) {
    hide();
}

MpvVideoWidget::~MpvVideoWidget() {
    if (!render_)
        return;
    makeCurrent();
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
    doneCurrent();
}

bool MpvVideoWidget::PrepareRendering() {
    if (render_)
        return true;
    if (parentWidget() && size().isEmpty())
        resize(parentWidget()->size());
    // Showing sends the pending resize, which sets up the GL context and
    // calls initializeGL at once.
    show();
    return render_ != nullptr;
}

void MpvVideoWidget::initializeGL() {
    mpv_opengl_init_params gl{GetProcAddress, nullptr};
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        // Without driving mpv_render_context_update ourselves, advanced
        // control can leave a render call waiting forever.
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&render_, mpv_, params) < 0) {
        render_ = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(render_, &MpvVideoWidget::OnRenderUpdate, this);
}

// Called on one of mpv's threads: only queue the repaint.
void MpvVideoWidget::OnRenderUpdate(void* self) {
    auto* widget = static_cast<MpvVideoWidget*>(self);
    QMetaObject::invokeMethod(widget, &MpvVideoWidget::OnFrame, Qt::QueuedConnection);
}

void MpvVideoWidget::OnFrame() {
    if (!held_) {
        update();
        return;
    }
    // A seek first has the core redraw the frame shown, or nothing: only a
    // new frame to present is the one held for.
    mpv_render_frame_info next{};
    if (!render_ ||
        mpv_render_context_get_info(render_, {MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next}) < 0 ||
        !(next.flags & MPV_RENDER_FRAME_INFO_PRESENT) ||
        (next.flags & MPV_RENDER_FRAME_INFO_REDRAW))
        return;
    frameWaiting_ = true;
    if (waiting_)
        waiting_();
}

void MpvVideoWidget::HoldFrames(std::function<void()> waiting) {
    held_ = true;
    frameWaiting_ = false;
    waiting_ = std::move(waiting);
}

void MpvVideoWidget::ShowHeldFrame() {
    held_ = false;
    waiting_ = {};
    if (std::exchange(frameWaiting_, false))
        update();
}

void MpvVideoWidget::paintGL() {
    if (!render_)
        return;
    const qreal scale = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * scale), static_cast<int>(height() * scale), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
}

}  // namespace tramlet
