#include "catalogue/channel_views.h"

#include <QHeaderView>
#include <QCursor>
#include <QMouseEvent>

#include "base/qt_strings.h"

namespace vantrel {

CChannelTreeItem::CChannelTreeItem(const QString& label, const CChannel* channel)
    : QTreeWidgetItem(QStringList{label}, kItemType), m_channel(channel) {}

const CChannel* ChannelOfItem(const QTreeWidgetItem* item) {
  if (item == nullptr || item->type() != CChannelTreeItem::kItemType) return nullptr;
  return static_cast<const CChannelTreeItem*>(item)->Channel();
}

namespace {

// Builds a detached subtree: items not yet in a view cost no model or layout work.
QList<QTreeWidgetItem*> MakeItems(const std::vector<ChannelTreeNode>& nodes) {
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(nodes.size()));
  for (const ChannelTreeNode& node : nodes) {
    auto* item = new CChannelTreeItem(ToQString(node.label), node.channel);
    if (!node.children.empty()) item->addChildren(MakeItems(node.children));
    items.append(item);
  }
  return items;
}

void SetBaseColour(QAbstractItemView* view, const QColor& colour) {
  QPalette pal = view->palette();
  pal.setColor(QPalette::Base, colour);
  pal.setColor(QPalette::AlternateBase, colour);
  view->setPalette(pal);
}

}  // namespace

CChannelTreeView::CChannelTreeView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFrameShape(QFrame::StyledPanel);
  // Every row is one line of text: the view need not measure thousands of items.
  setUniformRowHeights(true);
  setExpandsOnDoubleClick(true);
}

void CChannelTreeView::Fill(const std::vector<ChannelTreeNode>& nodes) {
  clear();
  addTopLevelItems(MakeItems(nodes));
  setCurrentItem(nullptr);
  clearSelection();
}

const CChannel* CChannelTreeView::SelectedChannel() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : ChannelOfItem(selected.front());
}

void CChannelTreeView::SetBackground(const QColor& colour) { SetBaseColour(this, colour); }

CFavoritesListView::CFavoritesListView(QWidget* parent) : QTableWidget(parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setShowGrid(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::StyledPanel);
  setWordWrap(false);
  setMouseTracking(true);
  m_hoverTimer.setSingleShot(true);
  m_hoverTimer.setInterval(kHoverSelectMs);
  connect(&m_hoverTimer, &QTimer::timeout, this, &CFavoritesListView::OnHoverTimeout);
  connect(this, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
    m_hoverRow = index.row();
    m_hoverTimer.start();
  });
  connect(this, &QAbstractItemView::viewportEntered, this, [this] {
    m_hoverRow = -1;
    m_hoverTimer.stop();
  });
}

void CFavoritesListView::InsertNameColumn(const QString& title, int width) {
  setColumnCount(1);
  setHorizontalHeaderItem(0, new QTableWidgetItem(title));
  setColumnWidth(0, width);
}

void CFavoritesListView::Fill(const std::vector<CChannel>& favorites) {
  m_hoverTimer.stop();
  m_hoverRow = -1;
  clearContents();
  setRowCount(0);
  setCurrentCell(-1, -1);
  setRowCount(static_cast<int>(favorites.size()));
  for (int row = 0; row < rowCount(); ++row)
    setItem(row, 0, new QTableWidgetItem(ToQString(favorites[static_cast<size_t>(row)].name)));
}

int CFavoritesListView::SelectionMark() const {
  const int row = currentRow();
  return row >= 0 && row < rowCount() ? row : -1;
}

void CFavoritesListView::SetBackground(const QColor& colour) { SetBaseColour(this, colour); }

void CFavoritesListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit Clicked();
}

void CFavoritesListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

void CFavoritesListView::leaveEvent(QEvent* event) {
  m_hoverTimer.stop();
  m_hoverRow = -1;
  QTableWidget::leaveEvent(event);
}

void CFavoritesListView::OnHoverTimeout() {
  if (m_hoverRow < 0 || m_hoverRow >= rowCount()) return;
  // Only while the pointer still rests on that row.
  const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
  if (rowAt(at.y()) == m_hoverRow) setCurrentCell(m_hoverRow, 0);
}

}  // namespace vantrel
