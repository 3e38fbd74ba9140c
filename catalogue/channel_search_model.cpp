#include "catalogue/channel_search_model.h"

#include <algorithm>

#include "base/qt_strings.h"
#include "catalogue/channel_tree.h"
#include "catalogue/channel_tree_model.h"

namespace vantrel {

namespace {

std::u16string Folded(std::u16string_view text) {
  std::u16string folded(text.size(), u'\0');
  // A 0 inside a field must not look like the end of an item.
  std::transform(text.begin(), text.end(), folded.begin(), [](char16_t c) { return c == 0 ? u' ' : FoldLetter(c); });
  return folded;
}

}  // namespace

void CFoldedTextMatcher::Index(std::span<const SearchItem> items) {
  m_text.clear();
  m_starts.clear();
  m_starts.reserve(items.size() + 1);
  m_lastQuery.clear();
  m_lastHits.clear();
  for (const SearchItem& item : items) {
    m_starts.push_back(static_cast<uint32_t>(m_text.size()));
    // Fields are apart by a 1, so that a query never joins the end of one to the next.
    for (const std::u16string* field : {&item.channel->name, &item.channel->genre, &item.channel->country}) {
      m_text += Folded(*field);
      m_text += u'\x01';
    }
    m_text.back() = u'\0';
  }
  m_starts.push_back(static_cast<uint32_t>(m_text.size()));
}

std::vector<uint32_t> CFoldedTextMatcher::Find(std::u16string_view query) {
  std::u16string folded = Folded(query);
  std::erase(folded, u'\x01');
  std::vector<uint32_t> hits;
  if (folded.empty()) {
    m_lastQuery.clear();
    m_lastHits.clear();
    return hits;
  }
  const std::u16string_view all(m_text);
  auto itemText = [&](uint32_t i) { return all.substr(m_starts[i], m_starts[i + 1] - m_starts[i]); };
  if (!m_lastQuery.empty() && folded.starts_with(m_lastQuery)) {
    for (const uint32_t i : m_lastHits)
      if (itemText(i).find(folded) != std::u16string_view::npos) hits.push_back(i);
  } else {
    // One pass over all the text; a hit moves on to the next item.
    size_t at = all.find(folded);
    while (at != std::u16string_view::npos) {
      const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), static_cast<uint32_t>(at));
      hits.push_back(static_cast<uint32_t>(next - m_starts.begin() - 1));
      at = all.find(folded, *next);
    }
  }
  m_lastQuery = std::move(folded);
  m_lastHits = hits;
  return hits;
}

CChannelSearchModel::CChannelSearchModel(QObject* parent)
    : QAbstractListModel(parent), m_matcher(std::make_unique<CFoldedTextMatcher>()) {}

CChannelSearchModel::~CChannelSearchModel() = default;

void CChannelSearchModel::SetMatcher(std::unique_ptr<IChannelMatcher> matcher) {
  m_matcher = matcher ? std::move(matcher) : std::make_unique<CFoldedTextMatcher>();
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
  std::vector<uint32_t> hits = m_matcher->Find(ToU16(query));
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
