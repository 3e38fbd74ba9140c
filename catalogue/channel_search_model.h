#pragma once
// The search field's results: a flat list of the channels of every source whose name, group or
// country holds what was typed, each showing where it comes from. The list is a model over the
// matcher's answer (positions into the channels given), not one item per channel.
#include <QAbstractListModel>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/channel.h"

namespace vantrel {

class CChannelMatcher;

// A channel search can find, and where it comes from (kCatalogueSource or a playlist's position).
struct SearchItem {
  const CChannel* channel = nullptr;
  int source = -1;
};

// Finds channels by typed text. Index() is given every channel whenever the sources change and
// may keep what it needs of them; Find() answers positions into that list, in list order.
class IChannelMatcher {
 public:
  virtual ~IChannelMatcher() = default;
  virtual void Index(std::span<const SearchItem> items) = 0;
  virtual std::vector<uint32_t> Find(std::u16string_view query) = 0;
};

// The program's matcher: CChannelMatcher (catalogue/playlist) over the items' name, group and
// country.
class CStoreChannelMatcher : public IChannelMatcher {
 public:
  CStoreChannelMatcher();
  ~CStoreChannelMatcher() override;
  void Index(std::span<const SearchItem> items) override;
  std::vector<uint32_t> Find(std::u16string_view query) override;

 private:
  std::unique_ptr<CChannelMatcher> m_matcher;
};

class CChannelSearchModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit CChannelSearchModel(QObject* parent = nullptr);
  ~CChannelSearchModel() override;

  // Replaces the matcher (nullptr restores CStoreChannelMatcher) and indexes the items again.
  void SetMatcher(std::unique_ptr<IChannelMatcher> matcher);
  // The channels searched, and the names shown for their sources: `playlistTitles[i]` for
  // source i, `catalogueName` for the catalogue. The records must outlive the next call.
  void SetItems(std::vector<SearchItem> items, QString catalogueName, QStringList playlistTitles);
  // Runs the query; an empty query shows nothing.
  void Search(const QString& query);
  const QString& Query() const { return m_query; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  QString SourceName(int source) const;

  std::unique_ptr<IChannelMatcher> m_matcher;
  std::vector<SearchItem> m_items;
  std::vector<uint32_t> m_hits;
  QString m_catalogueName;
  QStringList m_playlistTitles;
  QString m_query;
};

}  // namespace vantrel
