#pragma once
#include <QWidget>

class QSlider;
class QToolButton;

namespace vantrel {

// The player's compact control bar: play/pause, stop, mute and volume. It shows what it is
// told and reports clicks; the player does the work.
class CPlayerControlBar : public QWidget {
  Q_OBJECT
 public:
  explicit CPlayerControlBar(QWidget* parent = nullptr);

  // The play button shows "pause" while something plays or opens.
  void SetPlaying(bool playing);
  void SetMuted(bool muted);
  void SetVolume(int volume);

  QSize sizeHint() const override;

 signals:
  void PlayPauseClicked();
  void StopClicked();
  void MuteClicked();
  void VolumeMoved(int volume);

 private:
  QToolButton* m_play;
  QToolButton* m_stop;
  QToolButton* m_mute;
  QSlider* m_volume;
  bool m_playing = false;
};

}  // namespace vantrel
