#include "playback/video_surface.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QOpenGLContext>
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

#include "playback/gl_video_surface.h"

namespace vantrel {
namespace {

// Rows and the buffer start on 64-byte boundaries: the engine's fast converters need it.
constexpr size_t kAlignment = 64;

size_t AlignUp(size_t value) { return (value + kAlignment - 1) / kAlignment * kAlignment; }

}  // namespace

void PaintBackdrop(QPainter& painter, const QRect& rect, VideoPicture picture) {
  painter.fillRect(rect, Qt::black);
  if (picture != VideoPicture::kStill) return;
  // A quiet dark gradient with a pale note in the middle: sound is playing, nothing to see.
  QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
  gradient.setColorAt(0, QColor(24, 30, 44));
  gradient.setColorAt(1, QColor(6, 8, 14));
  painter.fillRect(rect, gradient);
  const int unit = std::max(4, std::min(rect.width(), rect.height()) / 12);
  const QPointF c = QRectF(rect).center();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(120, 136, 170));
  painter.drawEllipse(QPointF(c.x() - unit * 0.9, c.y() + unit * 1.2), unit * 0.8, unit * 0.6);
  painter.drawEllipse(QPointF(c.x() + unit * 1.3, c.y() + unit * 0.8), unit * 0.8, unit * 0.6);
  QPainterPath stems;
  stems.addRect(QRectF(c.x() - unit * 0.25, c.y() - unit * 1.6, unit * 0.22, unit * 2.8));
  stems.addRect(QRectF(c.x() + unit * 1.95, c.y() - unit * 2.0, unit * 0.22, unit * 2.8));
  QPolygonF beam;
  beam << QPointF(c.x() - unit * 0.25, c.y() - unit * 1.6) << QPointF(c.x() + unit * 2.17, c.y() - unit * 2.0)
       << QPointF(c.x() + unit * 2.17, c.y() - unit * 1.5) << QPointF(c.x() - unit * 0.25, c.y() - unit * 1.1);
  stems.addPolygon(beam);
  painter.drawPath(stems.simplified());
  painter.restore();
}

void CRenderRequests::OnUpdate(void* self) {
  auto* requests = static_cast<CRenderRequests*>(self);
  if (!requests->m_pending.exchange(true)) requests->m_post();
}

bool PlatformHasOpenGl() {
  static const bool hasGl = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal" || platform == "vnc" || platform == "linuxfb") {
      return false;
    }
    QOpenGLContext probe;
    return probe.create() && probe.isValid();
  }();
  return hasGl;
}

std::unique_ptr<IVideoSurface> CreateVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks, QWidget* parent) {
  if (PlatformHasOpenGl()) return std::make_unique<CGlVideoSurface>(mpv, std::move(hooks), parent);
  return std::make_unique<CSoftwareVideoSurface>(mpv, std::move(hooks), parent);
}

void CSoftwareVideoSurface::FreeDeleter::operator()(unsigned char* p) const { std::free(p); }

CSoftwareVideoSurface::CSoftwareVideoSurface(mpv_handle* mpv, VideoSurfaceHooks hooks, QWidget* parent)
    : QWidget(parent),
      m_hooks(std::move(hooks)),
      m_requests([this] { QMetaObject::invokeMethod(this, [this] { Render(false); }, Qt::QueuedConnection); }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (!mpv) return;  // no engine: a black area
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_create(&m_context, mpv, params) < 0) {
    m_context = nullptr;
    return;
  }
  mpv_render_context_set_update_callback(m_context, &CRenderRequests::OnUpdate, &m_requests);
}

CSoftwareVideoSurface::~CSoftwareVideoSurface() {
  if (!m_context) return;
  // After this returns the engine calls us no more; a request already queued dies with us.
  mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
  mpv_render_context_free(m_context);
}

void CSoftwareVideoSurface::SetPicture(VideoPicture picture) {
  if (picture == m_picture) return;
  m_picture = picture;
  if (picture != VideoPicture::kVideo) m_hasFrame = false;
  update();
}

bool CSoftwareVideoSurface::EnsureImage() {
  const qreal ratio = devicePixelRatioF();
  const int w = std::max(1, qRound(width() * ratio));
  const int h = std::max(1, qRound(height() * ratio));
  if (!m_image.isNull() && m_image.width() == w && m_image.height() == h) return true;
  const size_t stride = AlignUp(size_t(w) * 4);
  m_image = QImage();
  m_pixels.reset(static_cast<unsigned char*>(std::aligned_alloc(kAlignment, stride * size_t(h))));
  if (!m_pixels) return false;
  m_image = QImage(m_pixels.get(), w, h, qsizetype(stride), QImage::Format_RGB32);
  m_image.setDevicePixelRatio(ratio);
  m_hasFrame = false;
  return true;
}

void CSoftwareVideoSurface::Render(bool force) {
  m_requests.Taken();
  if (!m_context) return;
  // The engine's frame is taken even while a backdrop shows, so that playback keeps flowing.
  const bool newFrame = mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
  if (!newFrame && !force) return;
  if (!EnsureImage()) return;
  int size[2] = {m_image.width(), m_image.height()};
  size_t stride = size_t(m_image.bytesPerLine());
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_SW_SIZE, size},
      {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
      {MPV_RENDER_PARAM_SW_STRIDE, &stride},
      {MPV_RENDER_PARAM_SW_POINTER, m_pixels.get()},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_render(m_context, params) < 0) return;
  if (m_picture != VideoPicture::kVideo) return;
  m_hasFrame = true;
  update();
  if (newFrame && m_hooks.frameRendered) m_hooks.frameRendered();
}

void CSoftwareVideoSurface::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_picture == VideoPicture::kVideo && m_hasFrame) Render(true);
}

void CSoftwareVideoSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_picture == VideoPicture::kVideo && m_hasFrame) {
    painter.drawImage(QPoint(0, 0), m_image);
  } else {
    PaintBackdrop(painter, rect(), m_picture == VideoPicture::kVideo ? VideoPicture::kBlack : m_picture);
  }
}

}  // namespace vantrel
