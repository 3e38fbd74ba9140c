#pragma once
// The area the player draws video into. Two kinds: OpenGL where the platform has it, and a
// software renderer for platforms without (the offscreen one of the tests among them).
// Both live on the UI thread; the engine only tells them, from its own threads, that a new
// frame is ready, and they render it on the UI thread.

#include <mpv/client.h>
#include <mpv/render.h>

#include <QImage>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

namespace vantrel {

// What the video area shows.
enum class VideoPicture {
  kBlack,  // nothing open yet, opening, or closed
  kVideo,  // the stream's frames
  kStill,  // a stream without video: a calm still picture
};

// Paints the picture shown instead of video.
void PaintBackdrop(QPainter& painter, const QRect& rect, VideoPicture picture);

class IVideoSurface {
 public:
  virtual ~IVideoSurface() = default;
  virtual QWidget* Widget() = 0;
  virtual void SetPicture(VideoPicture picture) = 0;
  virtual VideoPicture Picture() const = 0;
  // Whether a render context exists, so that video can start.
  virtual bool CanRender() const = 0;
};

// Callbacks from a surface to its player, called on the UI thread.
struct VideoSurfaceHooks {
  std::function<void()> frameRendered;  // a new engine frame was drawn
  std::function<void()> renderReady;    // a render context was (re)created
  std::function<void()> renderLost;     // the render context is about to go
};

// Whether this platform renders with OpenGL; false on platforms without it.
bool PlatformHasOpenGl();

// Makes the surface that fits the platform. `mpv` must outlive it.
std::unique_ptr<IVideoSurface> CreateVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks,
                                                  QWidget* parent);

// Posts one render request to `target`'s thread per burst of engine updates.
class CRenderRequests {
 public:
  explicit CRenderRequests(std::function<void()> post) : m_post(std::move(post)) {}
  // Engine thread; no libmpv call may be made here.
  static void OnUpdate(void* self);
  // UI thread, at the start of handling a request.
  void Taken() { m_pending = false; }

 private:
  std::function<void()> m_post;
  std::atomic<bool> m_pending{false};
};

// Software rendering: the engine draws into an aligned image that paintEvent shows.
class CSoftwareVideoSurface : public QWidget, public IVideoSurface {
  Q_OBJECT
 public:
  CSoftwareVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks, QWidget* parent);
  ~CSoftwareVideoSurface() override;

  QWidget* Widget() override { return this; }
  void SetPicture(VideoPicture picture) override;
  VideoPicture Picture() const override { return m_picture; }
  bool CanRender() const override { return m_context != nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Render(bool force);
  bool EnsureImage();

  mpv_render_context* m_context = nullptr;
  VideoSurfaceHooks m_hooks;
  CRenderRequests m_requests;
  struct FreeDeleter {
    void operator()(unsigned char* p) const;
  };
  std::unique_ptr<unsigned char, FreeDeleter> m_pixels;
  QImage m_image;  // views m_pixels
  bool m_hasFrame = false;
  VideoPicture m_picture = VideoPicture::kBlack;
};

}  // namespace vantrel
