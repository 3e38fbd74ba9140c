#include "desktop/mpris.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <unistd.h>

#include "base/qt_strings.h"
#include "desktop/mpris_adaptors.h"
#include "playback/mediaplayer.h"
#include "playback/play_state.h"

namespace vantrel {
namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

QStringList NonEmpty(const QString& text) { return text.isEmpty() ? QStringList{} : QStringList{text}; }

}  // namespace

CMprisService::CMprisService(CMediaplayer& player, const CChannelZapper& zapper, QWidget& window,
                             std::function<void(int)> step)
    : m_player(player), m_zapper(zapper), m_window(window), m_step(std::move(step)) {
  new CMprisRootAdaptor(*this);
  new CMprisPlayerAdaptor(*this);
  connect(&m_player, &CMediaplayer::PlayStateChange, this, [this] {
    const QString status = PlaybackStatus();
    if (status == m_lastStatus) return;
    m_lastStatus = status;
    NotifyChanged({{QStringLiteral("PlaybackStatus"), status}});
  });
  connect(&m_player, &CMediaplayer::VolumeChanged, this,
          [this] { NotifyChanged({{QStringLiteral("Volume"), Volume()}}); });
}

CMprisService::~CMprisService() {
  if (!m_registered) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(m_serviceName);
  bus.unregisterObject(QString::fromLatin1(kMprisObjectPath));
}

bool CMprisService::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (m_registered || !bus.isConnected()) return false;
  if (!bus.registerObject(QString::fromLatin1(kMprisObjectPath), this, QDBusConnection::ExportAdaptors)) return false;
  m_serviceName = QString::fromLatin1(kMprisServiceName);
  if (!bus.registerService(m_serviceName)) {
    m_serviceName += QStringLiteral(".instance") + QString::number(::getpid());
    if (!bus.registerService(m_serviceName)) {
      bus.unregisterObject(QString::fromLatin1(kMprisObjectPath));
      return false;
    }
  }
  m_lastStatus = PlaybackStatus();
  m_registered = true;
  return true;
}

void CMprisService::TrackChanged(const QString& artUrl) {
  m_artUrl = artUrl;
  m_lastStatus = PlaybackStatus();
  NotifyChanged({{QStringLiteral("Metadata"), Metadata()},
                 {QStringLiteral("PlaybackStatus"), m_lastStatus},
                 {QStringLiteral("CanPlay"), CanPlay()},
                 {QStringLiteral("CanPause"), CanPlay()},
                 {QStringLiteral("CanGoNext"), CanGoNext()},
                 {QStringLiteral("CanGoPrevious"), CanGoNext()}});
}

// A channel being opened, buffering or waiting for its stream counts as playing: that is
// what the user asked for and what the desktop should offer to pause.
QString CMprisService::PlaybackStatus() const {
  switch (m_player.GetPlayState()) {
    case play_state::kPlaying:
    case play_state::kBuffering:
    case play_state::kWaiting:
    case play_state::kTransitioning:
    case play_state::kReconnecting:
      return QStringLiteral("Playing");
    case play_state::kPaused:
      return QStringLiteral("Paused");
    default:
      return QStringLiteral("Stopped");
  }
}

QVariantMap CMprisService::Metadata() const {
  const CChannel* channel = m_zapper.Current();
  if (channel == nullptr)
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
  // The channel's group (its country in the catalogue) is what desktops show under the title.
  QVariantMap map{
      {QStringLiteral("mpris:trackid"),
       QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vantrel/Vantrel/channel/%1").arg(channel->id < 0 ? 0 : channel->id)))},
      {QStringLiteral("xesam:title"), ToQString(channel->name)},
      {QStringLiteral("xesam:artist"), NonEmpty(ToQString(channel->country))},
      {QStringLiteral("xesam:album"), ToQString(channel->country)},
      {QStringLiteral("xesam:genre"), NonEmpty(ToQString(channel->genre))},
      {QStringLiteral("xesam:url"), ToQString(channel->URL)},
  };
  if (!m_artUrl.isEmpty()) map.insert(QStringLiteral("mpris:artUrl"), m_artUrl);
  return map;
}

double CMprisService::Volume() const { return m_player.IsMuted() ? 0.0 : m_player.Volume() / 100.0; }

// The desktop's volume is 0.0-1.0; anything outside is clamped, as MPRIS asks.
void CMprisService::SetVolume(double volume) {
  const int percent = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
  if (m_player.IsMuted() && percent > 0) m_player.SetMuted(false);
  m_player.SetVolume(percent);
}

bool CMprisService::CanPlay() const { return !m_player.GetURL().isEmpty(); }

bool CMprisService::CanGoNext() const { return m_zapper.CanStep(); }

void CMprisService::NotifyChanged(const QVariantMap& changed) {
  if (!m_registered) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kMprisObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList{};
  QDBusConnection::sessionBus().send(signal);
}

// --- the adaptors ---------------------------------------------------------------------------

CMprisRootAdaptor::CMprisRootAdaptor(CMprisService& service) : QDBusAbstractAdaptor(&service), m_service(service) {}

QString CMprisRootAdaptor::Identity() const { return QStringLiteral("Vantrel"); }
QString CMprisRootAdaptor::DesktopEntry() const { return QString::fromLatin1(kDesktopEntryId); }
QStringList CMprisRootAdaptor::SupportedUriSchemes() const { return {}; }
QStringList CMprisRootAdaptor::SupportedMimeTypes() const { return {}; }

void CMprisRootAdaptor::Raise() {
  QWidget& window = m_service.Window();
  if (window.isMinimized()) window.showNormal();
  window.raise();
  window.activateWindow();
}

void CMprisRootAdaptor::Quit() { m_service.Window().close(); }

CMprisPlayerAdaptor::CMprisPlayerAdaptor(CMprisService& service) : QDBusAbstractAdaptor(&service), m_service(service) {}

QString CMprisPlayerAdaptor::PlaybackStatus() const { return m_service.PlaybackStatus(); }
QVariantMap CMprisPlayerAdaptor::Metadata() const { return m_service.Metadata(); }
double CMprisPlayerAdaptor::Volume() const { return m_service.Volume(); }
void CMprisPlayerAdaptor::SetVolume(double volume) { m_service.SetVolume(volume); }
bool CMprisPlayerAdaptor::CanGoNext() const { return m_service.CanGoNext(); }
bool CMprisPlayerAdaptor::CanPlay() const { return m_service.CanPlay(); }

void CMprisPlayerAdaptor::Next() { m_service.Step(+1); }
void CMprisPlayerAdaptor::Previous() { m_service.Step(-1); }
void CMprisPlayerAdaptor::PlayPause() { m_service.Player().PlayPause(); }
void CMprisPlayerAdaptor::Stop() { m_service.Player().Stop(); }

void CMprisPlayerAdaptor::Pause() {
  if (m_service.PlaybackStatus() == QLatin1String("Playing")) m_service.Player().PlayPause();
}

void CMprisPlayerAdaptor::Play() {
  if (m_service.PlaybackStatus() != QLatin1String("Playing")) m_service.Player().PlayPause();
}

}  // namespace vantrel
