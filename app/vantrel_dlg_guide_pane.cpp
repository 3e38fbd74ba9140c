#include "app/vantrel_dlg_guide_pane.h"

#include <QEvent>
#include <algorithm>
#include <QGridLayout>

#include "app/vantrel_dlg_guide.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

QString Line(int labelId, const std::optional<GuideProgramme>& programme) {
  if (!programme) return {};
  return ResString(labelId) + GuideTimeRange(*programme) + ' ' + QString::fromStdString(programme->title);
}

}  // namespace

void CElidedLabel::SetFullText(const QString& text) {
  m_full = text;
  setToolTip(text);
  Elide();
}

void CElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void CElidedLabel::Elide() { setText(fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(width(), 0))); }

CGuideNowPane::CGuideNowPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("guidePane"));
  // Two lines in the height of the details' lower half: a point smaller than the rest.
  QFont small = font();
  if (small.pointSizeF() > 7) small.setPointSizeF(small.pointSizeF() - 1);
  setFont(small);
  m_now.setObjectName(QStringLiteral("guideNow"));
  m_next.setObjectName(QStringLiteral("guideNext"));
  m_progress.setObjectName(QStringLiteral("guideProgress"));
  m_progress.setRange(0, 1000);
  m_progress.setTextVisible(false);
  m_progress.setFixedSize(40, 8);
  m_dayButton.setObjectName(QStringLiteral("guideDayButton"));
  m_dayButton.setText(QStringLiteral("…"));
  m_dayButton.setToolTip(ResString(res::IDS_GUIDE_OPEN));
  m_dayButton.setAutoRaise(true);
  m_dayButton.setFixedSize(18, 16);
  for (QLabel* label : {&m_now, &m_next}) label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(2, 0, 0, 0);
  layout->setHorizontalSpacing(4);
  layout->setVerticalSpacing(0);
  layout->addWidget(&m_now, 0, 0);
  layout->addWidget(&m_progress, 0, 1);
  layout->addWidget(&m_dayButton, 0, 2);
  layout->addWidget(&m_next, 1, 0, 1, 3);
  layout->setColumnStretch(0, 1);
  connect(&m_dayButton, &QToolButton::clicked, this, &CGuideNowPane::DayListRequested);

  m_minute.setSingleShot(true);
  connect(&m_minute, &QTimer::timeout, this, &CGuideNowPane::Refresh);
  hide();
}

void CGuideNowPane::ShowChannel(const CGuideService& guide, const CChannel& channel) {
  m_guide = &guide;
  m_channel = channel;
  Refresh();
}

void CGuideNowPane::Refresh() {
  if (m_guide == nullptr || !m_channel) return;
  const GuideNowNext nowNext = m_guide->NowAndNext(*m_channel);
  m_now.SetFullText(Line(res::IDS_GUIDE_NOW, nowNext.now));
  m_next.SetFullText(Line(res::IDS_GUIDE_NEXT, nowNext.next));
  m_progress.setValue(nowNext.now ? GuideProgress(*nowNext.now, CGuideService::Now()) : 0);
  m_progress.setVisible(nowNext.now.has_value());
  const bool had = m_hasGuide;
  m_hasGuide = nowNext.now || nowNext.next;
  setVisible(m_hasGuide && (m_host == nullptr || m_host->isVisible()));
  // A channel without a guide gets one only by an import, which calls Refresh itself.
  if (m_hasGuide) ArmMinuteTimer();
  else m_minute.stop();
  if (had != m_hasGuide) emit GuideShown(m_hasGuide);
}

// The next whole minute of the guide's clock: a programme's times are whole minutes.
void CGuideNowPane::ArmMinuteTimer() {
  const std::int64_t intoMinute = CGuideService::Now() % 60;
  m_minute.start(static_cast<int>((60 - intoMinute) * 1000));
}

void CGuideNowPane::FollowVisibility(QWidget& host) {
  m_host = &host;
  host.installEventFilter(this);
}

bool CGuideNowPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_host && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    setVisible(m_hasGuide && m_host->isVisible());
  return QWidget::eventFilter(watched, event);
}

}  // namespace vantrel
