#pragma once
// The two views of the catalogue in the main window: the channel tree (grouped by country or by
// genre, built by BuildChannelTree) and the one-column favourites list. They show what they are
// given in the order given; the window decides what to put in them and when.
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <vector>

#include "catalogue/channel_tree.h"

namespace vantrel {

// A tree item. Channel leaves carry the record they show; groups carry none, which is how a
// group is told from a channel.
class CChannelTreeItem : public QTreeWidgetItem {
 public:
  static constexpr int kItemType = QTreeWidgetItem::UserType + 1;
  CChannelTreeItem(const QString& label, const CChannel* channel);
  const CChannel* Channel() const { return m_channel; }

 private:
  const CChannel* m_channel;
};

// The record an item refers to; nullptr for a group, a foreign item or no item.
const CChannel* ChannelOfItem(const QTreeWidgetItem* item);

// The catalogue tree: lines and expand buttons, no header, no sorting of its own.
class CChannelTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CChannelTreeView(QWidget* parent = nullptr);

  // Replaces every item by `nodes`: all collapsed, nothing selected. The leaves point at the
  // records the nodes point at, so `nodes` must come from the store the window shows.
  void Fill(const std::vector<ChannelTreeNode>& nodes);
  // The channel of the selected item; nullptr when a group or nothing is selected.
  const CChannel* SelectedChannel() const;
  // The colour behind the items (the panel's colour).
  void SetBackground(const QColor& colour);
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
