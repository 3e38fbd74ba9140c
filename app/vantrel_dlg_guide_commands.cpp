// The programme guide in the main window: now and next in the channel details, the tree's
// tooltips, the day's list and the sources window, and the guide's background work.
#include <QAction>
#include <QStyle>
#include <QTimer>

#include "app/vantrel_dlg.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

// The lower half of the details' description box: the description keeps two lines above it.
constexpr QRect kGuidePaneRect{744, 357, 241, 34};

}  // namespace

void CVantrelDlg::LayOutGuide() {
  m_guidePane.setParent(this);
  m_guidePane.setGeometry(kGuidePaneRect);
  AddControlPart(&m_guidePane, kAnchorFollow, kAnchorTop);
  m_descriptionHeight = m_description.height();
  // Shown with the details, and only while the guide knows the channel.
  m_guidePane.FollowVisibility(m_description);
  m_guidePane.hide();
}

void CVantrelDlg::ConnectGuide() {
  // Asked row by row when a tooltip is about to show, never for the whole tree.
  m_tree.TreeModel().SetToolTipProvider([this](const CChannel& channel) { return m_guide.ToolTip(channel); });
  connect(&m_guidePane, &CGuideNowPane::GuideShown, this, &CVantrelDlg::OnGuideShown);
  connect(&m_guidePane, &CGuideNowPane::DayListRequested, this, qOverload<>(&CVantrelDlg::OpenGuideDayList));
  connect(&m_guide, &CGuideService::Changed, this, [this] {
    m_guidePane.Refresh();
    if (m_guideDay && m_guideDay->isVisible()) m_guideDay->Reload();
  });
  connect(&m_playlists, &CPlaylistShelf::Changed, &m_guide, &CGuideService::OnPlaylistsChanged);
  // Beside the playlists' open command in the search field.
  QAction* sources =
      m_search.addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QLineEdit::TrailingPosition);
  sources->setObjectName(QStringLiteral("guideSources"));
  sources->setToolTip(ResString(res::IDS_GUIDE_SOURCES));
  connect(sources, &QAction::triggered, this, &CVantrelDlg::OpenGuideSources);
  // The guide's work begins once the window's loop runs: start-up never waits for it.
  QTimer::singleShot(0, &m_guide, &CGuideService::Start);
}

void CVantrelDlg::ShowGuideFor(const CChannel& channel) {
  m_guidePane.ShowChannel(m_guide, channel);
  if (m_guideDay && m_guideDay->isVisible()) m_guideDay->ShowChannel(channel);
}

// The description gives the pane the lower part of its box while the pane has something to say.
void CVantrelDlg::OnGuideShown(bool shown) {
  QRect box = m_description.geometry();
  box.setHeight(shown ? kGuidePaneRect.top() - 1 - box.top() : m_descriptionHeight);
  m_description.setGeometry(box);
  if (m_logo) m_logo->Fit();
}

void CVantrelDlg::OpenGuideDayList() {
  if (const std::optional<CChannel>& channel = m_guidePane.Channel()) OpenGuideDayList(*channel);
}

void CVantrelDlg::OpenGuideDayList(const CChannel& channel) {
  if (!m_guideDay) {
    m_guideDay = std::make_unique<CGuideDayWindow>(m_guide, this);
    m_guideDay->setWindowIcon(m_icon);
    connect(m_guideDay.get(), &CGuideDayWindow::RecordRequested, this, &CVantrelDlg::RecordProgramme);
    connect(m_guideDay.get(), &CGuideDayWindow::SourcesRequested, this, &CVantrelDlg::OpenGuideSources);
  }
  m_guideDay->ShowChannel(channel);
  m_guideDay->show();
  m_guideDay->raise();
  m_guideDay->activateWindow();
}

void CVantrelDlg::OpenGuideSources() {
  if (!m_guideSources) {
    m_guideSources = std::make_unique<CGuideSourcesDialog>(m_guide, this);
    m_guideSources->setWindowIcon(m_icon);
  }
  m_guideSources->show();
  m_guideSources->raise();
  m_guideSources->activateWindow();
}

}  // namespace vantrel
