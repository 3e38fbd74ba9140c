#include "playback/mediaplayer.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "playback/gl_video_surface.h"
#include "playback/play_state.h"
#include "playback/player_control_bar.h"

namespace vantrel {
namespace {

using Event = CPlayStateModel::Event;

// Engine properties the player follows; the number is the observation's reply id.
enum Observed : uint64_t { kPause = 1, kPausedForCache, kVolume, kMute, kVideoTrack };

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

CMediaplayer::CMediaplayer(QWidget* parent) : QWidget(parent), m_mpv(CreateMpvEngine(AudioOutput())) {
  // No menu of its own, and none of the window's either: a right click on video does nothing.
  setContextMenuPolicy(Qt::PreventContextMenu);
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);

  VideoSurfaceHooks hooks;
  hooks.frameRendered = [this] { emit FrameRendered(); };
  hooks.renderReady = [this] { OnRenderReady(); };
  hooks.renderLost = [this] { OnRenderLost(); };
  m_surface = CreateVideoSurface(m_mpv.get(), std::move(hooks), this);
  m_surface->Widget()->installEventFilter(this);
  m_bar = new CPlayerControlBar(this);
  m_bar->SetVolume(m_volume);
  m_layout = new QVBoxLayout(this);
  m_layout->setContentsMargins(0, 0, 0, 0);
  m_layout->setSpacing(0);
  m_layout->addWidget(m_surface->Widget(), 1);
  m_layout->addWidget(m_bar);

  connect(m_bar, &CPlayerControlBar::PlayPauseClicked, this, &CMediaplayer::OnPlayPause);
  connect(m_bar, &CPlayerControlBar::StopClicked, this, &CMediaplayer::OnStop);
  connect(m_bar, &CPlayerControlBar::MuteClicked, this, &CMediaplayer::OnMute);
  connect(m_bar, &CPlayerControlBar::VolumeMoved, this, &CMediaplayer::OnVolume);

