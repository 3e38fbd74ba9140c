#pragma once
// The guide's part of the channel details: what is on now (local time range, title, and how
// far it has got) and what comes next, for the channel shown in the details. It follows the
// clock minute by minute while a channel stays shown, and hides itself when the guide knows
// nothing about the channel. The small button beside it opens the day's list.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <optional>

#include "catalogue/channel.h"

namespace vantrel {

class CGuideService;

// A one-line label that shows as much of its text as fits, the whole text in its tooltip.
class CElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void SetFullText(const QString& text);
  const QString& FullText() const { return m_full; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString m_full;
};

class CGuideNowPane : public QWidget {
  Q_OBJECT

 public:
  explicit CGuideNowPane(QWidget* parent = nullptr);

  // Shows what `guide` says about `channel` from now on (a copy is kept).
  void ShowChannel(const CGuideService& guide, const CChannel& channel);
  // Reads the guide again for the channel shown (a guide came in).
  void Refresh();
  // The pane is shown only while `host` (the details) is, and then only with something to say.
  void FollowVisibility(QWidget& host);

  bool HasGuide() const { return m_hasGuide; }
  const std::optional<CChannel>& Channel() const { return m_channel; }
  // Whole texts; the labels may show them shortened.
  QString NowText() const { return m_now.FullText(); }
  QString NextText() const { return m_next.FullText(); }
  const QProgressBar& Progress() const { return m_progress; }
  QToolButton& DayButton() { return m_dayButton; }
  bool IsTicking() const { return m_minute.isActive(); }

 signals:
  // The pane started or stopped having something to show.
  void GuideShown(bool shown);
  void DayListRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ArmMinuteTimer();

  const CGuideService* m_guide = nullptr;
  std::optional<CChannel> m_channel;
  bool m_hasGuide = false;
  QWidget* m_host = nullptr;
  CElidedLabel m_now;
  CElidedLabel m_next;
  QProgressBar m_progress;
  QToolButton m_dayButton;
  QTimer m_minute;
};

}  // namespace vantrel
