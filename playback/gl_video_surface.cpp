#include "playback/gl_video_surface.h"

#include <mpv/render_gl.h>

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>

namespace vantrel {
namespace {

void* GetProcAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

CGlVideoSurface::CGlVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks, QWidget* parent)
    : QOpenGLWidget(parent),
      m_mpv(mpv),
      m_hooks(std::move(hooks)),
      m_requests([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
              m_requests.Taken();
              update();
            },
            Qt::QueuedConnection);
      }) {}

CGlVideoSurface::~CGlVideoSurface() {
  // Qt destroys the GL context after this object's own members are gone.
  disconnect(m_contextGone);
  if (!m_context) return;
  m_hooks = {};  // the player is going away: nothing to tell it
  makeCurrent();
  FreeRenderContext();
  doneCurrent();
}

void CGlVideoSurface::initializeGL() {
  if (m_context || !m_mpv) return;
  mpv_opengl_init_params gl{&GetProcAddress, nullptr};
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_create(&m_context, m_mpv, params) < 0) {
    m_context = nullptr;
    return;
  }
  mpv_render_context_set_update_callback(m_context, &CRenderRequests::OnUpdate, &m_requests);
  // Qt recreates the GL context when the widget changes windows; ours must go first.
  disconnect(m_contextGone);
  m_contextGone = connect(
      context(), &QOpenGLContext::aboutToBeDestroyed, this,
      [this] {
        if (!m_context) return;
        makeCurrent();
        FreeRenderContext();
        doneCurrent();
      },
      Qt::DirectConnection);
  if (m_hooks.renderReady) m_hooks.renderReady();
}

void CGlVideoSurface::FreeRenderContext() {
  if (!m_context) return;
  if (m_hooks.renderLost) m_hooks.renderLost();
  mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
  mpv_render_context_free(m_context);
  m_context = nullptr;
  m_hasFrame = false;
}

void CGlVideoSurface::SetPicture(VideoPicture picture) {
  if (picture == m_picture) return;
  m_picture = picture;
  m_hasFrame = false;
  update();
}

void CGlVideoSurface::paintGL() {
  if (m_context && m_picture == VideoPicture::kVideo) {
    // mpv leaves its own GL state behind, so a frame and the backdrop are never painted in
    // one pass. Black until the stream's first frame: the engine may still hold the last
    // frame of the stream before.
    const bool newFrame = mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
    m_hasFrame = m_hasFrame || newFrame;
    if (!m_hasFrame) {
      QOpenGLFunctions* gl = context()->functions();
      gl->glClearColor(0, 0, 0, 1);
      gl->glClear(GL_COLOR_BUFFER_BIT);
      return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), qRound(width() * ratio),
                       qRound(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_context, params);
    if (newFrame && m_hooks.frameRendered) m_hooks.frameRendered();
    return;
  }
  QPainter painter(this);
  PaintBackdrop(painter, rect(), m_picture);
}

}  // namespace vantrel
