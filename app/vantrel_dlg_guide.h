#pragma once
// The programme guide as the main window uses it: the sources (the addresses the user's
// playlists name and the user's own), their refresh in the background (at start, every 12
// hours, and at once for a source that is new), and the lookups the details pane, the tree's
// tooltips and the day's list make.
//
// Threads: the service lives on the UI thread. Fetching and importing run on the guide's
// worker (CGuideWorker) with a store of its own; results come back as queued calls. The
// service's own store only reads, and a read never waits for an import (the database keeps a
// write-ahead log). Lookups cost a few index reads each: they are made when asked, never ahead.
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/channel.h"
#include "catalogue/guide/guide_source_list.h"
#include "catalogue/guide/guide_store.h"
#include "updates/guide_fetch.h"

namespace vantrel {

class CGuideWorker;

// How the last refresh of a source went, for the sources window.
struct GuideSourceState {
  bool done = false;  // false: waiting for its turn
  GuideFetchStatus fetch = GuideFetchStatus::kNotConnected;
  long httpCode = 0;
  bool imported = false;
  bool unreadable = false;  // fetched, but not a guide (the previous one stays)
  bool missing = false;     // a file that is not there (or not a plain file)
  std::int64_t at = 0;      // when it ended, UTC seconds
};

class CGuideService : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kRefreshInterval = std::chrono::hours(12);

  explicit CGuideService(QObject* parent = nullptr);
  ~CGuideService() override;

  // Opens the guide in the user data folder, reads the user's sources and refreshes every
  // source in the background; from then on every kRefreshInterval. Returns at once.
  void Start();
  bool IsStarted() const { return m_worker != nullptr; }
  // Every source again, the playlists read again for their addresses (the timer's job).
  void RefreshAll();
  // The playlists changed: their guide addresses and channel names are read again, and an
  // address not seen before is fetched at once.
  void OnPlaylistsChanged();

  // The addresses the playlists name, and the user's own (in the order added).
  const std::vector<GuideSource>& PlaylistSources() const { return m_playlistSources; }
  const std::vector<std::string>& UserSources() const { return m_userSources; }
  // Adds an address or file the user gave and fetches it at once. False when it names no
  // guide (see NormaliseGuideSource), is listed already, or the list cannot be saved.
  bool AddUserSource(const QString& text);
  // Removes one of the user's sources; its guide goes unless a playlist names it too.
  bool RemoveUserSource(const std::string& address);
  // Nothing when the source was not refreshed in this run.
  const GuideSourceState* SourceState(const std::string& address) const;
  // Refreshes waiting or running.
  int PendingRefreshes() const { return m_pending; }
  const QTimer& RefreshTimer() const { return m_timer; }

  // Now, by the guide's clock (UTC seconds).
  static std::int64_t Now();
  // The guide channel of a catalogue channel (by name) or of a playlist channel (by tvg-id,
  // then by name, then by tvg-name). Nothing until the guide is open.
  GuideMatch Match(const CChannel& channel) const;
  GuideNowNext NowAndNext(const CChannel& channel) const;
  // The channel's programmes of the local day `dayOffset` days from today (-1: yesterday).
  std::vector<GuideProgramme> Day(const CChannel& channel, int dayOffset) const;
  // "Сейчас: 20:00–21:00 Новости" and "Далее: ..." on two lines; empty without a guide.
  QString ToolTip(const CChannel& channel) const;

 signals:
  // What the lookups answer may have changed: a guide came in or went, or the playlists' names did.
  void Changed();
  // The list of sources or a source's state changed.
  void SourcesChanged();

 private:
  void OpenStore();
  void Scan(bool refreshAll);
  void OnScanned(PlaylistGuides guides, bool refreshAll);
  void Refresh(const std::string& address);
  void OnRefreshed(const std::string& address, const GuideSourceState& state);
  void ForgetAllBut(std::vector<std::string> keep);
  std::vector<std::string> AllSources() const;

  CGuideStore m_store;
  bool m_storeOpen = false;
  std::vector<GuideSource> m_playlistSources;
  std::vector<std::string> m_userSources;
  std::unordered_map<std::int32_t, PlaylistGuideNames> m_names;
  std::set<std::string> m_known;  // the sources there were at the last scan
  std::map<std::string, GuideSourceState> m_states;
  int m_pending = 0;
  QTimer m_timer;
  // Last: stopped and joined before the rest goes.
  std::unique_ptr<CGuideWorker> m_worker;
};

// "20:00–21:00" in local time.
QString GuideTimeRange(const GuideProgramme& programme);
// How far `now` is into the programme, 0 to 1000.
int GuideProgress(const GuideProgramme& programme, std::int64_t now);

// Seams for tests: the refresh interval (zero: the 12 hours) and the guide's clock (empty: the
// system's). Set before the window is made.
void SetGuideRefreshIntervalForTesting(std::chrono::milliseconds interval);
void SetGuideClockForTesting(std::function<std::int64_t()> now);

}  // namespace vantrel
