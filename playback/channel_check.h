#pragma once
// The main window's channel check: probes channels in the background (CChannelProbeRun, at
// most 8 at once, 10 s each), tells its progress, and keeps each channel's result with the
// time it was found for the rest of the session. A later check replaces the results of the
// channels it probes and keeps the others. The unreachable channels are kept in the form the
// channel views read (ChannelMarks), with the tooltip that says why.
#include <QObject>
#include <QTime>
#include <memory>
#include <unordered_map>
#include <vector>

#include "catalogue/channel.h"
#include "catalogue/channel_tree_model.h"
#include "playback/channel_probe_run.h"

namespace vantrel {

// The Russian reason of an unreachable result, e.g. "соединение отклонено"; empty otherwise.
QString ProbeReasonText(const ProbeResult& result);

class CChannelCheck : public QObject {
  Q_OBJECT

 public:
  struct Checked {
    ProbeResult result;
    QTime at;
  };

  explicit CChannelCheck(QObject* parent = nullptr);
  // Returns promptly: open probes are dropped, not waited for.
  ~CChannelCheck() override;

  // Probes `channels` (an address listed twice once); a check still running is stopped first.
  // The records are read here and not kept.
  void Start(const std::vector<const CChannel*>& channels, ProbeOptions options = {});
  // Stops the running check; its results so far stay. Nothing happens when none runs.
  void Cancel();
  bool IsRunning() const { return m_run != nullptr; }
  int Done() const { return m_done; }
  int Total() const { return static_cast<int>(m_addresses.size()); }
  // How many of the running or last check's channels were found unreachable.
  int Unreachable() const { return m_unreachable; }

  // The unreachable channels by address, with their tooltips.
  const ChannelMarks& Marks() const { return m_marks; }
  // The last result for `address`; nullptr when it was never checked.
  const Checked* Result(const std::u16string& address) const;

 signals:
  void Progress(int done, int total);
  // After the last result, or after Cancel (`cancelled`).
  void Finished(bool cancelled);
  // Marks() changed.
  void MarksChanged();

 private:
  void OnResult(unsigned generation, std::size_t index, ProbeResult result);
  void OnRunEnded(unsigned generation);

  std::unique_ptr<CChannelProbeRun> m_run;
  // Results of an earlier run still queued when a new one starts are dropped by this.
  unsigned m_generation = 0;
  std::vector<std::u16string> m_addresses;  // of the running or last check
  int m_done = 0;
  int m_unreachable = 0;
  std::unordered_map<std::u16string, Checked> m_results;
  ChannelMarks m_marks;
};

}  // namespace vantrel
