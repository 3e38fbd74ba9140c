#pragma once
// The notice over the video area while a channel that broke off is being reopened. It sits
// at the bottom of the picture, lets the mouse through to the video, and follows the video
// area wherever it goes (into the full-screen window too), so that both render paths show
// it over the last picture.

#include <QString>
#include <QWidget>

namespace vantrel {

class CReconnectIndicator : public QWidget {
  Q_OBJECT
 public:
  // A hidden notice over `video`, which owns it.
  explicit CReconnectIndicator(QWidget* video);

  // Shows the countdown to the next attempt, in whole seconds (rounded up); a negative
  // value says an attempt is running now.
  void ShowCountdown(int seconds);
  QString Text() const { return m_text; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Place();

  QString m_text;
};

}  // namespace vantrel
