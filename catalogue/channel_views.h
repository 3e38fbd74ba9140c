#pragma once
// The two views of the catalogue in the main window: the channel tree (grouped by country or by
// genre, built by BuildChannelTree) and the one-column favourites list. They show what they are
// given in the order given; the window decides what to put in them and when.
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <vector>

#include "catalogue/channel_search_model.h"
#include "catalogue/channel_tree.h"
#include "catalogue/channel_tree_model.h"

namespace vantrel {

// The catalogue tree: lines and expand buttons, no header, no sorting of its own. It shows the
// channel tree (by country, by genre or by playlist) or, while a search runs, the flat list of
// results in the same place, so that selection, details and playing work the same on both.
class CChannelTreeView : public QTreeView {
  Q_OBJECT

 public:
  explicit CChannelTreeView(QWidget* parent = nullptr);

  // Shows `nodes` as the tree: all collapsed, nothing selected. Leaves point at the records the
  // nodes point at, so these must outlive the next Fill. `playlists`: the top level is the list
  // of playlists.
  void Fill(std::vector<ChannelTreeNode> nodes, bool playlists = false);
  // Shows the search results instead of the tree (true) or the tree again (false), with the
  // first result current.
  void ShowSearchResults(bool show);
  bool IsShowingSearchResults() const { return model() == &m_searchModel; }
  CChannelTreeModel& TreeModel() { return m_treeModel; }
  CChannelSearchModel& SearchModel() { return m_searchModel; }

  // The channel of the selected row; nullptr when a group or nothing is selected.
  const CChannel* SelectedChannel() const;
  // Where the selected channel comes from: kCatalogueSource or a playlist's position.
  int SelectedSource() const;
  // The playlist whose own row is selected in the tree by playlist; -1 otherwise.
  int SelectedPlaylist() const;
  // Moves the current row of the search results by `step`, within the list.
  void StepResult(int step);
  // The colour behind the items (the panel's colour).
  void SetBackground(const QColor& colour);

 signals:
  // The selection changed, in the tree or in the results.
  void SelectionChanged();

 private:
  void Show(QAbstractItemModel* shown);
  QModelIndex SelectedIndex() const;

  CChannelTreeModel m_treeModel;
  CChannelSearchModel m_searchModel;
  bool m_playlists = false;
};

// The search field above the tree. Enter asks for the current result (and never reaches the
// dialog), the up and down keys and the page keys move through the results, and Escape empties
// the field without ending the dialog. The query follows every edit.
class CChannelSearchField : public QLineEdit {
  Q_OBJECT

 public:
  explicit CChannelSearchField(QWidget* parent = nullptr);

 signals:
  void Accepted();
  void Step(int rows);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// The favourites list: one column, no header, grid lines, single selection, and the row under
// a resting pointer gets selected (hover selection). Row i shows favourite i.
class CFavoritesListView : public QTableWidget {
  Q_OBJECT

 public:
  // How long the pointer rests on a row before it is selected.
  static constexpr int kHoverSelectMs = 400;

  explicit CFavoritesListView(QWidget* parent = nullptr);

  // Makes the one column, titled `title` (the title is not shown), `width` pixels wide.
  void InsertNameColumn(const QString& title, int width);
  // Empties the list, then one row per favourite showing its name.
  void Fill(const std::vector<CChannel>& favorites);
  // The selection mark: the row last selected, -1 when none (also after a refill).
  int SelectionMark() const;
  // The colour behind the rows and behind their text.
  void SetBackground(const QColor& colour);

 signals:
  // A click or a double click anywhere in the list, also below the last row.
  void Clicked();
  void DoubleClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void OnHoverTimeout();

  QTimer m_hoverTimer;
  int m_hoverRow = -1;
};

}  // namespace vantrel
