#include "updates/update_protocol.h"

#include <array>

#include "resources/resource.h"
#include "resources/string_table.h"

namespace vantrel {
namespace {

constexpr std::u16string_view kDelimiter = u"4096";
constexpr std::size_t kCodeLength = 4;

template <typename Integer>
std::u16string Decimal(Integer value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string CheckAddress(const UpdateClientInfo& client, std::u16string_view page) {
  std::u16string address = client.baseAddress;
  address += page;
  address += u"?version=";
  address += client.versionString;
  address += u"&name=";
  address += client.userName;
  return address;
}

CheckOutcome Error(int messageId, bool continueChecks = true) {
  CheckOutcome outcome;
  outcome.action = CheckAction::kShowError;
  outcome.messageId = messageId;
  outcome.continueChecks = continueChecks;
  return outcome;
}

CheckOutcome Notice(std::u16string text) {
  CheckOutcome outcome;
  outcome.action = CheckAction::kShowNotice;
  outcome.text = std::move(text);
  return outcome;
}

CheckOutcome Offer(std::u16string_view payload) {
  CheckOutcome outcome;
  outcome.action = CheckAction::kAskOffer;
  outcome.offer = SplitOfferFields(payload, kOfferSearchStart);
  outcome.text = outcome.offer.message;
  return outcome;
}

}  // namespace

UpdateClientInfo MakeUpdateClientInfo(const std::optional<std::u16string>& serverSetting,
                                      std::u16string userName) {
  UpdateClientInfo client;
  client.baseAddress =
      serverSetting ? *serverSetting : std::u16string(LoadResString(res::IDS_UPDATE_SERVER));
  client.versionString = LoadResString(res::IDS_VERSION);
  client.userName = std::move(userName);
  return client;
}

std::u16string UpdateUserAgent(const UpdateClientInfo& client) {
  return client.versionString + u" - " + client.userName;
}

std::u16string ProgramCheckAddress(const UpdateClientInfo& client) {
  return CheckAddress(client, u"php/check_program.php");
}

std::u16string SkinCheckAddress(const UpdateClientInfo& client,
                                const std::vector<std::u16string>& skinFolders) {
  return CheckAddress(client, u"php/check_skins.php") + u"&skins=" + SkinListParameter(skinFolders);
}

std::u16string ChannelCheckAddress(const UpdateClientInfo& client, std::int32_t catalogueVersion) {
  return CheckAddress(client, u"php/check_channels.php") + u"&channels_version=" +
         Decimal(catalogueVersion);
}

std::u16string SkinListParameter(const std::vector<std::u16string>& skinFolders) {
  std::u16string list;
  for (const auto& folder : skinFolders) {
    const auto slash = folder.rfind(u'/');
    if (slash == std::u16string::npos) continue;
    list.append(folder, slash + 1);
    list += u';';
  }
  return list;
}

ServerAnswer ParseServerAnswer(std::u16string_view text) {
  ServerAnswer answer;
  if (text.size() < kCodeLength) return answer;
  const auto code = text.substr(0, kCodeLength);
  if (code == u"1024") answer.code = AnswerCode::kEnd;
  else if (code == u"2048") answer.code = AnswerCode::kNotice;
  else if (code == u"4096") answer.code = AnswerCode::kOffer;
  answer.payload = text.substr(kCodeLength);
  return answer;
}

OfferFields SplitOfferFields(std::u16string_view payload, std::size_t laterSearchStart) {
  std::array<std::u16string, 3> fields;
  std::u16string_view rest = payload;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::size_t start = k == 0 ? kOfferSearchStart : laterSearchStart;
    const std::size_t at = rest.size() < start ? std::u16string_view::npos : rest.find(kDelimiter, start);
    if (at == std::u16string_view::npos) {
      // A missing delimiter still drops three characters, as the server's clients always did.
      rest = rest.size() > 3 ? rest.substr(3) : std::u16string_view();
    } else {
      fields[k] = rest.substr(0, at);
      rest = rest.substr(at + kDelimiter.size());
    }
  }
  return {std::move(fields[0]), std::move(fields[1]), std::move(fields[2]), std::u16string(rest)};
}

CheckOutcome ClassifyProgramCheck(const PageFetch& fetch) {
  if (fetch.status == TransferStatus::kNotConnected) return Error(res::IDS_SERVER_UNREACHABLE, false);
  CheckOutcome outcome;
  if (fetch.status == TransferStatus::kReadFailed) {
    outcome.showChooseChannel = true;
    return outcome;
  }
  if (fetch.text.empty()) return outcome;
  const ServerAnswer answer = ParseServerAnswer(fetch.text);
  switch (answer.code) {
    case AnswerCode::kEnd:
      outcome.continueChecks = false;
      return outcome;
    case AnswerCode::kNotice:
      outcome = Notice(answer.payload);
      outcome.continueChecks = false;
      return outcome;
    case AnswerCode::kOffer:
      outcome = Offer(answer.payload);
      break;
    case AnswerCode::kOther:
      break;
  }
  outcome.showChooseChannel = true;
  return outcome;
}

CheckOutcome ClassifySkinsCheck(const PageFetch& fetch) {
  if (fetch.status != TransferStatus::kOk) return Error(res::IDS_SKINS_ERROR);
  const ServerAnswer answer = ParseServerAnswer(fetch.text);
  if (answer.code == AnswerCode::kNotice) return Notice(answer.payload);
  if (answer.code == AnswerCode::kOffer) return Offer(answer.payload);
  return {};
}

CheckOutcome ClassifyChannelsCheck(const PageFetch& fetch) {
  if (fetch.status == TransferStatus::kNotConnected) return Error(res::IDS_SERVER_UNREACHABLE);
  if (fetch.status == TransferStatus::kReadFailed) return Error(res::IDS_CHANNELS_ERROR);
  const ServerAnswer answer = ParseServerAnswer(fetch.text);
  if (answer.code == AnswerCode::kNotice) return Notice(answer.payload);
  if (answer.code != AnswerCode::kOffer) return {};
  CheckOutcome outcome;
  outcome.action = CheckAction::kStoreChannelOffer;
  outcome.offer = SplitOfferFields(answer.payload, kChannelOfferSearchStart);
  return outcome;
}

std::u16string DownloadProgressText(std::uint64_t bytes, std::u16string_view suffix) {
  return Decimal(bytes / 1024) + std::u16string(suffix);
}

std::optional<std::u16string_view> BuiltInSkinToRestart(std::u16string_view currentSkin) {
  static constexpr std::array<std::u16string_view, 7> kBuiltIn{
      u"Classic", u"Metall", u"Crossy", u"Panels", u"Liquid", u"Flowers", u"Glamour"};
  for (const auto name : kBuiltIn) {
    if (name == currentSkin) return name;
  }
  return std::nullopt;
}

}  // namespace vantrel
