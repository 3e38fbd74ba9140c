#include "app/vantrel_dlg_guide_sources.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/vantrel_dlg_guide.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

constexpr int kOwnRole = Qt::UserRole + 1;  // bool: the user's own source

QString FailureReason(const GuideSourceState& state) {
  if (state.missing) return ResString(res::IDS_GUIDE_NO_FILE);
  if (state.unreadable) return ResString(res::IDS_GUIDE_UNREADABLE);
  switch (state.fetch) {
    case GuideFetchStatus::kHttpError: return ResString(res::IDS_GUIDE_HTTP).arg(state.httpCode);
    case GuideFetchStatus::kBroken: return ResString(res::IDS_GUIDE_BROKE_OFF);
    case GuideFetchStatus::kTooLarge: return ResString(res::IDS_GUIDE_TOO_LARGE);
    case GuideFetchStatus::kCannotWrite: return ResString(res::IDS_GUIDE_NOT_SAVED);
    default: return ResString(res::IDS_GUIDE_NO_ANSWER);
  }
}

}  // namespace

QString DescribeGuideSourceState(const GuideSourceState* state) {
  if (state == nullptr || !state->done) return ResString(res::IDS_GUIDE_STATE_WAITING);
  const QString at = QDateTime::fromSecsSinceEpoch(state->at).toString(QStringLiteral("HH:mm"));
  if (state->imported) return ResString(res::IDS_GUIDE_STATE_UPDATED).arg(at);
  if (state->fetch == GuideFetchStatus::kNotModified) return ResString(res::IDS_GUIDE_STATE_CURRENT).arg(at);
  return ResString(res::IDS_GUIDE_STATE_FAILED).arg(FailureReason(*state));
}

CGuideSourcesDialog::CGuideSourcesDialog(CGuideService& guide, QWidget* parent) : QDialog(parent), m_guide(guide) {
  setObjectName(QStringLiteral("guideSourcesDialog"));
  setWindowTitle(ResString(res::IDS_GUIDE_SOURCES_TITLE));
  m_list.setColumnCount(2);
  m_list.setHeaderLabels({ResString(res::IDS_GUIDE_SOURCE_COLUMN), ResString(res::IDS_GUIDE_STATE_COLUMN)});
  m_list.setRootIsDecorated(false);
  m_list.header()->setStretchLastSection(true);
  m_edit.setPlaceholderText(ResString(res::IDS_GUIDE_SOURCE_HINT));
  m_add.setText(ResString(res::IDS_GUIDE_ADD));
  m_browse.setText(ResString(res::IDS_BROWSE));
  m_remove.setText(ResString(res::IDS_GUIDE_REMOVE));
  m_refresh.setText(ResString(res::IDS_GUIDE_REFRESH));
  m_close.setText(ResString(res::IDS_GUIDE_CLOSE));
  for (QPushButton* button : {&m_add, &m_browse, &m_remove, &m_refresh, &m_close}) button->setAutoDefault(false);
  m_message.setWordWrap(true);

  auto* add = new QHBoxLayout;
  add->addWidget(&m_edit, 1);
  add->addWidget(&m_browse);
  add->addWidget(&m_add);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(&m_remove);
  bottom->addWidget(&m_refresh);
  bottom->addStretch(1);
  bottom->addWidget(&m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&m_list, 1);
  layout->addLayout(add);
  layout->addWidget(&m_message);
  layout->addLayout(bottom);
  resize(560, 320);

  connect(&m_edit, &QLineEdit::returnPressed, this, &CGuideSourcesDialog::AddTyped);
  connect(&m_add, &QPushButton::clicked, this, &CGuideSourcesDialog::AddTyped);
  connect(&m_browse, &QPushButton::clicked, this, &CGuideSourcesDialog::Browse);
  connect(&m_remove, &QPushButton::clicked, this, &CGuideSourcesDialog::RemoveSelected);
  connect(&m_refresh, &QPushButton::clicked, &m_guide, &CGuideService::RefreshAll);
  connect(&m_close, &QPushButton::clicked, this, &QDialog::close);
  connect(&m_list, &QTreeWidget::itemSelectionChanged, this, &CGuideSourcesDialog::UpdateButtons);
  connect(&m_guide, &CGuideService::SourcesChanged, this, &CGuideSourcesDialog::Fill);
  Fill();
}

// The user's own first, in the order added, then the playlists'.
void CGuideSourcesDialog::Fill() {
  QString selected;
  if (const QTreeWidgetItem* item = m_list.currentItem()) selected = item->text(0);
  m_list.clear();
  auto add = [this, &selected](const std::string& address, const QString& origin, bool own) {
    const QString text = QString::fromStdString(address);
    auto* item = new QTreeWidgetItem(&m_list, {text, origin + QStringLiteral(" · ") +
                                                         DescribeGuideSourceState(m_guide.SourceState(address))});
    item->setData(0, kOwnRole, own);
    item->setToolTip(0, text);
    if (text == selected) m_list.setCurrentItem(item);
  };
  for (const std::string& address : m_guide.UserSources()) add(address, ResString(res::IDS_GUIDE_OWN), true);
  for (const GuideSource& source : m_guide.PlaylistSources()) {
    const std::vector<std::string>& own = m_guide.UserSources();
    if (std::find(own.begin(), own.end(), source.address) != own.end()) continue;
    add(source.address, ResString(res::IDS_GUIDE_FROM_PLAYLIST).arg(QString::fromStdString(source.playlist)), false);
  }
  m_list.resizeColumnToContents(0);
  UpdateButtons();
}

void CGuideSourcesDialog::UpdateButtons() {
  const QTreeWidgetItem* item = m_list.currentItem();
  m_remove.setEnabled(item != nullptr && item->isSelected() && item->data(0, kOwnRole).toBool());
}

void CGuideSourcesDialog::AddTyped() {
  const QString text = m_edit.text().trimmed();
  if (text.isEmpty()) return;
  // A file chosen or typed as a file: address is kept as its path.
  const QUrl url(text);
  const QString source = url.isLocalFile() ? url.toLocalFile() : text;
  const std::vector<std::string>& own = m_guide.UserSources();
  const bool listed = std::find(own.begin(), own.end(), NormaliseGuideSource(source.toStdString())) != own.end();
  if (!listed && !m_guide.AddUserSource(source)) {
    m_message.setText(ResString(res::IDS_GUIDE_SOURCE_BAD));
    return;
  }
  m_message.clear();
  m_edit.clear();
}

void CGuideSourcesDialog::RemoveSelected() {
  const QTreeWidgetItem* item = m_list.currentItem();
  if (item == nullptr || !item->data(0, kOwnRole).toBool()) return;
  m_guide.RemoveUserSource(item->text(0).toStdString());
}

void CGuideSourcesDialog::Browse() {
  const QString file = QFileDialog::getOpenFileName(this, ResString(res::IDS_GUIDE_SOURCES_TITLE), QString(),
                                                    ResString(res::IDS_GUIDE_FILTER));
  if (file.isEmpty()) return;
  m_edit.setText(file);
  AddTyped();
}

}  // namespace vantrel
