#pragma once
#include <QOpenGLWidget>

#include "playback/video_surface.h"

namespace vantrel {

// OpenGL rendering: the engine draws into the widget's framebuffer in paintGL. The render
// context follows the widget's GL context: it is made in initializeGL and freed when Qt is
// about to destroy the GL context (moving the widget to another window may do that), which
// takes the picture away from the engine until initializeGL runs again.
class CGlVideoSurface : public QOpenGLWidget, public IVideoSurface {
  Q_OBJECT
 public:
  CGlVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks, QWidget* parent);
  ~CGlVideoSurface() override;

  QWidget* Widget() override { return this; }
  void SetPicture(VideoPicture picture) override;
  VideoPicture Picture() const override { return m_picture; }
  bool CanRender() const override { return m_context != nullptr; }

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  void FreeRenderContext();

  mpv_handle* m_mpv;
  mpv_render_context* m_context = nullptr;
  QMetaObject::Connection m_contextGone;
  VideoSurfaceHooks m_hooks;
  CRenderRequests m_requests;
  bool m_hasFrame = false;  // a frame of the current stream was drawn
  VideoPicture m_picture = VideoPicture::kBlack;
};

}  // namespace vantrel
