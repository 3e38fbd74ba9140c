#include <QMetaObject>
#include <cmath>
#include <cstring>

#include "playback/mediaplayer.h"
#include "playback/play_state.h"
#include "playback/player_control_bar.h"

// How the player follows the engine: its events are drained on the UI thread and turned into
// play states, pictures and control-bar updates.

namespace vantrel {
namespace {

using Event = CPlayStateModel::Event;

// Engine properties the player follows; the number is the observation's reply id.
enum Observed : uint64_t { kPause = 1, kPausedForCache, kVolume, kMute, kVideoTrack, kFileSize };

struct Observation {
  Observed id;
  const char* name;
  mpv_format format;
};

constexpr Observation kObservations[] = {
    {kPause, "pause", MPV_FORMAT_FLAG},
    {kPausedForCache, "paused-for-cache", MPV_FORMAT_FLAG},
    {kVolume, "volume", MPV_FORMAT_DOUBLE},
    {kMute, "mute", MPV_FORMAT_FLAG},
    {kVideoTrack, "vid", MPV_FORMAT_STRING},
    // A stream of unknown size is live: when it breaks off, it is reopened.
    {kFileSize, "file-size", MPV_FORMAT_INT64},
};

// A flag property's value; "unavailable" (MPV_FORMAT_NONE) reads as false.
bool FlagValue(const mpv_event_property& property) {
  return property.format == MPV_FORMAT_FLAG && *static_cast<int*>(property.data) != 0;
}

int64_t EntryIdOf(const mpv_node& result) {
  if (result.format != MPV_FORMAT_NODE_MAP) return -1;
  const mpv_node_list* map = result.u.list;
  for (int i = 0; i < map->num; ++i) {
    if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 && map->values[i].format == MPV_FORMAT_INT64) {
      return map->values[i].u.int64;
    }
  }
  return -1;
}

}  // namespace

void CMediaplayer::ObserveEngine() {
  if (!m_mpv) return;
  for (const Observation& observation : kObservations) {
    mpv_observe_property(m_mpv.get(), observation.id, observation.name, observation.format);
  }
  mpv_set_wakeup_callback(m_mpv.get(), &CMediaplayer::OnWakeup, this);
}

void CMediaplayer::OnWakeup(void* self) {
  auto* player = static_cast<CMediaplayer*>(self);
  if (!player->m_wakeupPending.exchange(true)) {
    QMetaObject::invokeMethod(player, &CMediaplayer::DrainEvents, Qt::QueuedConnection);
  }
}

void CMediaplayer::DrainEvents() {
  m_wakeupPending = false;
  // A slot that opens a nested event loop must not drain from inside this loop: the event
  // being handled would be overwritten. The outer loop picks up what came meanwhile.
  if (m_draining || !m_mpv) return;
  m_draining = true;
  QPointer<CMediaplayer> alive(this);
  for (;;) {
    const mpv_event* event = mpv_wait_event(m_mpv.get(), 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
    if (!alive) return;
  }
  m_draining = false;
}

void CMediaplayer::HandleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
      if (event.reply_userdata == 0 || event.reply_userdata != m_awaitedLoad) return;
      m_awaitedLoad = 0;
      m_entryId = event.error < 0 ? -1 : EntryIdOf(static_cast<mpv_event_command*>(event.data)->result);
      m_lastEntryId = m_entryId;
      if (m_entryId < 0) Apply(Event::kOpenFailed);
      return;
    case MPV_EVENT_START_FILE:
      if (m_entryId >= 0 && static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id == m_entryId) {
        m_entryStarted = true;
      }
      return;
    case MPV_EVENT_FILE_LOADED:
      if (!m_entryStarted) return;
      m_entryLoaded = true;
      UpdatePicture();
      Apply(Event::kOpened);
      return;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (!m_entryLoaded) return;
      m_reconnects = 0;
      EndReconnect();
      Apply(Event::kStarted);
      return;
    case MPV_EVENT_END_FILE:
      HandleEndFile(*static_cast<mpv_event_end_file*>(event.data));
      return;
    case MPV_EVENT_PROPERTY_CHANGE:
      HandlePropertyChange(event.reply_userdata, *static_cast<mpv_event_property*>(event.data));
      return;
    default:
      return;
  }
}

