#pragma once
// The update server's request addresses and answer grammar. Pure functions: no network, no
// window. The window-side checks only act on the CheckOutcome these give them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What every request carries: the server's folder address (ends in "/"), the program's
// version string and the user name. Values go into the addresses exactly as they are.
struct UpdateClientInfo {
  std::u16string baseAddress;
  std::u16string versionString;
  std::u16string userName;
};

// The base address is string 145 unless the settings name a server ("Update"/"Server");
// the version string is string 146.
UpdateClientInfo MakeUpdateClientInfo(const std::optional<std::u16string>& serverSetting,
                                      std::u16string userName);

// Version string + " - " + user name; sent with every check and download.
std::u16string UpdateUserAgent(const UpdateClientInfo& client);

std::u16string ProgramCheckAddress(const UpdateClientInfo& client);
// `skinFolders` are the installed skins' folder paths in list order.
std::u16string SkinCheckAddress(const UpdateClientInfo& client,
                                const std::vector<std::u16string>& skinFolders);
std::u16string ChannelCheckAddress(const UpdateClientInfo& client, std::int32_t catalogueVersion);

// Each folder's last path component followed by ";"; a path without a separator adds nothing.
std::u16string SkinListParameter(const std::vector<std::u16string>& skinFolders);

// The first four characters of an answer are its code, the rest is the payload.
enum class AnswerCode {
  kEnd,     // "1024": nothing offered, nothing to say
  kNotice,  // "2048": the payload is a message for the user
  kOffer,   // "4096": the payload holds three fields and a message
  kOther,   // any other code, also an answer shorter than four characters
};
struct ServerAnswer {
  AnswerCode code = AnswerCode::kOther;
  std::u16string payload;
};
ServerAnswer ParseServerAnswer(std::u16string_view text);

struct OfferFields {
  std::u16string field1;
  std::u16string field2;
  std::u16string field3;
  std::u16string message;

  bool operator==(const OfferFields&) const = default;
};
// Where the search for the second and third delimiter starts: the program and skin offers
// require fields of four characters or more, the channel offer does not.
inline constexpr std::size_t kOfferSearchStart = 4;
inline constexpr std::size_t kChannelOfferSearchStart = 0;
OfferFields SplitOfferFields(std::u16string_view payload, std::size_t laterSearchStart);

// How a transfer ended. "Not connected" means no answer header came back at all; "read
// failed" means the answer started and then broke off (or grew past the size limit).
enum class TransferStatus { kOk, kNotConnected, kReadFailed };

// The fetched page, as FetchServerPage gives it.
struct PageFetch {
  TransferStatus status = TransferStatus::kOk;
  std::u16string text;
};

// What the window does with a check's answer.
enum class CheckAction {
  kNone,               // show nothing
  kShowError,          // show string `messageId`
  kShowNotice,         // show `text`
  kAskOffer,           // show `text` (the offer's question); on OK download `offer`
  kStoreChannelOffer,  // keep `offer`, show its count in the label, enable the download button
};

struct CheckOutcome {
  CheckAction action = CheckAction::kNone;
  int messageId = 0;
  std::u16string text;
  OfferFields offer;
  // Program check only. continueChecks false: skip the skin and channel checks this run.
  // showChooseChannel: after the action (and any download), redraw and show string 138.
  bool continueChecks = true;
  bool showChooseChannel = false;

  bool operator==(const CheckOutcome&) const = default;
};

CheckOutcome ClassifyProgramCheck(const PageFetch& fetch);
CheckOutcome ClassifySkinsCheck(const PageFetch& fetch);
CheckOutcome ClassifyChannelsCheck(const PageFetch& fetch);

// Status line text while downloading: whole kilobytes so far, then the suffix, no blank between.
std::u16string DownloadProgressText(std::uint64_t bytes, std::u16string_view suffix);

// After an installed update the program restarts through the current skin's switch command,
// but only for the built-in skins; any other setting value restarts nothing.
std::optional<std::u16string_view> BuiltInSkinToRestart(std::u16string_view currentSkin);

}  // namespace vantrel
