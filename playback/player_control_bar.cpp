#include "playback/player_control_bar.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace vantrel {
namespace {

constexpr int kBarHeight = 28;

QToolButton* MakeButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

CPlayerControlBar::CPlayerControlBar(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(32, 32, 36));
  setPalette(palette);
  setFixedHeight(kBarHeight);

  m_play = MakeButton(this, "play", QStyle::SP_MediaPlay);
  m_stop = MakeButton(this, "stop", QStyle::SP_MediaStop);
  m_mute = MakeButton(this, "mute", QStyle::SP_MediaVolume);
  m_volume = new QSlider(Qt::Horizontal, this);
  m_volume->setObjectName("volume");
  m_volume->setRange(0, 100);
  m_volume->setFocusPolicy(Qt::NoFocus);
  m_volume->setMaximumWidth(100);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 0);
  layout->setSpacing(2);
  layout->addWidget(m_play);
  layout->addWidget(m_stop);
  layout->addStretch(1);
  layout->addWidget(m_mute);
  layout->addWidget(m_volume);

  connect(m_play, &QToolButton::clicked, this, &CPlayerControlBar::PlayPauseClicked);
  connect(m_stop, &QToolButton::clicked, this, &CPlayerControlBar::StopClicked);
  connect(m_mute, &QToolButton::clicked, this, &CPlayerControlBar::MuteClicked);
  connect(m_volume, &QSlider::valueChanged, this, &CPlayerControlBar::VolumeMoved);
}

void CPlayerControlBar::SetPlaying(bool playing) {
  if (playing == m_playing) return;
  m_playing = playing;
  m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

void CPlayerControlBar::SetMuted(bool muted) {
  m_mute->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

void CPlayerControlBar::SetVolume(int volume) {
  // The engine's own report must not echo back to it as a user's move.
  const QSignalBlocker blocker(m_volume);
  m_volume->setValue(volume);
}

QSize CPlayerControlBar::sizeHint() const { return {QWidget::sizeHint().width(), kBarHeight}; }

}  // namespace vantrel
