#include "app/vantrel_dlg.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTimerEvent>
#include <cstdio>

#include "app/command_ids.h"
#include "base/program_path.h"
#include "base/qt_strings.h"
#include "catalogue/channel_list.h"
#include "resources/resource.h"
#include "skin/msg_dlg.h"

namespace vantrel {

// The controls start with their template texts; initialisation replaces them.
CVantrelDlg::CVantrelDlg(QWidget* parent)
    : CSkinBaseDialog(parent),
      m_icon(MakeProgramIcon()),
      m_alwaysOnTop(QStringLiteral("Always On Top"), this),
      m_player(this),
      m_hideControls(QStringLiteral("Hide Controls"), this),
      m_tree(this),
      m_favorites(this),
      m_newChannels(QStringLiteral("New Channels:"), this),
      m_description(this),
      m_siteUrl(this),
      m_bitRate(this),
      m_byCountries(QStringLiteral("By Contries"), this),
      m_byGenres(QStringLiteral("By Genres"), this),
      m_byPlaylists(this),
      m_search(this),
      m_status(this) {
  setObjectName(QStringLiteral("mainWindow"));
  m_alwaysOnTop.setObjectName(QStringLiteral("alwaysOnTop"));
  m_player.setObjectName(QStringLiteral("player"));
  m_hideControls.setObjectName(QStringLiteral("hideControls"));
  m_tree.setObjectName(QStringLiteral("channelTree"));
  m_favorites.setObjectName(QStringLiteral("favoritesList"));
  m_newChannels.setObjectName(QStringLiteral("newChannels"));
  m_description.setObjectName(QStringLiteral("description"));
  m_siteUrl.setObjectName(QStringLiteral("siteUrl"));
  m_bitRate.setObjectName(QStringLiteral("bitRate"));
  m_byCountries.setObjectName(QStringLiteral("byCountries"));
  m_byGenres.setObjectName(QStringLiteral("byGenres"));
  m_byPlaylists.setObjectName(QStringLiteral("byPlaylists"));
  m_search.setObjectName(QStringLiteral("channelSearch"));
  // A static text: from the top-left corner, wrapped within its box; clicks go through it.
  m_newChannels.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_newChannels.setWordWrap(true);
  m_newChannels.setAttribute(Qt::WA_TransparentForMouseEvents);
  m_description.setReadOnly(true);
  m_description.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_siteUrl.setReadOnly(true);
  m_bitRate.setReadOnly(true);
  // The radio buttons form one group, as the only automatic radios of the window.
  m_byCountries.setAutoExclusive(true);
  m_byGenres.setAutoExclusive(true);
  m_byPlaylists.setAutoExclusive(true);
}

// The keyboard filter goes first: the members' teardown sends events of its own.
CVantrelDlg::~CVantrelDlg() { qApp->removeEventFilter(this); }

bool CVantrelDlg::OnInitDialog() {
  if (ProgramFile().empty() && !InitProgramPath()) {
    m_exitCode = kSkinErrorExitCode;
    return false;
  }
  RemoveLeftoverProgramFile();
  PrepareUserDataFolder();
  std::optional<SkinChoice> choice = SelectSkinAtStartup(m_runSkin);
  if (!choice) {
    m_exitCode = kSkinErrorExitCode;
    return false;
  }
  m_skins = std::move(*choice);
  if (!m_runSkin.isEmpty() && FindSkinByName(m_skins.skins, ToU16(m_runSkin)) == nullptr)
    std::fprintf(stderr, "Vantrel: шкурка «%s» не найдена.\n", m_runSkin.toLocal8Bit().constData());

  // The window itself starts disabled; the third start-up timer enables it.
  setEnabled(false);
  AddSkinParts();
  CreateButton(m_close, kButtonClose, cmd::kClose, {726, 7}, kAnchorFollow, kAnchorTop);
  CreateButton(m_maximize, kButtonMaximize, cmd::kMaximize, {713, 7}, kAnchorFollow, kAnchorTop);
  CreateButton(m_minimize, kButtonMinimize, cmd::kMinimize, {700, 7}, kAnchorFollow, kAnchorTop);
  CreateButton(m_about, kButtonQuestion, cmd::kAbout, {438, 480}, kAnchorLeft, kAnchorFollowBottom);
  CreateButton(m_record, kButtonRecord, cmd::kRecord, {145, 480}, kAnchorLeft, kAnchorFollowBottom);
  m_record.SetToggleMode(true);
  m_record.setEnabled(false);
  CreatePanels();
  CreateButton(m_heart, kButtonHeart, cmd::kHeart, {190, 550}, kAnchorLeft, kAnchorFollowBottom);
  CreateButton(m_unheart, kButtonUnheart, cmd::kUnheart, {190, 620}, kAnchorLeft, kAnchorFollowBottom);
  CreateButton(m_download, kButtonDownload, cmd::kDownload, {940, 37}, kAnchorFollow, kAnchorTop);
  for (CSkinBaseButton* button : {&m_heart, &m_unheart, &m_download}) {
    button->hide();
    button->setEnabled(false);
  }

  setWindowTitle(ResString(res::IDS_VERSION));
  UpdateLayout(true, false);
  setWindowIcon(m_icon);

  LayOutControls();
  move(1, 0);
  raise();

  m_favorites.InsertNameColumn(QStringLiteral("Name"), 217);
  m_byCountries.setChecked(true);

  CChannelList& store = GetChannelList();
  store.LoadChannels();
  store.LoadFavorites();
  FillFavoritesList();
  BuildTreeByCountries();
  RefillSearchItems();

  m_firstPaintPending = true;
  m_sliding = false;

  CreatePreviewButtons();
  // The second read may change the current folder (for the message box and the about window)
  // but not the images loaded above.
  const QString setting = ConfirmSkinSetting(m_skins, m_runSkin);
  if (CSkinBaseButton* pressed = PreviewButton(setting)) pressed->SetToggleState(true);
  // Messages from here on wear the skin settled on.
  InstallSkinnedMessageBox(m_skins.current);
  ConnectControls();
  ConnectSearch();
  ConnectPlaylists();
  ConnectRecordings();
  m_playlists.Load();

  m_mpris = std::make_unique<CMprisService>(m_player, m_zapper, *this, [this](int step) { StepChannel(step); });
  RestoreVolume();
  connect(&m_player, &CMediaplayer::VolumeChanged, this, &CVantrelDlg::RememberVolume);
  qApp->installEventFilter(this);
  return true;
}

void CVantrelDlg::ShowStatusText(const QString& text) { m_status.ShowStatusText(text); }

void CVantrelDlg::paintEvent(QPaintEvent* event) {
  CSkinBaseDialog::paintEvent(event);
  if (!m_firstPaintPending) return;
  m_firstPaintPending = false;
  // The rest runs once this paint has reached the screen, outside the paint handler.
  QMetaObject::invokeMethod(this, &CVantrelDlg::OnFirstPaint, Qt::QueuedConnection);
}

void CVantrelDlg::OnFirstPaint() {
  m_player.setGeometry(kPlayerAtFirstPaint);
  m_timer1.start(1, this);
  // The playlists' refresh runs on its own thread; what it brings arrives later.
  m_playlists.StartRefresh();
  // On the bus once the window is on screen: media controls then reach a window that exists.
  m_mprisRegistered = m_mpris->Register();
  RunUpdateChecks();
}

void CVantrelDlg::timerEvent(QTimerEvent* event) {
  for (QBasicTimer* timer : {&m_timer1, &m_timer2, &m_timer3}) {
    if (timer->isActive() && event->timerId() == timer->timerId()) {
      OnStartupTimer(*timer);
      return;
    }
  }
  CSkinBaseDialog::timerEvent(event);
}

// The panels open one after the other, then the window becomes usable.
void CVantrelDlg::OnStartupTimer(QBasicTimer& timer) {
  timer.stop();
  if (&timer == &m_timer1) {
    m_downArrow.SetToggleState(true);
    OnCommand(cmd::kDownArrow);
    m_timer2.start(kStartupPanelDelayMs, this);
  } else if (&timer == &m_timer2) {
    m_rightArrow.SetToggleState(true);
    OnCommand(cmd::kRightArrow);
    m_timer3.start(kStartupPanelDelayMs, this);
  } else {
    setEnabled(true);
    update();
    ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
    if (!m_openAtStartup.isEmpty()) Open(std::exchange(m_openAtStartup, {}));
  }
}

CSkinBaseButton* CVantrelDlg::PreviewButton(const QString& skinName) const {
  const BuiltInSkin* skin = FindBuiltInSkin(ToU16(skinName));
  if (skin == nullptr) return nullptr;
  for (const auto& button : m_previews)
    if (button->CommandId() == skin->command) return button.get();
  return nullptr;
}

}  // namespace vantrel
