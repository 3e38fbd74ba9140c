#include <QUrl>
#include <algorithm>
#include <iterator>

#include "playback/mediaplayer.h"
#include "playback/play_state.h"
#include "playback/reconnect_indicator.h"

// How the player heals a live channel that broke off: attempts after growing pauses, a probe
// that cuts a pause short when the server is back, a watchdog for attempts and for streams
// that stall, and the notice over the video.

namespace vantrel {
namespace {

using Event = CPlayStateModel::Event;

// Pauses before the attempts to reopen a live stream; the last one repeats for as long as the
// channel stays chosen. A source that is merely restarting is back within the first few.
constexpr int kReconnectDelaysMs[] = {500, 1000, 2000, 4000, 8000, 15000};
// An attempt that has not started playing by then is given up for the next one (a server
// that accepts the connection but never answers).
constexpr int kAttemptLimitMs = 10000;
// A live stream that gets no data for this long is reopened as one that broke off.
constexpr int kStallLimitMs = 6000;
constexpr int kTickMs = 100;

}  // namespace

void CMediaplayer::SetUpReconnecting() {
  m_reconnectTimer.setSingleShot(true);
  connect(&m_reconnectTimer, &QTimer::timeout, this, &CMediaplayer::StartAttempt);
  m_attemptTimer.setSingleShot(true);
  connect(&m_attemptTimer, &QTimer::timeout, this, [this] {
    ForgetCurrentEntry();
    ScheduleAttempt();
  });
  m_stallTimer.setSingleShot(true);
  m_stallTimer.setInterval(kStallLimitMs);
  connect(&m_stallTimer, &QTimer::timeout, this, &CMediaplayer::OnStalled);
  m_reconnectTick.setInterval(kTickMs);
  connect(&m_reconnectTick, &QTimer::timeout, this, &CMediaplayer::OnReconnectTick);
  m_indicator = new CReconnectIndicator(m_surface->Widget());
}

void CMediaplayer::BeginReconnect() {
  m_stallTimer.stop();
  if (!m_probe) {
    const QUrl url(m_url);
    const int port = url.port(DefaultPortOfScheme(url.scheme().toLower().toStdString()));
    if (!url.host().isEmpty() && port > 0) {
      m_probe = std::make_unique<CConnectProbe>(url.host().toStdString(), port);
      m_probeReturns = 0;
    }
  }
  m_reconnectTick.start();
  ScheduleAttempt();
  Apply(Event::kReconnecting);
}

void CMediaplayer::ScheduleAttempt() {
  m_attemptTimer.stop();
  const int last = static_cast<int>(std::size(kReconnectDelaysMs)) - 1;
  m_reconnectTimer.start(kReconnectDelaysMs[std::min(m_reconnects++, last)]);
  OnReconnectTick();
}

void CMediaplayer::StartAttempt() {
  LoadCurrentUrl();
  m_attemptTimer.start(kAttemptLimitMs);
  OnReconnectTick();
}

void CMediaplayer::OnReconnectTick() {
  if (m_probe && m_probe->Returns() != m_probeReturns) {
    m_probeReturns = m_probe->Returns();
    // The server is back: the pause (or an attempt stuck on the dead connection) is over.
    StartAttempt();
    return;
  }
  const int left = m_reconnectTimer.isActive() ? (m_reconnectTimer.remainingTime() + 999) / 1000 : -1;
  m_indicator->ShowCountdown(left);
}

void CMediaplayer::OnStalled() {
  if (!m_entryStarted || m_model.PlayState() != play_state::kBuffering) return;
  ForgetCurrentEntry();
  BeginReconnect();
}

void CMediaplayer::OnFrameShown() {
  // The notice stays over the last picture until the reopened stream shows a frame.
  if (!m_indicator->isHidden() && !m_reconnectTick.isActive() && m_model.PlayState() != play_state::kReconnecting) {
    m_indicator->hide();
  }
}

void CMediaplayer::EndReconnect() {
  m_reconnectTimer.stop();
  m_attemptTimer.stop();
  m_reconnectTick.stop();
  m_stallTimer.stop();
  m_probe.reset();
  // Sound only: nothing to wait for.
  if (m_videoTrack == QLatin1String("no")) m_indicator->hide();
}

void CMediaplayer::StopHealing() {
  EndReconnect();
  m_indicator->hide();
}

}  // namespace vantrel
