#include "playback/recording_manager.h"

#include <QDateTime>
#include <algorithm>
#include <system_error>

#include "base/qt_strings.h"
#include "base/text_codec.h"

namespace vantrel {
namespace {

std::function<int64_t()>& ClockHook() {
  static std::function<int64_t()> hook;
  return hook;
}

}  // namespace

int64_t RecordingClockNow() {
  if (ClockHook()) return ClockHook()();
  return QDateTime::currentMSecsSinceEpoch();
}

void SetRecordingClockForTesting(std::function<int64_t()> clock) { ClockHook() = std::move(clock); }

CRecordingManager::CRecordingManager(QObject* parent) : QObject(parent) {
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, &CRecordingManager::Poll);
}

CRecordingManager::~CRecordingManager() {
  // The workers post to this object: they must be gone before it is.
  if (!m_closing) StopAll();
}

void CRecordingManager::Load(std::filesystem::path scheduleFile) {
  m_scheduleFile = std::move(scheduleFile);
  std::error_code ec;
  const bool existed = std::filesystem::exists(m_scheduleFile, ec);
  const int64_t now = RecordingClockNow();
  for (PlannedRecording& plan : LoadSchedule(m_scheduleFile, now)) m_schedule.Add(std::move(plan));
  // What ended while the program was not running leaves the file now.
  if (existed) SaveKept();
  m_timer.start();
  Poll();
}

uint64_t CRecordingManager::Record(const CChannel& channel, const QString& file, int64_t stopMs) {
  PlannedRecording plan;
  plan.channel = channel.name.empty() ? channel.URL : channel.name;
  plan.url = channel.URL;
  plan.userAgent = channel.userAgent;
  plan.referrer = channel.referrer;
  plan.file = ToU16(file);
  plan.startMs = RecordingClockNow();
  plan.stopMs = stopMs;
  const uint64_t id = m_schedule.Add(std::move(plan));
  Poll();
  return id;
}

uint64_t CRecordingManager::Schedule(PlannedRecording plan) {
  plan.kept = true;
  // The same programme asked for twice is one recording.
  for (const ScheduledRecording& entry : m_schedule.Entries()) {
    const PlannedRecording& other = entry.plan;
    if (other.kept && other.url == plan.url && other.startMs == plan.startMs && other.stopMs == plan.stopMs) return entry.id;
  }
  const uint64_t id = m_schedule.Add(std::move(plan));
  SaveKept();
  Poll();
  emit Changed();
  return id;
}

void CRecordingManager::Stop(uint64_t id) {
  if (m_closing) return;
  const std::optional<ScheduledRecording> removed = m_schedule.Remove(id);
  if (!removed) return;
  // A stop asked while the start still connects runs after it (the workers keep the order).
  if (removed->phase != RecordingPhase::kWaiting) m_workers.Stop(removed->plan.url);
  if (removed->plan.kept) SaveKept();
  emit Changed();
}

void CRecordingManager::StopAll() {
  m_closing = true;
  m_timer.stop();
  m_workers.StopAll();
}

void CRecordingManager::Poll() {
  if (m_closing) return;
  CRecordingSchedule::Due due = m_schedule.Poll(RecordingClockNow());
  if (due.start.empty() && due.stop.empty() && due.missed.empty()) return;
  for (const ScheduledRecording& entry : due.stop) m_workers.Stop(entry.plan.url);
  for (const ScheduledRecording& entry : due.start) Start(entry);
  const auto kept = [](const std::vector<ScheduledRecording>& list) {
    return std::any_of(list.begin(), list.end(), [](const auto& e) { return e.plan.kept; });
  };
  if (kept(due.stop) || kept(due.missed)) SaveKept();
  emit Changed();
}

bool CRecordingManager::IsCapturing(const QString& url) const { return m_schedule.IsCapturing(ToU16(url)); }

void CRecordingManager::Start(const ScheduledRecording& entry) {
  std::u16string file = entry.plan.file;
  if (entry.plan.kept) {
    // The guide's recordings go to a folder of their own, made on first use; a recording that
    // resumes after a restart must not replace the part written before.
    const std::filesystem::path path(Utf16ToUtf8(file));
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    file = Utf8ToUtf16(FreeFileName(path).string());
  }
  const uint64_t id = entry.id;
  m_schedule.SetFile(id, file);
  m_workers.Start(entry.plan.url, std::move(file), [this, id](int32_t result) {
    QMetaObject::invokeMethod(this, [this, id, result] { OnStarted(id, result); }, Qt::QueuedConnection);
  }, CaptureHeaders{entry.plan.userAgent, entry.plan.referrer});
}

void CRecordingManager::OnStarted(uint64_t id, int32_t result) {
  if (m_closing) return;
  const ScheduledRecording* entry = m_schedule.Find(id);
  // Stopped meanwhile: the stop has followed the start already.
  if (entry == nullptr) return;
  if (result == 0) {
    m_schedule.MarkRunning(id, RecordingClockNow());
    emit Changed();
    return;
  }
  // 1: the address is being recorded by someone else, whose capture is not ours to stop.
  const std::optional<ScheduledRecording> failed = m_schedule.Remove(id);
  if (failed->plan.kept) SaveKept();
  emit Changed();
  emit StartFailed(ToQString(failed->plan.channel), result == 1);
}

void CRecordingManager::SaveKept() {
  if (!m_scheduleFile.empty()) SaveSchedule(m_scheduleFile, m_schedule.KeptPlans());
}

}  // namespace vantrel
