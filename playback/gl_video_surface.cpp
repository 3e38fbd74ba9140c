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
  if (!m_context) return;
  m_hooks = {};  // the player is going away: nothing to tell it
  makeCurrent();
  FreeRenderContext();
  doneCurrent();
}

void CGlVideoSurface::initializeGL() {
  if (m_context) return;
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
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
          [this] {
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
  if (picture != VideoPicture::kVideo) m_hasFrame = false;
  update();
}

void CGlVideoSurface::paintGL() {
  bool newFrame = false;
  if (m_context) {
    // The engine's frame is taken even while a backdrop shows, so that playback keeps flowing.
    newFrame = mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
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
    if (newFrame && m_picture == VideoPicture::kVideo) m_hasFrame = true;
  }
  if (m_picture != VideoPicture::kVideo || !m_hasFrame) {
    QPainter painter(this);
    PaintBackdrop(painter, rect(), m_picture == VideoPicture::kVideo ? VideoPicture::kBlack : m_picture);
    return;
  }
  if (newFrame && m_hooks.frameRendered) m_hooks.frameRendered();
}

}  // namespace vantrel