void CMediaplayer::HandleEndFile(const mpv_event_end_file& end) {
  if (m_entryId < 0 || end.playlist_entry_id != m_entryId) return;
  m_entryStarted = false;
  m_entryLoaded = false;
  if (end.reason == MPV_END_FILE_REASON_REDIRECT && end.playlist_insert_num_entries > 0) {
    // The address was a playlist: the engine goes on with its entries.
    m_entryId = end.playlist_insert_id;
    m_lastEntryId = end.playlist_insert_id + end.playlist_insert_num_entries - 1;
    return;
  }
  const bool brokeOff = end.reason == MPV_END_FILE_REASON_EOF || end.reason == MPV_END_FILE_REASON_ERROR;
  if (brokeOff && m_entryId < m_lastEntryId) {
    // The engine tries the playlist's next entry by itself.
    ++m_entryId;
    UpdatePicture();
    if (m_model.HasStarted()) Apply(Event::kOpenRequested);
    return;
  }
  const bool started = m_model.HasStarted();
  ForgetCurrentEntry();
  // The last picture stays while a live stream is reopened.
  if (brokeOff && started && m_live) {
    BeginReconnect();
    return;
  }
  StopHealing();
  UpdatePicture();
  switch (end.reason) {
    case MPV_END_FILE_REASON_EOF:
      Apply(Event::kEnded);
      break;
    case MPV_END_FILE_REASON_STOP:
    case MPV_END_FILE_REASON_QUIT:
      Apply(Event::kStopped);
      break;
    default:
      // Broken off after it played: the stream ended; before that: it could not be opened.
      Apply(started ? Event::kEnded : Event::kOpenFailed);
      break;
  }
}

void CMediaplayer::HandlePropertyChange(uint64_t id, const mpv_event_property& property) {
  switch (id) {
    case kPause:
      if (FlagValue(property) == m_paused) return;
      m_paused = FlagValue(property);
      Apply(m_paused ? Event::kPaused : Event::kResumed);
      return;
    case kPausedForCache:
      // Before the new address has started, the flag still speaks of the one before.
      if (!m_entryStarted) return;
      // A live stream that waits on and on for data has broken off without saying so. (Set
      // before publishing: a slot may put another address, which ends the watch.)
      if (FlagValue(property) && m_live && m_model.HasStarted()) {
        if (!m_stallTimer.isActive()) m_stallTimer.start();
      } else {
        m_stallTimer.stop();
      }
      Apply(FlagValue(property) ? Event::kCacheEmpty : Event::kCacheFilled);
      return;
    case kVolume:
      if (property.format != MPV_FORMAT_DOUBLE) return;
      m_volume = static_cast<int>(std::lround(*static_cast<double*>(property.data)));
      m_bar->SetVolume(m_volume);
      emit VolumeChanged();
      return;
    case kMute:
      m_muted = FlagValue(property);
      m_bar->SetMuted(m_muted);
      emit VolumeChanged();
      return;
    case kFileSize:
      m_live = property.format != MPV_FORMAT_INT64;
      return;
    case kVideoTrack:
      m_videoTrack = property.format == MPV_FORMAT_STRING ? QString::fromUtf8(*static_cast<char**>(property.data))
                                                           : QStringLiteral("no");
      UpdatePicture();
      return;
    default:
      return;
  }
}

void CMediaplayer::UpdatePicture() {
  // While a live stream is reopened its last picture stays.
  if (!m_surface || (!m_entryLoaded && m_model.PlayState() == play_state::kReconnecting)) return;
  VideoPicture picture = VideoPicture::kBlack;
  if (m_entryLoaded) picture = m_videoTrack == QLatin1String("no") ? VideoPicture::kStill : VideoPicture::kVideo;
  m_surface->SetPicture(picture);
}

}  // namespace vantrel
