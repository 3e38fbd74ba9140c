#include "playback/reconnect_indicator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "resources/resource.h"
#include "resources/string_table.h"

namespace vantrel {
namespace {

QString ResText(int id) {
  const std::u16string_view text = LoadResString(id);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kPadding = 8;

}  // namespace

CReconnectIndicator::CReconnectIndicator(QWidget* video) : QWidget(video) {
  setObjectName("reconnectIndicator");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  video->installEventFilter(this);
}

void CReconnectIndicator::ShowCountdown(int seconds) {
  const QString text =
      seconds < 0 ? ResText(res::IDS_RECONNECTING_NOW) : ResText(res::IDS_RECONNECT_IN).arg(seconds);
  if (text != m_text) {
    m_text = text;
    Place();
    update();
  }
  if (isHidden()) {
    Place();
    show();
    raise();
  }
}

bool CReconnectIndicator::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) Place();
  return QWidget::eventFilter(watched, event);
}

void CReconnectIndicator::Place() {
  const QWidget* video = parentWidget();
  // The text shrinks with a small video area but stays readable.
  QFont font = this->font();
  font.setPixelSize(std::clamp(video->height() / 22, 10, 18));
  setFont(font);
  const QFontMetrics metrics(font);
  const int width = std::min(video->width() - 2 * kPadding, metrics.horizontalAdvance(m_text) + 4 * kPadding);
  const QRect wrapped = metrics.boundingRect(QRect(0, 0, width - 4 * kPadding, 1000),
                                             Qt::AlignCenter | Qt::TextWordWrap, m_text);
  const int height = wrapped.height() + 2 * kPadding;
  setGeometry((video->width() - width) / 2, video->height() - height - 2 * kPadding, width, height);
}

void CReconnectIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // The still picture's night blue, half see-through, with its pale accent as the text.
  QPainterPath panel;
  panel.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  painter.fillPath(panel, QColor(24, 30, 44, 210));
  painter.setPen(QColor(120, 136, 170));
  painter.drawPath(panel);
  painter.setPen(QColor(226, 232, 244));
  painter.drawText(rect().adjusted(2 * kPadding, kPadding, -2 * kPadding, -kPadding),
                   Qt::AlignCenter | Qt::TextWordWrap, m_text);
}

}  // namespace vantrel
