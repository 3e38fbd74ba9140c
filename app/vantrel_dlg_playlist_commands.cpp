// The user's playlists in the main window: opening (the open command, dropping a file or an
// address on the window), removing, and keeping the views in step with the shelf.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyle>

#include "app/vantrel_dlg.h"
#include "app/vantrel_dlg_playlist_chooser.h"
#include "base/message_box.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {

namespace {

// What a drop names: its first file or address, else its text's first line.
QString DroppedSource(const QMimeData& data) {
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
    if (url.isValid()) return url.toString();
  }
  if (data.hasText()) return data.text().section('\n', 0, 0).trimmed();
  return {};
}

}  // namespace

void CVantrelDlg::ConnectPlaylists() {
  setAcceptDrops(true);
  QAction* open = m_search.addAction(style()->standardIcon(QStyle::SP_DialogOpenButton), QLineEdit::TrailingPosition);
  open->setObjectName(QStringLiteral("openPlaylist"));
  open->setToolTip(ResString(res::IDS_OPEN_PLAYLIST));
  connect(open, &QAction::triggered, this, &CVantrelDlg::OnOpenPlaylistCommand);
  // Delete removes the playlist whose row is selected.
  auto* remove = new QAction(&m_tree);
  remove->setShortcut(Qt::Key_Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  m_tree.addAction(remove);
  connect(remove, &QAction::triggered, this, [this] {
    if (m_tree.SelectedPlaylist() >= 0) RemovePlaylist(m_tree.SelectedPlaylist());
  });
  m_tree.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&m_tree, &QWidget::customContextMenuRequested, this, &CVantrelDlg::ShowTreeMenu);
  connect(&m_playlists, &CPlaylistShelf::AboutToChange, this, &CVantrelDlg::OnPlaylistsAboutToChange);
  connect(&m_playlists, &CPlaylistShelf::Changed, this, &CVantrelDlg::OnPlaylistsChanged);
  connect(&m_playlists, &CPlaylistShelf::Failed, this, [this](const QString& message) {
    m_revealPlaylists = false;
    ShowSkinnedMessage(message, this);
  });
  connect(&m_playlists, &CPlaylistShelf::PlayStream, this, [this](const QString& address) {
    m_revealPlaylists = false;
    CChannel stream;
    stream.name = stream.URL = ToU16(address);
    PlayChannel(stream);
  });
  ConnectChannelCheck();
}

void CVantrelDlg::OnOpenPlaylistCommand() {
  const QString chosen = ChoosePlaylist(this);
  if (!chosen.isEmpty()) OpenPlaylist(chosen);
}

bool CVantrelDlg::OpenPlaylist(const QString& fileOrAddress) {
  // The playlist opened is shown once it is in, also when it arrives from an address later.
  m_revealPlaylists = true;
  return m_playlists.Open(fileOrAddress);
}

void CVantrelDlg::RemovePlaylist(int position) {
  const std::vector<ShownPlaylist>& shown = m_playlists.Playlists();
  if (position < 0 || static_cast<size_t>(position) >= shown.size()) return;
  const QString question = ResString(res::IDS_REMOVE_PLAYLIST_QUESTION).arg(ToQString(shown[position].title));
  if (ShowSkinnedMessage(question, this) != MsgResult::Ok) return;
  m_playlists.Remove(static_cast<size_t>(position));
}

// The views hold the shelf's records: they let go before the shelf changes them.
void CVantrelDlg::OnPlaylistsAboutToChange() {
  if (m_byPlaylists.isChecked()) m_tree.Fill({}, true);
  m_tree.SearchModel().SetItems({}, {}, {});
}

void CVantrelDlg::OnPlaylistsChanged() {
  if (m_revealPlaylists) {
    m_revealPlaylists = false;
    m_byPlaylists.setChecked(true);
  }
  if (m_byPlaylists.isChecked()) BuildTreeByPlaylists();
  RefillSearchItems();
}

void CVantrelDlg::ShowTreeMenu(const QPoint& at) {
  QMenu menu(this);
  menu.addAction(ResString(res::IDS_OPEN_PLAYLIST), this, &CVantrelDlg::OnOpenPlaylistCommand);
  const int playlist = m_tree.SelectedPlaylist();
  QAction* remove = menu.addAction(ResString(res::IDS_REMOVE_PLAYLIST), this, [this, playlist] { RemovePlaylist(playlist); });
  remove->setEnabled(playlist >= 0);
  // The row under the pointer, which a right click does not select.
  const QModelIndex under = m_tree.indexAt(at);
  const CChannel* channel = under.isValid() ? ChannelOfIndex(under) : m_tree.SelectedChannel();
  AddRecordActions(menu, channel);
  menu.addSeparator();
  QAction* guide = menu.addAction(ResString(res::IDS_GUIDE_OPEN));
  guide->setEnabled(channel != nullptr);
  // A copy: the tree may be rebuilt before the entry is chosen.
  if (channel != nullptr) connect(guide, &QAction::triggered, this, [this, chosen = *channel] { OpenGuideDayList(chosen); });
  menu.addAction(ResString(res::IDS_GUIDE_SOURCES), this, &CVantrelDlg::OpenGuideSources);
  menu.addSeparator();
  // The count is also here: the status line is hidden while a video plays.
  const QString checkText = m_channelCheck.IsRunning()
      ? ResString(res::IDS_STOP_CHECK).arg(m_channelCheck.Done()).arg(m_channelCheck.Total())
      : ResString(res::IDS_CHECK_CHANNELS);
  QAction* check = menu.addAction(checkText, this, &CVantrelDlg::OnCheckChannels);
  check->setObjectName(QStringLiteral("checkChannels"));
  menu.exec(m_tree.viewport()->mapToGlobal(at));
}

void CVantrelDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedSource(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CVantrelDlg::dropEvent(QDropEvent* event) {
  const QString source = DroppedSource(*event->mimeData());
  if (source.isEmpty()) return;
  event->acceptProposedAction();
  OpenPlaylist(source);
}

}  // namespace vantrel
