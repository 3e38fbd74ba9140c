#include "catalogue/channel_views.h"

#include <QHeaderView>
#include <algorithm>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include "base/qt_strings.h"

namespace vantrel {

namespace {

void SetBaseColour(QAbstractItemView* view, const QColor& colour) {
  QPalette pal = view->palette();
  pal.setColor(QPalette::Base, colour);
  pal.setColor(QPalette::AlternateBase, colour);
  view->setPalette(pal);
}

}  // namespace

CChannelTreeView::CChannelTreeView(QWidget* parent) : QTreeView(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::StyledPanel);
  // Every row is one line of text: the view need not measure thousands of rows.
  setUniformRowHeights(true);
  setExpandsOnDoubleClick(true);
  Show(&m_treeModel);
}

void CChannelTreeView::Show(QAbstractItemModel* shown) {
  if (model() != shown) {
    QItemSelectionModel* old = selectionModel();
    setModel(shown);
    delete old;
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CChannelTreeView::SelectionChanged);
  }
  // The results are a flat list: no room kept for expand buttons.
  setRootIsDecorated(shown == &m_treeModel);
}

void CChannelTreeView::Fill(std::vector<ChannelTreeNode> nodes, bool playlists) {
  m_playlists = playlists;
  m_treeModel.Reset(std::move(nodes), playlists);
  if (IsShowingSearchResults()) return;
  setCurrentIndex({});
  clearSelection();
}

void CChannelTreeView::ShowSearchResults(bool show) {
  Show(show ? static_cast<QAbstractItemModel*>(&m_searchModel) : &m_treeModel);
  clearSelection();
  setCurrentIndex({});
  if (show && m_searchModel.rowCount() > 0) setCurrentIndex(m_searchModel.index(0, 0));
}

QModelIndex CChannelTreeView::SelectedIndex() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? QModelIndex() : selected.front();
}

const CChannel* CChannelTreeView::SelectedChannel() const { return ChannelOfIndex(SelectedIndex()); }

int CChannelTreeView::SelectedSource() const {
  const QModelIndex index = SelectedIndex();
  return index.isValid() ? index.data(kSourceRole).toInt() : kCatalogueSource;
}

int CChannelTreeView::SelectedPlaylist() const {
  const QModelIndex index = SelectedIndex();
  if (!m_playlists || IsShowingSearchResults() || !index.isValid() || index.parent().isValid()) return -1;
  return index.row();
}

void CChannelTreeView::StepResult(int step) {
  const int rows = model()->rowCount();
  if (!IsShowingSearchResults() || rows == 0) return;
  const int row = currentIndex().isValid() ? std::clamp(currentIndex().row() + step, 0, rows - 1) : 0;
  setCurrentIndex(m_searchModel.index(row, 0));
  scrollTo(currentIndex());
}

void CChannelTreeView::SetBackground(const QColor& colour) { SetBaseColour(this, colour); }

CChannelSearchField::CChannelSearchField(QWidget* parent) : QLineEdit(parent) { setClearButtonEnabled(true); }

void CChannelSearchField::keyPressEvent(QKeyEvent* event) {
  constexpr int kPage = 10;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: emit Accepted(); break;
    case Qt::Key_Escape: clear(); break;
    case Qt::Key_Up: emit Step(-1); break;
    case Qt::Key_Down: emit Step(1); break;
    case Qt::Key_PageUp: emit Step(-kPage); break;
    case Qt::Key_PageDown: emit Step(kPage); break;
    default: QLineEdit::keyPressEvent(event); return;
  }
  event->accept();
}

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