  if (!m_mpv) return;
  for (const Observation& observation : kObservations) {
    mpv_observe_property(m_mpv.get(), observation.id, observation.name, observation.format);
  }
  mpv_set_wakeup_callback(m_mpv.get(), &CMediaplayer::OnWakeup, this);
}

CMediaplayer::~CMediaplayer() {
  // Order matters: no more wake-ups, then the render context, then the engine.
  if (m_mpv) mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
  m_surface.reset();
  m_fullScreenWindow.reset();
  m_mpv.reset();
}

bool CMediaplayer::UsesOpenGl() const { return dynamic_cast<CGlVideoSurface*>(m_surface.get()) != nullptr; }

void CMediaplayer::SetURL(const QString& url) {
  m_url = url;
  LoadCurrentUrl();
  Apply(Event::kOpenRequested);
  if (!m_mpv) Apply(Event::kOpenFailed);
}

void CMediaplayer::LoadCurrentUrl() {
  ForgetCurrentEntry();
  if (!m_mpv) return;
  // A channel starts playing even if the one before was paused.
  SetFlag("pause", false);
  const QByteArray url = m_url.toUtf8();
  const char* args[] = {"loadfile", url.constData(), "replace", nullptr};
  m_awaitedLoad = ++m_loadCounter;
  mpv_command_async(m_mpv.get(), m_awaitedLoad, args);
}

void CMediaplayer::ForgetCurrentEntry() {
  m_awaitedLoad = 0;
  m_entryId = -1;
  m_lastEntryId = -1;
  m_entryStarted = false;
  m_entryLoaded = false;
  UpdatePicture();
}

void CMediaplayer::Apply(CPlayStateModel::Event event) {
  const int32_t openState = m_model.OpenState();
  const std::vector<int32_t> states = m_model.Apply(event);
  const int32_t now = m_model.PlayState();
  m_bar->SetPlaying(now == play_state::kTransitioning || now == play_state::kBuffering ||
                    now == play_state::kPlaying);
  QPointer<CMediaplayer> alive(this);
  if (m_model.OpenState() != openState) emit OpenStateChange(m_model.OpenState());
  for (const int32_t state : states) {
    if (!alive) return;
    emit PlayStateChange(state);
  }
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
      if (m_entryLoaded) Apply(Event::kStarted);
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
  UpdatePicture();
  if (end.reason == MPV_END_FILE_REASON_REDIRECT && end.playlist_insert_num_entries > 0) {
    // The address was a playlist: the engine goes on with its entries.
    m_entryId = end.playlist_insert_id;
    m_lastEntryId = end.playlist_insert_id + end.playlist_insert_num_entries - 1;
    return;
  }
  if ((end.reason == MPV_END_FILE_REASON_EOF || end.reason == MPV_END_FILE_REASON_ERROR) &&
      m_entryId < m_lastEntryId) {
    // The engine tries the playlist's next entry by itself.
    ++m_entryId;
    if (m_model.HasStarted()) Apply(Event::kOpenRequested);
    return;
  }
  const bool started = m_model.HasStarted();
  ForgetCurrentEntry();
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
      if (m_entryStarted) Apply(FlagValue(property) ? Event::kCacheEmpty : Event::kCacheFilled);
      return;
    case kVolume:
      if (property.format != MPV_FORMAT_DOUBLE) return;
      m_volume = static_cast<int>(std::lround(*static_cast<double*>(property.data)));
      m_bar->SetVolume(m_volume);
      return;
    case kMute:
      m_muted = FlagValue(property);
      m_bar->SetMuted(m_muted);
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
  if (!m_surface) return;
  VideoPicture picture = VideoPicture::kBlack;
  if (m_entryLoaded) picture = m_videoTrack == QLatin1String("no") ? VideoPicture::kStill : VideoPicture::kVideo;
  m_surface->SetPicture(picture);
}

void CMediaplayer::SetFlag(const char* name, bool value) {
  int flag = value ? 1 : 0;
  mpv_set_property_async(m_mpv.get(), 0, name, MPV_FORMAT_FLAG, &flag);
}

void CMediaplayer::OnPlayPause() {
  if (!m_mpv || m_url.isEmpty()) return;
  switch (m_model.PlayState()) {
    case play_state::kStopped:
    case play_state::kReady:
    case play_state::kMediaEnded:
    case play_state::kUndefined:
      // Nothing is open: play opens the address again.
      LoadCurrentUrl();
      Apply(Event::kOpenRequested);
      return;
    default:
      SetFlag("pause", !m_paused);
      return;
  }
}

void CMediaplayer::OnStop() {
  const int32_t state = m_model.PlayState();
  if (!m_mpv || state == play_state::kStopped || state == play_state::kUndefined) return;
  const char* args[] = {"stop", nullptr};
  mpv_command_async(m_mpv.get(), 0, args);
  // Whatever the stopped address still reports from now on is not news.
  ForgetCurrentEntry();
  Apply(Event::kStopped);
}

void CMediaplayer::OnMute() {
  if (m_mpv) SetFlag("mute", !m_muted);
}

void CMediaplayer::OnVolume(int volume) {
  if (!m_mpv) return;
  double value = volume;
  mpv_set_property_async(m_mpv.get(), 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void CMediaplayer::OnRenderLost() {
  if (m_videoTrack != QLatin1String("no")) m_lostVideoTrack = m_videoTrack;
}

void CMediaplayer::OnRenderReady() {
  // Video that could not start, or was taken down with the last render context, comes back.
  if (!m_mpv || !m_entryStarted || m_videoTrack != QLatin1String("no")) return;
  const QByteArray track = m_lostVideoTrack.isEmpty() ? QByteArray("auto") : m_lostVideoTrack.toUtf8();
  m_lostVideoTrack.clear();
  const char* value = track.constData();
  mpv_set_property_async(m_mpv.get(), 0, "vid", MPV_FORMAT_STRING, &value);
}

void CMediaplayer::SetUiMode(const QString& mode) {
  if (mode != QLatin1String("none") && mode != QLatin1String("mini")) return;
  m_uiMode = mode;
  m_bar->setHidden(mode == QLatin1String("none"));
}

void CMediaplayer::SetFullScreen(bool fullScreen) {
  if (fullScreen == m_fullScreen) return;
  m_fullScreen = fullScreen;
  QWidget* video = m_surface->Widget();
  if (fullScreen) {
    m_fullScreenWindow = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    m_fullScreenWindow->setPalette(palette());
    m_fullScreenWindow->setAutoFillBackground(true);
    m_fullScreenWindow->setContextMenuPolicy(Qt::PreventContextMenu);
    m_fullScreenWindow->setFocusPolicy(Qt::StrongFocus);
    m_fullScreenWindow->installEventFilter(this);
    auto* layout = new QVBoxLayout(m_fullScreenWindow.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_layout->removeWidget(video);
    layout->addWidget(video);
    m_fullScreenWindow->showFullScreen();
    m_fullScreenWindow->activateWindow();
    m_fullScreenWindow->setFocus();
    return;
  }
  m_layout->insertWidget(0, video, 1);
  video->show();
  // The window may be in the middle of delivering the event that ends full screen.
  m_fullScreenWindow.release()->deleteLater();
  window()->activateWindow();
}

bool CMediaplayer::eventFilter(QObject* watched, QEvent* event) {
  if (m_fullScreen) {
    const bool leave = event->type() == QEvent::MouseButtonDblClick ||
                       (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ||
                       (event->type() == QEvent::Close && watched == m_fullScreenWindow.get());
    if (leave) {
      event->ignore();
      SetFullScreen(false);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vantrel
