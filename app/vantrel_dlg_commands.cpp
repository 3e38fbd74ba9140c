// The main window's command table and its ways of closing.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

#include "app/command_ids.h"
#include "app/vantrel_dlg.h"
#include "playback/play_state.h"
#include "skin/about_dlg.h"

namespace vantrel {

void CVantrelDlg::OnCommand(int id) {
  switch (id) {
    case cmd::kClose: done(kResultClose); return;
    case cmd::kMinimize: showMinimized(); return;
    case cmd::kMaximize: OnFullScreen(); return;
    case cmd::kAbout: OnAbout(); return;
    case cmd::kRecord: OnRecord(); return;
    case cmd::kDownArrow: SlideBottomPanel(); return;
    case cmd::kRightArrow: SlideRightPanel(); return;
    case cmd::kHeart: OnHeart(); return;
    case cmd::kUnheart: OnUnheart(); return;
    case cmd::kDownload: DownloadChannelList(); return;
    case ctl::kAlwaysOnTop: OnAlwaysOnTop(); return;
    case ctl::kHideControls: OnHideControls(); return;
    case ctl::kByCountries: BuildTreeByCountries(); return;
    case ctl::kByGenres: BuildTreeByGenres(); return;
    case ctl::kByPlaylists: BuildTreeByPlaylists(); return;
    default: break;
  }
  // The skin previews: the name is stored and the program starts afresh.
  if (const std::optional<int> exitCode = SwitchSkinCommand(id)) EndProgram(*exitCode);
}

// Only a playing channel goes full screen; leaving it is the player's business.
void CVantrelDlg::OnFullScreen() {
  if (m_player.GetFullScreen()) return;
  if (m_player.GetPlayState() == play_state::kPlaying) m_player.SetFullScreen(true);
}

void CVantrelDlg::OnAlwaysOnTop() {
  // Changed on the native window: changing the widget's flags would hide and re-create it,
  // and hiding a dialog ends its modal loop.
  QWindow* window = windowHandle();
  if (window == nullptr) {
    setWindowFlag(Qt::WindowStaysOnTopHint, m_alwaysOnTop.isChecked());
    return;
  }
  window->setFlag(Qt::WindowStaysOnTopHint, m_alwaysOnTop.isChecked());
}

void CVantrelDlg::OnHideControls() {
  m_player.SetUiMode(m_hideControls.isChecked() ? QStringLiteral("none") : QStringLiteral("mini"));
}

// One about window at a time.
void CVantrelDlg::OnAbout() {
  if (m_aboutOpen) return;
  m_aboutOpen = true;
  auto path = [this](SkinFile file) { return QString::fromStdString(SkinImage(file).string()); };
  CVantrelAboutDlg about(path(kAboutBack), path(kButtonOk), path(kButtonCancel), this);
  about.exec();
  m_aboutOpen = false;
}

void CVantrelDlg::EndProgram(int exitCode) {
  m_exitCode = exitCode;
  done(kResultClose);
}

void CVantrelDlg::done(int result) {
  m_ending = true;
  StopAllCaptures();
  CSkinBaseDialog::done(result);
}

// Enter and Escape end the dialog like the close button does.
void CVantrelDlg::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: done(kResultOk); return;
      case Qt::Key_Escape: done(kResultCancel); return;
      default: break;
    }
  }
  CSkinBaseDialog::keyPressEvent(event);
}

// The system close (window manager, Alt+F4).
void CVantrelDlg::closeEvent(QCloseEvent* event) {
  if (isVisible()) done(kResultCancel);
  event->accept();
}

}  // namespace vantrel
