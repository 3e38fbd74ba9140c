// The channel check in the main window: which channels a check probes, its progress in the
// status line, and the unreachable channels greyed out in the tree.
#include "app/vantrel_dlg.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {

namespace {

// Every channel at or under `parent`, in the view's order.
void CollectChannels(const QAbstractItemModel& model, const QModelIndex& parent, std::vector<const CChannel*>& out) {
  if (const CChannel* channel = ChannelOfIndex(parent)) {
    out.push_back(channel);
    return;
  }
  const int rows = model.rowCount(parent);
  for (int row = 0; row < rows; ++row) CollectChannels(model, model.index(row, 0, parent), out);
}

}  // namespace

void CVantrelDlg::ConnectChannelCheck() {
  m_tree.TreeModel().SetMarks(&m_channelCheck.Marks());
  connect(&m_channelCheck, &CChannelCheck::MarksChanged, this, [this] { m_tree.TreeModel().MarksChanged(); });
  connect(&m_channelCheck, &CChannelCheck::Progress, this, [this](int done, int total) {
    ShowStatusText(ResString(res::IDS_CHECK_PROGRESS).arg(done).arg(total));
  });
  connect(&m_channelCheck, &CChannelCheck::Finished, this, [this](bool cancelled) {
    if (m_ending) return;
    const QString text = cancelled ? ResString(res::IDS_CHECK_STOPPED).arg(m_channelCheck.Done()).arg(m_channelCheck.Total())
                                   : ResString(res::IDS_CHECK_DONE).arg(m_channelCheck.Unreachable()).arg(m_channelCheck.Total());
    ShowStatusText(text);
  });
  // Closing the window drops the open probes at once instead of waiting for their servers.
  connect(this, &QDialog::finished, &m_channelCheck, &CChannelCheck::Cancel);
}

std::vector<const CChannel*> CVantrelDlg::ChannelsToCheck() const {
  std::vector<const CChannel*> channels;
  const QAbstractItemModel* shown = m_tree.model();
  if (shown == nullptr) return channels;
  // A group selected limits the check to its branch; a channel or nothing selected, the
  // whole view (the tree as it is grouped now, or the search results shown in its place).
  const QModelIndexList selected = m_tree.selectionModel()->selectedIndexes();
  const QModelIndex branch = !selected.isEmpty() && ChannelOfIndex(selected.front()) == nullptr ? selected.front() : QModelIndex();
  CollectChannels(*shown, branch, channels);
  return channels;
}

void CVantrelDlg::OnCheckChannels() {
  if (m_channelCheck.IsRunning()) {
    m_channelCheck.Cancel();
    return;
  }
  m_channelCheck.Start(ChannelsToCheck());
}

}  // namespace vantrel
