#pragma once
// The desktop's media controls (media keys, the panel's player widget) reach the program
// through MPRIS2 on the session bus: org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player
// at /org/mpris/MediaPlayer2, under the name org.mpris.MediaPlayer2.vantrel (another running
// copy takes ...vantrel.instance<pid>). Everything runs on the UI thread; without a session bus
// there are simply no media controls.
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "desktop/channel_zapper.h"

class QWidget;

namespace vantrel {

class CMediaplayer;

inline constexpr const char* kMprisObjectPath = "/org/mpris/MediaPlayer2";
inline constexpr const char* kMprisServiceName = "org.mpris.MediaPlayer2.vantrel";
inline constexpr const char* kDesktopEntryId = "org.vantrel.Vantrel";

class CMprisService : public QObject {
  Q_OBJECT

 public:
  // `step` plays the next (+1) or previous (-1) channel of the zapper's list, as the keyboard
  // does. `window` is raised by Raise and closed by Quit.
  CMprisService(CMediaplayer& player, const CChannelZapper& zapper, QWidget& window, std::function<void(int)> step);
  ~CMprisService() override;

  // Puts the object and the name on the session bus; false when there is no bus or the name
  // cannot be had. Safe to call once only.
  bool Register();
  QString ServiceName() const { return m_serviceName; }

  // A channel was handed to the player: the metadata and the navigation changed. `artUrl` is
  // the channel's logo when one is known.
  void TrackChanged(const QString& artUrl = {});

  // What the interfaces answer (also used by the adaptors).
  QString PlaybackStatus() const;
  QVariantMap Metadata() const;
  double Volume() const;
  void SetVolume(double volume);
  bool CanPlay() const;
  bool CanGoNext() const;
  CMediaplayer& Player() { return m_player; }
  QWidget& Window() { return m_window; }
  void Step(int step) { m_step(step); }

 private:
  void NotifyChanged(const QVariantMap& changed);

  CMediaplayer& m_player;
  const CChannelZapper& m_zapper;
  QWidget& m_window;
  std::function<void(int)> m_step;
  QString m_serviceName;
  QString m_artUrl;
  QString m_lastStatus;
  bool m_registered = false;
};

}  // namespace vantrel
