// The search field above the tree: every source's channels filtered as the user types, shown
// as a flat list in the tree's place.
#include "app/vantrel_dlg.h"
#include "base/qt_strings.h"
#include "catalogue/channel_list.h"
#include "resources/resource.h"

namespace vantrel {

void CVantrelDlg::ConnectSearch() {
  m_search.setPlaceholderText(ResString(res::IDS_SEARCH_HINT));
  connect(&m_search, &QLineEdit::textChanged, this, &CVantrelDlg::OnSearchEdited);
  connect(&m_search, &CChannelSearchField::Accepted, this, &CVantrelDlg::OnSearchAccepted);
  connect(&m_search, &CChannelSearchField::Step, &m_tree, &CChannelTreeView::StepResult);
}

void CVantrelDlg::RefillSearchItems() {
  const CChannelList& store = GetChannelList();
  std::vector<SearchItem> items;
  size_t total = store.channels.size();
  for (const ShownPlaylist& playlist : m_playlists.Playlists()) total += playlist.channels.size();
  items.reserve(total);
  for (const CChannel& channel : store.channels) items.push_back({&channel, kCatalogueSource});
  QStringList titles;
  for (const ShownPlaylist& playlist : m_playlists.Playlists()) {
    for (const CChannel& channel : playlist.channels) items.push_back({&channel, static_cast<int>(titles.size())});
    titles << ToQString(playlist.title);
  }
  m_tree.SearchModel().SetItems(std::move(items), ResString(res::IDS_CATALOGUE_SOURCE), std::move(titles));
  if (m_tree.IsShowingSearchResults()) m_tree.ShowSearchResults(true);
}

// Blanks around the text are not part of what is looked for; nothing but blanks is no search.
void CVantrelDlg::OnSearchEdited(const QString& text) {
  const QString query = text.trimmed();
  m_tree.SearchModel().Search(query);
  m_tree.ShowSearchResults(!query.isEmpty());
}

// The current result starts as the first; the arrow keys move it.
void CVantrelDlg::OnSearchAccepted() {
  if (!m_tree.IsShowingSearchResults()) return;
  if (const CChannel* channel = m_tree.SelectedChannel()) PlayChannel(*channel);
}

}  // namespace vantrel
