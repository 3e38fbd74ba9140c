// The catalogue tree, the channel details, the favourites and handing a channel to the player.
#include "base/qt_strings.h"
#include "app/vantrel_dlg.h"
#include "catalogue/channel_list.h"
#include "playback/play_state.h"
#include "resources/resource.h"

namespace vantrel {

void CVantrelDlg::BuildTreeByCountries() { m_tree.Fill(BuildChannelTree(GetChannelList(), ChannelGrouping::kByCountry)); }

void CVantrelDlg::BuildTreeByGenres() { m_tree.Fill(BuildChannelTree(GetChannelList(), ChannelGrouping::kByGenre)); }

void CVantrelDlg::BuildTreeByPlaylists() { m_tree.Fill(BuildPlaylistTree(m_playlists.Sources()), true); }

void CVantrelDlg::RebuildCheckedTree() {
  if (m_byPlaylists.isChecked()) BuildTreeByPlaylists();
  else if (m_byGenres.isChecked()) BuildTreeByGenres();
  else BuildTreeByCountries();
}

void CVantrelDlg::FillFavoritesList() { m_favorites.Fill(GetChannelList().favorites); }

void CVantrelDlg::PlayChannel(const CChannel& channel) {
  m_player.SetURL(ToQString(channel.URL), ToQString(channel.userAgent), ToQString(channel.referrer));
  ShowStatusText(ResString(res::IDS_CONNECTING));
  m_heart.setEnabled(true);
  if (m_mpris) m_mpris->TrackChanged();
}

void CVantrelDlg::OnPlayStateChange(int32_t newState) {
  const std::optional<PlayStateView> view = ViewForPlayState(newState);
  if (!view) return;
  ShowStatusText(ResString(view->statusStringId));
  m_record.setEnabled(view->recordEnabled);
}

// A group keeps the details of the channel shown before.
void CVantrelDlg::OnTreeSelectionChanged() {
  m_alwaysOnTop.show();
  const CChannel* channel = m_tree.SelectedChannel();
  if (channel == nullptr) return;
  ShowChannelDetails(*channel, m_tree.SelectedSource() != kCatalogueSource);
}

// A playlist gives no description, site or bit rate: its channel shows its group and address.
void CVantrelDlg::ShowChannelDetails(const CChannel& channel, bool fromPlaylist) {
  if (fromPlaylist) {
    m_description.setPlainText(ResString(res::IDS_GROUP_DETAIL) + ToQString(channel.genre) + '\n' +
                               ResString(res::IDS_ADDRESS_DETAIL) + ToQString(channel.URL));
    m_siteUrl.setText(ToQString(channel.URL));
    m_bitRate.clear();
  } else {
    m_description.setPlainText(ToQString(channel.description));
    m_siteUrl.setText(ToQString(channel.site_URL));
    m_bitRate.setText(QString::number(channel.BPS) + QStringLiteral(" KBits/s"));
  }
  // Long texts show their beginning, as a fresh edit does.
  m_siteUrl.setCursorPosition(0);
  m_bitRate.setCursorPosition(0);
  ShowGuideFor(channel);
  ShowChannelLogo(channel, fromPlaylist);
}

// A group only opens or closes, which the tree does by itself.
// The channels of the chosen one's group, in tree order, are the list Page Up and Page Down
// go through.
void CVantrelDlg::OnTreeDoubleClick() {
  const QItemSelectionModel* selection = m_tree.selectionModel();
  const QModelIndexList selected = selection != nullptr ? selection->selectedIndexes() : QModelIndexList{};
  const QModelIndex chosen = selected.isEmpty() ? QModelIndex() : selected.front();
  if (ChannelOfIndex(chosen) == nullptr) return;
  const QModelIndex group = chosen.parent();
  const QAbstractItemModel& model = *m_tree.model();
  std::vector<CChannel> list;
  std::size_t index = 0;
  for (int i = 0; i < model.rowCount(group); ++i) {
    const QModelIndex row = model.index(i, 0, group);
    const CChannel* channel = ChannelOfIndex(row);
    if (channel == nullptr) continue;
    if (row == chosen) index = list.size();
    list.push_back(*channel);
  }
  PlayFromList(std::move(list), index);
}

void CVantrelDlg::OnFavoritesClick() { m_unheart.setEnabled(m_favorites.SelectionMark() >= 0); }

void CVantrelDlg::OnFavoritesDoubleClick() {
  const int mark = m_favorites.SelectionMark();
  const std::vector<CChannel>& favorites = GetChannelList().favorites;
  if (mark < 0 || static_cast<size_t>(mark) >= favorites.size()) return;
  PlayFromList(favorites, static_cast<size_t>(mark));
}

// Adding the channel already there changes nothing but still refills and rewrites.
void CVantrelDlg::OnHeart() {
  const CChannel* channel = m_tree.SelectedChannel();
  if (channel == nullptr) return;
  CChannelList& store = GetChannelList();
  store.AddFavorite(*channel);
  FillFavoritesList();
  store.SaveFavorites();
}

void CVantrelDlg::OnUnheart() {
  const int mark = m_favorites.SelectionMark();
  if (mark < 0) return;
  CChannelList& store = GetChannelList();
  store.RemoveFavorite(static_cast<size_t>(mark));
  FillFavoritesList();
  store.SaveFavorites();
  m_unheart.setEnabled(false);
}

}  // namespace vantrel
