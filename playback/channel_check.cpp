#include "playback/channel_check.h"

#include <QUrl>
#include <unordered_set>

#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {

namespace {

ProbeTarget TargetOf(const CChannel& channel) {
  ProbeTarget target;
  // Blanks and letters beyond ASCII go on the wire escaped, as the player sends them.
  target.address = QUrl(ToQString(channel.URL)).toEncoded().toStdString();
  // Header values cannot hold line breaks; they would start a header of their own.
  auto header = [](const std::u16string& text) {
    return ToQString(text).simplified().toUtf8().toStdString();
  };
  target.userAgent = header(channel.userAgent);
  target.referrer = header(channel.referrer);
  return target;
}

}  // namespace

QString ProbeReasonText(const ProbeResult& result) {
  switch (result.outcome) {
    case ProbeOutcome::kRefused: return ResString(res::IDS_CHECK_REFUSED);
    case ProbeOutcome::kTimedOut: return ResString(res::IDS_CHECK_TIMED_OUT);
    case ProbeOutcome::kNotMedia: return ResString(res::IDS_CHECK_NOT_MEDIA);
    case ProbeOutcome::kHttpStatus: return ResString(res::IDS_CHECK_HTTP).arg(result.httpStatus);
    case ProbeOutcome::kNotResolved: return ResString(res::IDS_CHECK_NOT_RESOLVED);
    case ProbeOutcome::kSecureFailed: return ResString(res::IDS_CHECK_SECURE);
    case ProbeOutcome::kNoAnswer: return ResString(res::IDS_CHECK_NO_ANSWER);
    case ProbeOutcome::kReachable:
    case ProbeOutcome::kNotChecked: break;
  }
  return {};
}

CChannelCheck::CChannelCheck(QObject* parent) : QObject(parent) {}

CChannelCheck::~CChannelCheck() = default;

void CChannelCheck::Start(const std::vector<const CChannel*>& channels, ProbeOptions options) {
  m_run.reset();
  const unsigned generation = ++m_generation;
  m_addresses.clear();
  m_done = 0;
  m_unreachable = 0;
  std::vector<ProbeTarget> targets;
  std::unordered_set<std::u16string> seen;
  for (const CChannel* channel : channels) {
    if (channel == nullptr || channel->URL.empty() || !seen.insert(channel->URL).second) continue;
    m_addresses.push_back(channel->URL);
    targets.push_back(TargetOf(*channel));
  }
  emit Progress(0, Total());
  // The run's thread hands over through the event loop; a result queued for a run that has
  // since been replaced is recognised by its generation.
  m_run = std::make_unique<CChannelProbeRun>(
      std::move(targets), options,
      [this, generation](std::size_t index, const ProbeResult& result) {
        QMetaObject::invokeMethod(this, [this, generation, index, result] { OnResult(generation, index, result); },
                                  Qt::QueuedConnection);
      },
      [this, generation](bool) {
        QMetaObject::invokeMethod(this, [this, generation] { OnRunEnded(generation); }, Qt::QueuedConnection);
      });
}

void CChannelCheck::Cancel() {
  if (!m_run) return;
  m_run.reset();
  ++m_generation;
  emit Finished(true);
}

const CChannelCheck::Checked* CChannelCheck::Result(const std::u16string& address) const {
  const auto it = m_results.find(address);
  return it == m_results.end() ? nullptr : &it->second;
}

void CChannelCheck::OnResult(unsigned generation, std::size_t index, ProbeResult result) {
  if (generation != m_generation || index >= m_addresses.size()) return;
  const std::u16string& address = m_addresses[index];
  const QTime now = QTime::currentTime();
  m_results[address] = Checked{result, now};
  ++m_done;
  const bool wasMarked = m_marks.erase(address) > 0;
  if (result.Unreachable()) {
    ++m_unreachable;
    m_marks[address] =
        ResString(res::IDS_CHANNEL_UNREACHABLE).arg(ProbeReasonText(result), now.toString(QStringLiteral("HH:mm")));
  }
  if (wasMarked || result.Unreachable()) emit MarksChanged();
  emit Progress(m_done, Total());
}

void CChannelCheck::OnRunEnded(unsigned generation) {
  if (generation != m_generation || !m_run) return;
  m_run.reset();
  emit Finished(false);
}

}  // namespace vantrel
