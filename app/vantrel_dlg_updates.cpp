// The start-up update checks and the three downloads they lead to. Everything here blocks the
// window's thread on purpose: the window takes no input while the server is asked, and it is
// redrawn before each step so that the status text is on screen during the wait.
#include "base/message_box.h"
#include "base/program_path.h"
#include "base/qt_strings.h"
#include "base/settings.h"
#include "base/text_codec.h"
#include "app/vantrel_dlg.h"
#include "catalogue/channel_list.h"
#include "resources/resource.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

// The server named for this run wins over the settings, which win over the build's; the user
// name comes from the settings.
UpdateClientInfo UpdateClientFor(const QString& runServer) {
  const QString server = runServer.isEmpty() ? GetProfileString(kUpdateSection, kServerEntry) : runServer;
  std::optional<std::u16string> serverSetting;
  if (!server.isEmpty()) serverSetting = ToU16(server);
  return MakeUpdateClientInfo(serverSetting, ToU16(GetProfileString(kUpdateSection, kUserNameEntry)));
}

// Paints the window now, children included, without dispatching any other event: input and
// timers wait until the blocking work is over.
void RedrawNow(QWidget& window) { window.repaint(); }

// Shows a check's message; true when it was an offer and the user took it.
bool ShowCheckOutcome(const CheckOutcome& outcome, QWidget* owner) {
  switch (outcome.action) {
    case CheckAction::kShowError: ShowSkinnedMessage(ResString(outcome.messageId), owner); return false;
    case CheckAction::kShowNotice: ShowSkinnedMessage(ToQString(outcome.text), owner); return false;
    case CheckAction::kAskOffer: return ShowSkinnedMessage(ToQString(outcome.text), owner) == MsgResult::Ok;
    case CheckAction::kNone:
    case CheckAction::kStoreChannelOffer: return false;
  }
  return false;
}

std::vector<std::u16string> SkinFolderTexts(const std::vector<std::filesystem::path>& folders) {
  std::vector<std::u16string> texts;
  texts.reserve(folders.size());
  for (const auto& folder : folders) texts.push_back(Utf8ToUtf16(folder.string()));
  return texts;
}

QString NewChannelsText(const QString& count) { return ResString(res::IDS_NEW_CHANNELS_LABEL) + count; }

}  // namespace

UpdateClientInfo CVantrelDlg::UpdateClient() const { return UpdateClientFor(m_runUpdateServer); }

// Without a named server nothing is asked and nothing is said. An installed program leaves
// its own updates to the package manager.
void CVantrelDlg::RunUpdateChecks() {
  if (UpdateClient().baseAddress.empty()) return;
  if (CurrentInstallMode() == InstallMode::kPortable) {
    RedrawNow(*this);
    ShowStatusText(ResString(res::IDS_CHECKING_PROGRAM));
    if (!CheckProgramUpdate()) return;
  }

  RedrawNow(*this);
  ShowStatusText(ResString(res::IDS_CHECKING_SKINS));
  CheckNewSkins();
  // An accepted restart ends the window; nothing more is asked of the server.
  if (m_ending) return;

  RedrawNow(*this);
  ShowStatusText(ResString(res::IDS_GETTING_CHANNELS));
  CheckNewChannels();

  RedrawNow(*this);
  ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
}

bool CVantrelDlg::CheckProgramUpdate() {
  const CheckOutcome outcome = CheckProgramOnServer(UpdateClient());
  if (ShowCheckOutcome(outcome, this)) {
    DownloadProgramUpdate(ToQString(outcome.offer.field1), ToQString(outcome.offer.field2),
                          ToQString(outcome.offer.field3));
  }
  if (m_ending || !outcome.continueChecks) return false;
  if (outcome.showChooseChannel) {
    RedrawNow(*this);
    ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
  }
  return true;
}

void CVantrelDlg::CheckNewSkins() {
  const CheckOutcome outcome = CheckSkinsOnServer(UpdateClient(), SkinFolderTexts(m_skins.skins));
  if (ShowCheckOutcome(outcome, this)) {
    DownloadSkinPack(ToQString(outcome.offer.field1), ToQString(outcome.offer.field2),
                     ToQString(outcome.offer.field3));
  }
}

