#include "catalogue/channel_search_model.h"

#include "base/qt_strings.h"
#include "catalogue/playlist/channel_matcher.h"
#include "catalogue/channel_tree_model.h"

namespace vantrel {

CStoreChannelMatcher::CStoreChannelMatcher() : m_matcher(std::make_unique<CChannelMatcher>()) {}

CStoreChannelMatcher::~CStoreChannelMatcher() = default;

void CStoreChannelMatcher::Index(std::span<const SearchItem> items) {
  m_matcher->Clear();
  size_t keyUnits = 0;
  for (const SearchItem& item : items)
    keyUnits += item.channel->name.size() + item.channel->genre.size() + item.channel->country.size() + 3;
  m_matcher->Reserve(items.size(), keyUnits * 2);
  for (const SearchItem& item : items) m_matcher->Add(item.channel->name, item.channel->genre, item.channel->country);
}

std::vector<uint32_t> CStoreChannelMatcher::Find(std::u16string_view query) { return m_matcher->Find(query); }

CChannelSearchModel::CChannelSearchModel(QObject* parent)
    : QAbstractListModel(parent), m_matcher(std::make_unique<CStoreChannelMatcher>()) {}

CChannelSearchModel::~CChannelSearchModel() = default;

void CChannelSearchModel::SetMatcher(std::unique_ptr<IChannelMatcher> matcher) {
  m_matcher = matcher ? std::move(matcher) : std::make_unique<CStoreChannelMatcher>();
  m_matcher->Index(m_items);
  Search(m_query);
}

void CChannelSearchModel::SetItems(std::vector<SearchItem> items, QString catalogueName, QStringList playlistTitles) {
  beginResetModel();
  m_hits.clear();
  m_items = std::move(items);
  m_catalogueName = std::move(catalogueName);
  m_playlistTitles = std::move(playlistTitles);
  m_matcher->Index(m_items);
  endResetModel();
  Search(m_query);
}

void CChannelSearchModel::Search(const QString& query) {
  m_query = query;
  // An empty query is no search (a matcher may take it for "everything").
  std::vector<uint32_t> hits = query.isEmpty() ? std::vector<uint32_t>() : m_matcher->Find(ToU16(query));
  // A matcher answering past the list would make the view read out of bounds.
  std::erase_if(hits, [this](uint32_t i) { return i >= m_items.size(); });
  beginResetModel();
  m_hits = std::move(hits);
  endResetModel();
}

QString CChannelSearchModel::SourceName(int source) const {
  if (source >= 0 && source < m_playlistTitles.size()) return m_playlistTitles[source];
  return m_catalogueName;
}

int CChannelSearchModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_hits.size());
}

QVariant CChannelSearchModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.parent().isValid() || static_cast<size_t>(index.row()) >= m_hits.size()) return {};
  const SearchItem& item = m_items[m_hits[static_cast<size_t>(index.row())]];
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(item.channel->name) + QStringLiteral(" — ") + SourceName(item.source);
    case Qt::ToolTipRole: {
      QStringList parts{SourceName(item.source)};
      for (const std::u16string* field : {&item.channel->genre, &item.channel->country})
        if (!field->empty()) parts << ToQString(*field);
      return parts.join(QStringLiteral(" · "));
    }
    case kChannelRole: return QVariant::fromValue(reinterpret_cast<quintptr>(item.channel));
    case kSourceRole: return item.source;
    default: return {};
  }
}

}  // namespace vantrel
