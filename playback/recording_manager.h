#pragma once
// CRecordingManager: the recordings besides the record button's. A channel recorded from its
// menu (at once, with or without a stop time) and programmes scheduled from the guide (started
// and stopped at their times, kept in the schedule file until done). Captures run through the
// recording library on worker threads of the manager's own; the schedule is looked at every
// second, and the clock it is compared with is a seam, so tests need not wait for it.
//
//   waiting --start time--> starting --library ok--> running --stop time / Stop--> gone
//                                    --fails-------> gone, StartFailed(channel)
//
// Closing (StopAll) finishes every file and leaves the schedule file as it is, so what was
// scheduled and has not ended yet comes back at the next run.
#include <QObject>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "catalogue/channel.h"
#include "playback/capture_workers.h"
#include "playback/recording_schedule.h"

namespace vantrel {

// Now, in UTC milliseconds since 1970, as the recordings see it.
int64_t RecordingClockNow();
// Test seam: another clock; nullptr restores the system's.
void SetRecordingClockForTesting(std::function<int64_t()> clock);

class CRecordingManager : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollMs = 1000;

  explicit CRecordingManager(QObject* parent = nullptr);
  // Stops the captures if StopAll has not, and waits for the workers.
  ~CRecordingManager() override;

  // Reads the schedule file (dropping what has ended meanwhile, and writing that back) and
  // starts looking at the schedule; a recording whose time has come starts at once, for what
  // is left of it.
  void Load(std::filesystem::path scheduleFile);
  // Records `channel` (its address, with its own request headers) into `file` from now until
  // `stopMs` (0: until stopped). Returns its id.
  uint64_t Record(const CChannel& channel, const QString& file, int64_t stopMs);
  // A programme's recording; `plan.kept` is set. Returns its id.
  uint64_t Schedule(PlannedRecording plan);
  // Stops a running recording (its file is finished) or cancels a waiting one.
  void Stop(uint64_t id);
  // The program is closing: every capture is stopped and its file finished before this
  // returns; nothing starts afterwards. The schedule file is left alone.
  void StopAll();

  // Looks at the schedule now (the timer does it every kPollMs).
  void Poll();
  const std::vector<ScheduledRecording>& Entries() const { return m_schedule.Entries(); }
  // A capture of `url` is starting or running here.
  bool IsCapturing(const QString& url) const;
  // Some start or stop has not returned from the library yet.
  bool HasPendingWork() const { return !m_workers.Idle(); }

 signals:
  // Something was added, started, stopped or dropped.
  void Changed();
  // A capture could not be started: the source did not answer or its streams cannot be
  // recorded, or (`busy`) the record button records the same address.
  void StartFailed(const QString& channel, bool busy);

 private:
  void Start(const ScheduledRecording& entry);
  void OnStarted(uint64_t id, int32_t result);
  void SaveKept();

  CRecordingSchedule m_schedule;
  std::filesystem::path m_scheduleFile;
  QTimer m_timer;
  bool m_closing = false;
  // Last, so that its workers are gone before what they post to.
  CaptureWorkers m_workers;
};

}  // namespace vantrel
