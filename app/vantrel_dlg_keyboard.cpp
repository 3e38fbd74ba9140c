// The keyboard and the wheel, the remembered volume, zapping through the chosen list, and what
// the command line asked to open.
#include <QAbstractSlider>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <cstdio>

#include "app/vantrel_dlg.h"
#include "base/qt_strings.h"
#include "base/settings.h"

namespace vantrel {
namespace {

constexpr int kVolumeStep = 5;
constexpr const char* kPlayerSection = "Player";
constexpr const char* kVolumeEntry = "Volume";
constexpr const char* kMuteEntry = "Mute";

// Shift is allowed: on many layouts "+" is a shifted key.
bool PlainKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers other = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  return other == Qt::NoModifier;
}

CChannel ChannelFor(const OpenTarget& target) {
  CChannel channel;
  channel.name = ToU16(target.name);
  channel.URL = ToU16(target.location);
  return channel;
}

}  // namespace

// Keys are looked at before the focused control sees them: the tree would take letters,
// Page Up and Page Down for itself. A text field being typed in keeps its keys.
bool CVantrelDlg::eventFilter(QObject* watched, QEvent* event) {
  const bool input = event->type() == QEvent::KeyPress || event->type() == QEvent::Wheel;
  auto* widget = input ? qobject_cast<QWidget*>(watched) : nullptr;
  if (widget == nullptr || !IsOwnWindow(*widget)) return CSkinBaseDialog::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const auto* edit = qobject_cast<QLineEdit*>(widget);
    if ((edit == nullptr || edit->isReadOnly()) && OnShortcutKey(*static_cast<QKeyEvent*>(event))) return true;
  } else if (event->type() == QEvent::Wheel && qobject_cast<QAbstractSlider*>(widget) == nullptr &&
             (widget == &m_player || m_player.isAncestorOf(widget) || widget->window() != this)) {
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta != 0) {
      ChangeVolume(delta > 0 ? kVolumeStep : -kVolumeStep);
      return true;
    }
  }
  return CSkinBaseDialog::eventFilter(watched, event);
}

// This window and the player's full-screen window; not the message boxes and dialogs it opens.
bool CVantrelDlg::IsOwnWindow(const QWidget& widget) const {
  const QWidget* top = widget.window();
  return top == this || (m_player.GetFullScreen() && top->parentWidget() == &m_player);
}

bool CVantrelDlg::OnShortcutKey(const QKeyEvent& event) {
  if (!PlainKey(event)) return false;
  switch (event.key()) {
    case Qt::Key_F11:
    case Qt::Key_F:
      if (m_player.GetFullScreen())
        m_player.SetFullScreen(false);
      else
        OnFullScreen();
      return true;
    case Qt::Key_Escape:
      // In full screen Escape only leaves it; otherwise it ends the dialog (keyPressEvent).
      if (!m_player.GetFullScreen()) return false;
      m_player.SetFullScreen(false);
      return true;
    case Qt::Key_M: m_player.SetMuted(!m_player.IsMuted()); return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal: ChangeVolume(kVolumeStep); return true;
    case Qt::Key_Minus: ChangeVolume(-kVolumeStep); return true;
    case Qt::Key_PageUp: StepChannel(-1); return true;
    case Qt::Key_PageDown: StepChannel(+1); return true;
    case Qt::Key_Backspace: PlayChannelBefore(); return true;
    default: return false;
  }
}

void CVantrelDlg::ChangeVolume(int delta) { m_player.SetVolume(m_player.Volume() + delta); }

// Volume and mute as the last run left them; the engine confirms them like any change.
void CVantrelDlg::RestoreVolume() {
  bool ok = false;
  const int volume = GetProfileString(kPlayerSection, kVolumeEntry).toInt(&ok);
  if (ok) m_player.SetVolume(volume);
  if (GetProfileString(kPlayerSection, kMuteEntry) == QLatin1String("1")) m_player.SetMuted(true);
}

void CVantrelDlg::RememberVolume() {
  const QString volume = QString::number(m_player.Volume());
  const QString mute = m_player.IsMuted() ? QStringLiteral("1") : QStringLiteral("0");
  if (GetProfileString(kPlayerSection, kVolumeEntry) != volume) WriteProfileString(kPlayerSection, kVolumeEntry, volume);
  if (GetProfileString(kPlayerSection, kMuteEntry) != mute) WriteProfileString(kPlayerSection, kMuteEntry, mute);
}

void CVantrelDlg::PlayFromList(std::vector<CChannel> list, std::size_t index) {
  m_zapper.Choose(std::move(list), index);
  if (const CChannel* channel = m_zapper.Current()) PlayChannel(*channel);
}

void CVantrelDlg::StepChannel(int step) {
  if (const std::optional<CChannel> channel = m_zapper.Step(step)) PlayChannel(*channel);
}

void CVantrelDlg::PlayChannelBefore() {
  if (const std::optional<CChannel> channel = m_zapper.Back()) PlayChannel(*channel);
}

void CVantrelDlg::Open(const QString& argument) {
  const OpenTarget target = ResolveOpenTarget(argument, QDir::currentPath());
  switch (target.kind) {
    case OpenTarget::Kind::kNone: return;
    case OpenTarget::Kind::kStreamAddress:
    case OpenTarget::Kind::kLocalFile: OnOpenFile(target); return;
    case OpenTarget::Kind::kMissingFile:
      std::fprintf(stderr, "Vantrel: %s\n", MissingFileText(target.location).toLocal8Bit().constData());
      ShowStatusText(MissingFileText(target.location));
      return;
  }
}

// A playlist is imported (the shelf plays it at once when it turns out to be a stream); anything
// else goes to the player as it is.
void CVantrelDlg::OnOpenFile(const OpenTarget& target) {
  if (target.playlist)
    OpenPlaylist(target.location);
  else
    PlayFromList({ChannelFor(target)}, 0);
}

}  // namespace vantrel
