#pragma once
// The player control of the main window: it opens and plays a stream address by itself and
// reports its progress as play-state changes. Everything here runs on the UI thread; the
// engine (libmpv) works on its own threads and only wakes the UI thread up, through a queued
// call that drains its events. Apart from construction and destruction, no call here waits
// for the engine.

#include <QPointer>
#include <QTimer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>

#include "playback/connect_probe.h"
#include "playback/mpv_engine.h"
#include "playback/play_state_model.h"
#include "playback/video_surface.h"

class QVBoxLayout;

namespace vantrel {

class CPlayerControlBar;
class CReconnectIndicator;

class CMediaplayer : public QWidget {
  Q_OBJECT
 public:
  explicit CMediaplayer(QWidget* parent = nullptr);
  ~CMediaplayer() override;

  // Stops what plays, then opens and plays `url`; returns at once with play state 9
  // (transitioning) published. Progress follows as PlayStateChange signals. Reports about
  // an address put earlier are dropped, so a zap shows only the new address's states.
  void SetURL(const QString& url);
  // The same, with what the address's HTTP requests carry: `userAgent` as the User-Agent
  // header and `referrer` as the Referer header, for this address only (reopening it included);
  // empty ones send the engine's defaults (its own user agent, no Referer). An address put
  // without them sends the defaults again. A value holding a control character is not sent.
  void SetURL(const QString& url, const QString& userAgent, const QString& referrer);
  // The address put last; empty before the first put.
  QString GetURL() const { return m_url; }
  // The headers put with it.
  QString UserAgent() const { return m_userAgent; }
  QString Referrer() const { return m_referrer; }

  // The current play state (3 playing, 6 buffering, 9 transitioning, 10 ready, ...).
  int32_t GetPlayState() const { return m_model.PlayState(); }

  // Whether the video fills the screen. Putting true shows it full screen; the user leaves
  // with Escape or a double click (or by putting false).
  bool GetFullScreen() const { return m_fullScreen; }
  void SetFullScreen(bool fullScreen);

  // "none": the video area only; "mini": video with the compact control bar (the mode the
  // player starts in). Other values are ignored.
  void SetUiMode(const QString& mode);
  QString GetUiMode() const { return m_uiMode; }

  // The engine's volume (0-100, starts at 50) and mute (starts off), as last reported.
  int Volume() const { return m_volume; }
  bool IsMuted() const { return m_muted; }

  // The control bar's commands, for the keyboard and the desktop's media controls: play or
  // pause (a stopped address opens again), stop, volume (clamped to 0-100) and mute.
  void PlayPause() { OnPlayPause(); }
  void Stop() { OnStop(); }
  void SetVolume(int volume);
  void SetMuted(bool muted);

  // Whether the OpenGL path is in use (else the software renderer).
  bool UsesOpenGl() const;

  // A live channel that breaks off (its source ends, fails or sends nothing for seconds) is
  // reopened after growing pauses for as long as its address stays put; a notice over the
  // video counts down to the next attempt and goes with the first new frame. Putting an
  // address, stop and destruction end the attempts. While the source's server is away,
  // a connection probe watches for its return, and the next attempt starts then, pause or not.

 signals:
  void PlayStateChange(int32_t newState);
  void OpenStateChange(int32_t newState);
  // A new video frame was drawn over the video area.
  void FrameRendered();
  // The engine reported a new volume or mute.
  void VolumeChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ObserveEngine();
  static void OnWakeup(void* self);
  void DrainEvents();
  void HandleEvent(const mpv_event& event);
  void HandleEndFile(const mpv_event_end_file& end);
  void HandlePropertyChange(uint64_t id, const mpv_event_property& property);
  void Apply(CPlayStateModel::Event event);
  void SetUpReconnecting();
  void BeginReconnect();
  void ScheduleAttempt();
  void StartAttempt();
  void OnReconnectTick();
  void OnStalled();
  void OnFrameShown();
  void EndReconnect();
  void StopHealing();
  void UpdatePicture();
  void LoadCurrentUrl();
  void ForgetCurrentEntry();

  void OnPlayPause();
  void OnStop();
  void OnMute();
  void OnVolume(int volume);
  void OnRenderReady();
  void OnRenderLost();

  void SetFlag(const char* name, bool value);

  MpvHandle m_mpv;
  std::unique_ptr<IVideoSurface> m_surface;
  CPlayerControlBar* m_bar = nullptr;
  QVBoxLayout* m_layout = nullptr;
  QWidget* m_fullScreenWindow = nullptr;  // a child window, while full screen
  std::atomic<bool> m_wakeupPending{false};
  bool m_draining = false;

  QString m_url;
  QString m_userAgent;
  QString m_referrer;
  CPlayStateModel m_model;
  uint64_t m_applyGeneration = 0;
  // The engine's playlist entry of the address put last, known once the load is accepted;
  // events of other entries belong to earlier addresses.
  uint64_t m_loadCounter = 0;
  uint64_t m_awaitedLoad = 0;  // the reply that names the entry; 0: none awaited
  int64_t m_entryId = -1;
  int64_t m_lastEntryId = -1;  // a playlist address owns the entries up to this one
  bool m_entryStarted = false;
  bool m_entryLoaded = false;

  QTimer m_reconnectTimer;  // the pause before the next attempt
  QTimer m_attemptTimer;    // gives up an attempt that hangs
  QTimer m_reconnectTick;   // counts down on the notice and looks at the probe
  QTimer m_stallTimer;      // a live stream that waits too long for data is reopened
  std::unique_ptr<CConnectProbe> m_probe;
  int m_probeReturns = 0;
  CReconnectIndicator* m_indicator = nullptr;
  int m_reconnects = 0;  // attempts since the stream last played
  bool m_live = false;

  QString m_uiMode = QStringLiteral("mini");
  QString m_videoTrack;  // the engine's "vid": a track number or "no"
  QString m_lostVideoTrack;
  int m_volume = 50;
  bool m_muted = false;
  bool m_paused = false;
  bool m_fullScreen = false;
};

}  // namespace vantrel
