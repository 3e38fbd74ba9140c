#include "app/status_line.h"

#include <QFontMetrics>

namespace vantrel {

CStatusLine::CStatusLine(QWidget* window) : m_window(window), m_label(new QLabel(window)) {
  m_label->setObjectName(QStringLiteral("statusLine"));
  m_label->setAutoFillBackground(true);
  QPalette pal = m_label->palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  m_label->setPalette(pal);
  m_label->setFont(QFont());
  m_label->setContentsMargins(0, 0, 0, 0);
  m_label->setMargin(0);
  m_label->setIndent(0);
  m_label->setWordWrap(false);
  m_label->setTextFormat(Qt::PlainText);
  m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_label->hide();
}

void CStatusLine::ShowStatusText(const QString& text) {
  // The old text goes first, and its area is repainted before anything else happens.
  m_label->hide();
  if (!m_rect.isEmpty()) m_window->repaint(m_rect);

  const QFontMetrics fm(m_label->font());
  const QRect measured = fm.boundingRect(QRect(0, 0, 0, 0), 0, text);
  const int w = measured.width();
  const int h = measured.height();
  // Centred on (400, 300) of the window rectangle, then taken into client coordinates.
  const QPoint clientOffset = m_window->geometry().topLeft() - m_window->frameGeometry().topLeft();
  const QRect windowRect(400 - w / 2, 300 - h / 2, w / 2 * 2, h / 2 * 2);
  m_rect = windowRect.translated(-clientOffset);

  m_label->setText(text);
  m_label->setGeometry(m_rect);
  m_label->raise();
  m_label->show();
  m_label->repaint();
}

void CStatusLine::Clear() { m_label->hide(); }

}  // namespace vantrel
