#include "catalogue/channel_tree_model.h"

#include <QColor>
#include <QStringList>

#include "base/qt_strings.h"

namespace vantrel {

namespace {

// An index's internal id holds the path to its parent: 0 for a top-level row, top row + 1 for
// a second-level row, and (second row + 1) << 32 | (top row + 1) for a third-level row.
constexpr quintptr kLow = 0xFFFFFFFFu;

quintptr ChildId(const QModelIndex& parent) {
  if (!parent.isValid()) return 0;
  const quintptr id = parent.internalId();
  if (id == 0) return static_cast<quintptr>(parent.row()) + 1;
  return (static_cast<quintptr>(parent.row()) + 1) << 32 | (id & kLow);
}

}  // namespace

const CChannel* ChannelOfIndex(const QModelIndex& index) {
  return reinterpret_cast<const CChannel*>(index.data(kChannelRole).value<quintptr>());
}

void CChannelTreeModel::Reset(std::vector<ChannelTreeNode> nodes, bool playlists) {
  beginResetModel();
  m_nodes = std::move(nodes);
  m_playlists = playlists;
  endResetModel();
}

void CChannelTreeModel::SetMarks(const ChannelMarks* marks) {
  m_marks = marks;
  MarksChanged();
}

// One change over the top level: views redraw what they show, children included.
void CChannelTreeModel::MarksChanged() {
  if (m_nodes.empty()) return;
  emit dataChanged(index(0, 0), index(static_cast<int>(m_nodes.size()) - 1, 0), {Qt::ForegroundRole, Qt::ToolTipRole});
}

const std::vector<ChannelTreeNode>& CChannelTreeModel::Children(const QModelIndex& parent) const {
  const ChannelTreeNode* node = Node(parent);
  return node == nullptr ? m_nodes : node->children;
}

const ChannelTreeNode* CChannelTreeModel::Node(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return nullptr;
  const quintptr id = index.internalId();
  const std::vector<ChannelTreeNode>* siblings = &m_nodes;
  if (id != 0) {
    siblings = &m_nodes[(id & kLow) - 1].children;
    if (id > kLow) siblings = &(*siblings)[(id >> 32) - 1].children;
  }
  const size_t row = static_cast<size_t>(index.row());
  return row < siblings->size() ? &(*siblings)[row] : nullptr;
}

QModelIndex CChannelTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0 || static_cast<size_t>(row) >= Children(parent).size()) return {};
  // Deeper than three levels is not a tree this model takes.
  if (parent.isValid() && parent.internalId() > kLow) return {};
  return createIndex(row, column, ChildId(parent));
}

QModelIndex CChannelTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const quintptr id = child.internalId();
  if (id == 0) return {};
  if (id <= kLow) return createIndex(static_cast<int>(id - 1), 0, quintptr{0});
  return createIndex(static_cast<int>((id >> 32) - 1), 0, id & kLow);
}

int CChannelTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  if (parent.isValid() && parent.internalId() > kLow) return 0;
  return static_cast<int>(Children(parent).size());
}

int CChannelTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool CChannelTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant CChannelTreeModel::data(const QModelIndex& index, int role) const {
  const ChannelTreeNode* node = Node(index);
  if (node == nullptr) return {};
  switch (role) {
    case Qt::DisplayRole: return ToQString(node->label);
    case Qt::ToolTipRole: return ToolTip(*node);
    case kChannelRole: return QVariant::fromValue(reinterpret_cast<quintptr>(node->channel));
    case kSourceRole: {
      if (!m_playlists) return kCatalogueSource;
      QModelIndex top = index;
      while (top.parent().isValid()) top = top.parent();
      return top.row();
    }
    case Qt::ForegroundRole: return Mark(*node) != nullptr ? QVariant(QColor(Qt::gray)) : QVariant();
    default: return {};
  }
}

const QString* CChannelTreeModel::Mark(const ChannelTreeNode& node) const {
  if (m_marks == nullptr || m_marks->empty() || node.channel == nullptr) return nullptr;
  const auto mark = m_marks->find(node.channel->URL);
  return mark == m_marks->end() ? nullptr : &mark->second;
}

// An unreachable channel says so first; what is on follows.
QVariant CChannelTreeModel::ToolTip(const ChannelTreeNode& node) const {
  if (node.channel == nullptr) return {};
  QStringList parts;
  if (const QString* mark = Mark(node)) parts << *mark;
  if (m_toolTip) {
    const QString guide = m_toolTip(*node.channel);
    if (!guide.isEmpty()) parts << guide;
  }
  return parts.isEmpty() ? QVariant() : QVariant(parts.join(QLatin1Char('\n')));
}

}  // namespace vantrel
