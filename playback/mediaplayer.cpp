#include "playback/mediaplayer.h"

#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "playback/gl_video_surface.h"
#include "playback/play_state.h"
#include "playback/player_control_bar.h"
#include "playback/reconnect_indicator.h"

namespace vantrel {
namespace {

using Event = CPlayStateModel::Event;

// A header value must stay on its line: one with a control character is dropped.
QByteArray HeaderValue(const QString& value) {
  for (const QChar c : value) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return {};
  }
  return value.toUtf8();
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
  hooks.frameRendered = [this] {
    OnFrameShown();
    emit FrameRendered();
  };
  hooks.renderReady = [this] { OnRenderReady(); };
  hooks.renderLost = [this] { OnRenderLost(); };
  m_surface = CreateVideoSurface(m_mpv.get(), std::move(hooks), this);
  m_surface->Widget()->setObjectName("video");
  m_surface->Widget()->installEventFilter(this);
  m_bar = new CPlayerControlBar(this);
  m_bar->setObjectName("controlBar");
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

  SetUpReconnecting();
  ObserveEngine();
}

CMediaplayer::~CMediaplayer() {
  // Order matters: no more wake-ups, then the render context, then the engine.
  if (m_mpv) mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
  m_surface.reset();
  m_mpv.reset();
}

bool CMediaplayer::UsesOpenGl() const { return dynamic_cast<CGlVideoSurface*>(m_surface.get()) != nullptr; }

void CMediaplayer::SetURL(const QString& url) { SetURL(url, QString(), QString()); }

void CMediaplayer::SetURL(const QString& url, const QString& userAgent, const QString& referrer) {
  StopHealing();
  m_url = url;
  m_userAgent = userAgent;
  m_referrer = referrer;
  m_reconnects = 0;
  LoadCurrentUrl();
  UpdatePicture();
  Apply(Event::kOpenRequested);
  if (!m_mpv) Apply(Event::kOpenFailed);
}

void CMediaplayer::LoadCurrentUrl() {
  ForgetCurrentEntry();
  if (!m_mpv) return;
  // A channel starts playing even if the one before was paused.
  SetFlag("pause", false);
  QByteArray url = m_url.toUtf8();
  // Options of this entry only: the engine puts its own back when the entry ends, so one
  // channel's headers never go with the next. Given as a map, so no value needs quoting.
  // Without a render context (a GL surface not shown yet) video would fail the whole stream:
  // it starts without, and video is added when the context comes (OnRenderReady).
  const QByteArray userAgent = HeaderValue(m_userAgent);
  const QByteArray referrer = HeaderValue(m_referrer);
  std::vector<std::pair<const char*, const char*>> entryOptions;
  if (!m_surface->CanRender()) entryOptions.emplace_back("vid", "no");
  if (!userAgent.isEmpty()) entryOptions.emplace_back("user-agent", userAgent.constData());
  if (!referrer.isEmpty()) entryOptions.emplace_back("referrer", referrer.constData());
  std::vector<char*> optionKeys;
  std::vector<mpv_node> optionValues;
  for (const auto& [key, value] : entryOptions) {
    optionKeys.push_back(const_cast<char*>(key));
    mpv_node node;
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(value);
    optionValues.push_back(node);
  }
  mpv_node_list optionList{static_cast<int>(entryOptions.size()), optionValues.data(), optionKeys.data()};
  char* keys[] = {const_cast<char*>("name"), const_cast<char*>("url"), const_cast<char*>("flags"),
                  const_cast<char*>("options")};
  mpv_node values[4];
  const char* texts[] = {"loadfile", url.constData(), "replace"};
  for (int i = 0; i < 3; ++i) {
    values[i].format = MPV_FORMAT_STRING;
    values[i].u.string = const_cast<char*>(texts[i]);
  }
  values[3].format = MPV_FORMAT_NODE_MAP;
  values[3].u.list = &optionList;
  mpv_node_list list{4, values, keys};
  mpv_node command;
  command.format = MPV_FORMAT_NODE_MAP;
  command.u.list = &list;
  m_awaitedLoad = ++m_loadCounter;
  mpv_command_node_async(m_mpv.get(), m_awaitedLoad, &command);
}

void CMediaplayer::ForgetCurrentEntry() {
  m_reconnectTimer.stop();
  m_awaitedLoad = 0;
  m_entryId = -1;
  m_lastEntryId = -1;
  m_entryStarted = false;
  m_entryLoaded = false;
}

void CMediaplayer::Apply(CPlayStateModel::Event event) {
  const int32_t openState = m_model.OpenState();
  const std::vector<int32_t> states = m_model.Apply(event);
  const int32_t now = m_model.PlayState();
  m_bar->SetPlaying(now == play_state::kTransitioning || now == play_state::kBuffering ||
                    now == play_state::kPlaying || now == play_state::kReconnecting);
  // A slot may put a new address (after "media ended", say): what this call still had to
  // publish is then out of date and must not follow the new address's states.
  const uint64_t generation = ++m_applyGeneration;
  QPointer<CMediaplayer> alive(this);
  if (m_model.OpenState() != openState) emit OpenStateChange(m_model.OpenState());
  for (const int32_t state : states) {
    if (!alive || generation != m_applyGeneration) return;
    emit PlayStateChange(state);
  }
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
      StopHealing();
      m_reconnects = 0;
      LoadCurrentUrl();
      UpdatePicture();
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
  StopHealing();
  ForgetCurrentEntry();
  UpdatePicture();
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

void CMediaplayer::SetVolume(int volume) { OnVolume(std::clamp(volume, 0, 100)); }

void CMediaplayer::SetMuted(bool muted) {
  if (m_mpv) SetFlag("mute", muted);
}

void CMediaplayer::OnRenderLost() {
  if (m_entryStarted && m_videoTrack != QLatin1String("no")) m_lostVideoTrack = m_videoTrack;
}

void CMediaplayer::OnRenderReady() {
  // Video that could not start without a render context, or went with the last one, is
  // started again: deselected (should the engine still hold the dead track) and selected.
  if (!m_mpv || !m_entryStarted) return;
  if (m_lostVideoTrack.isEmpty() && m_videoTrack != QLatin1String("no")) return;
  const QByteArray track = m_lostVideoTrack.isEmpty() ? QByteArray("auto") : m_lostVideoTrack.toUtf8();
  m_lostVideoTrack.clear();
  for (const char* value : {"no", track.constData()}) {
    mpv_set_property_async(m_mpv.get(), 0, "vid", MPV_FORMAT_STRING, &value);
  }
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
    // A window of its own, owned by the player so that it goes with it.
    m_fullScreenWindow = new QWidget(this, Qt::Window | Qt::FramelessWindowHint);
    m_fullScreenWindow->setPalette(palette());
    m_fullScreenWindow->setAutoFillBackground(true);
    m_fullScreenWindow->setContextMenuPolicy(Qt::PreventContextMenu);
    m_fullScreenWindow->setFocusPolicy(Qt::StrongFocus);
    m_fullScreenWindow->installEventFilter(this);
    auto* layout = new QVBoxLayout(m_fullScreenWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    m_layout->removeWidget(video);
    layout->addWidget(video);
    // Sized here too: without a window manager nobody else gives it the screen's size.
    m_fullScreenWindow->setGeometry(screen()->geometry());
    m_fullScreenWindow->showFullScreen();
    m_fullScreenWindow->activateWindow();
    m_fullScreenWindow->setFocus();
    return;
  }
  m_layout->insertWidget(0, video, 1);
  video->show();
  // The window may be in the middle of delivering the event that ends full screen.
  m_fullScreenWindow->deleteLater();
  m_fullScreenWindow = nullptr;
  window()->activateWindow();
}

bool CMediaplayer::eventFilter(QObject* watched, QEvent* event) {
  if (m_fullScreen) {
    const bool leave = event->type() == QEvent::MouseButtonDblClick ||
                       (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ||
                       (event->type() == QEvent::Close && watched == m_fullScreenWindow);
    if (leave) {
      event->ignore();
      SetFullScreen(false);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vantrel
