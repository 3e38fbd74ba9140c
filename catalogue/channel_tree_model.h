#pragma once
// The channel tree as an item model: the nodes of BuildChannelTree or BuildPlaylistTree, read
// in place. Nothing is made per channel until a view asks for a row's text, so a tree of
// 100,000 channels costs its nodes and no more.
//
// Trees are at most three levels deep (group, group, channel); an index carries the rows of
// its ancestors in its internal id, so finding a parent needs no table.
#include <QAbstractItemModel>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/channel_tree.h"

namespace vantrel {

// Where a channel of a view comes from: kCatalogueSource, or the playlist's position.
inline constexpr int kCatalogueSource = -1;

// Data roles the channel views answer besides Qt::DisplayRole.
enum ChannelRole {
  kChannelRole = Qt::UserRole + 1,  // const CChannel* as a quintptr; 0 for a group
  kSourceRole,                      // int: kCatalogueSource or the playlist's position
};

// Channels a check found unreachable, by address, each with the tooltip that says why. The
// views draw them greyed out; a lookup per shown row is all they cost.
using ChannelMarks = std::unordered_map<std::u16string, QString>;

// The record behind an index of a channel view; nullptr for a group or an invalid index.
const CChannel* ChannelOfIndex(const QModelIndex& index);

class CChannelTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  using QAbstractItemModel::QAbstractItemModel;

  // Replaces the tree. `playlists`: the top level is the list of playlists, and a channel's
  // source is the row of its top-level ancestor; otherwise every channel is the catalogue's.
  void Reset(std::vector<ChannelTreeNode> nodes, bool playlists);
  const std::vector<ChannelTreeNode>& Nodes() const { return m_nodes; }
  // The node an index shows; nullptr for the invisible root.
  const ChannelTreeNode* Node(const QModelIndex& index) const;
  // The tooltip of a channel's row, asked only when a view shows one (empty: none). Set by
  // the window; the model itself knows nothing of what the tooltip says.
  using ToolTipProvider = std::function<QString(const CChannel&)>;
  void SetToolTipProvider(ToolTipProvider provider) { m_toolTip = std::move(provider); }

  // The marks the channel rows show; not owned, nullptr for none. MarksChanged after each change.
  void SetMarks(const ChannelMarks* marks);
  void MarksChanged();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  const std::vector<ChannelTreeNode>& Children(const QModelIndex& parent) const;

  QVariant ToolTip(const ChannelTreeNode& node) const;
  // The check's verdict on a channel row; nullptr when it has none.
  const QString* Mark(const ChannelTreeNode& node) const;

  std::vector<ChannelTreeNode> m_nodes;
  bool m_playlists = false;
  const ChannelMarks* m_marks = nullptr;
  ToolTipProvider m_toolTip;
};

}  // namespace vantrel