void CVantrelDlg::CheckNewChannels() {
  m_newChannels.setText(NewChannelsText(QStringLiteral("0")));
  const CheckOutcome outcome = CheckChannelsOnServer(UpdateClient(), GetChannelList().version);
  if (outcome.action != CheckAction::kStoreChannelOffer) {
    ShowCheckOutcome(outcome, this);
    return;
  }
  ChannelListUrl = ToQString(outcome.offer.field1);
  DownloadProgressSuffix = ToQString(outcome.offer.field2);
  NewChannelCount = ToQString(outcome.offer.field3);
  m_newChannels.setText(NewChannelsText(NewChannelCount));
  m_download.setEnabled(true);
}

DownloadProgress CVantrelDlg::ShowDownloadProgress(const QString& suffix) {
  return [this, suffix = ToU16(suffix)](std::uint64_t totalBytes) {
    RedrawNow(*this);
    ShowStatusText(ToQString(DownloadProgressText(totalBytes, suffix)));
  };
}

// The download button's command. A failed download changes nothing, so it can be tried again.
void CVantrelDlg::DownloadChannelList() {
  CChannelList& store = GetChannelList();
  const InstallResult result = DownloadChannelListFile(UpdateClient(), ToU16(ChannelListUrl), store.catalogPath,
                                                       ShowDownloadProgress(DownloadProgressSuffix));
  if (!result.installed) {
    // A refused signature would be refused again: that offer is over for this run.
    if (result.messageId == res::IDS_CHANNELS_SIGNATURE_BAD) m_download.setEnabled(false);
    if (result.messageId != 0) ShowSkinnedMessage(ResString(result.messageId), this);
    return;
  }
  m_newChannels.setText(NewChannelsText(QStringLiteral("0")));
  ShowSkinnedMessage(ResString(res::IDS_CHANNELS_UPDATED) + NewChannelCount, this);
  // The items point into the store: they go before it is reloaded. The radio buttons stay as
  // they are even though the new tree is by country.
  m_tree.Fill({});
  m_tree.SearchModel().SetItems({}, {}, {});
  store.LoadChannels();
  BuildTreeByCountries();
  RefillSearchItems();
  m_download.setEnabled(false);
  RedrawNow(*this);
  ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
}

void CVantrelDlg::DownloadSkinPack(const QString& address, const QString& skinName, const QString& suffix) {
  const InstallResult result = DownloadSkinPackFiles(UpdateClient(), ToU16(address), ToU16(skinName),
                                                     FileLocation(DataFile::kUserDataFolder), ShowDownloadProgress(suffix));
  FinishInstall(result, res::IDS_SKIN_RESTART);
}

void CVantrelDlg::DownloadProgramUpdate(const QString& address, const QString& archiveName, const QString& suffix) {
  const InstallResult result = DownloadProgramUpdateFiles(UpdateClient(), ToU16(address), ToU16(archiveName),
                                                          ProgramFile(), ShowDownloadProgress(suffix));
  FinishInstall(result, res::IDS_PROGRAM_RESTART);
}

// After an install the program can restart through the current skin's switch command, which
// starts the kept program path anew and ends this window through its one close path.
void CVantrelDlg::FinishInstall(const InstallResult& result, int restartQuestionId) {
  if (!result.installed) {
    if (result.messageId != 0) ShowSkinnedMessage(ResString(result.messageId), this);
    return;
  }
  if (ShowSkinnedMessage(ResString(restartQuestionId), this) == MsgResult::Ok) {
    const QString currentSkin = GetProfileString(kSkinsSection, kCurrentSkinEntry);
    if (const auto skin = BuiltInSkinToRestart(ToU16(currentSkin))) {
      OnCommand(FindBuiltInSkin(*skin)->command);
      if (m_ending) return;
    }
  }
  RedrawNow(*this);
  ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
}

}  // namespace vantrel
