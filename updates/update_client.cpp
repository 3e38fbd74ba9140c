#include "updates/update_client.h"

#include <cstdio>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "updates/signed_download.h"
#include "updates/update_files.h"

namespace vantrel {
namespace {

PageFetch Fetch(const UpdateClientInfo& client, const std::u16string& address) {
  return FetchServerPage(address, UpdateUserAgent(client));
}

// What one kind of download shows when it fails, and how its signature is asked for.
struct DownloadKind {
  int failureMessage;
  int signatureMessage;
  SignatureRule rule;
  const char* what;
};
constexpr DownloadKind kCatalogue{res::IDS_CHANNELS_ERROR, res::IDS_CHANNELS_SIGNATURE_BAD, SignatureRule::kWhenPresent,
                                  "список каналов"};
constexpr DownloadKind kSkinPack{res::IDS_SKINS_ERROR, res::IDS_SKIN_SIGNATURE_BAD, SignatureRule::kWhenPresent,
                                 "шкурка оформления"};
constexpr DownloadKind kProgram{res::IDS_PROGRAM_ERROR, res::IDS_PROGRAM_SIGNATURE_BAD, SignatureRule::kRequired,
                                "обновление программы"};

InstallResult RefuseSignature(std::u16string_view address, const DownloadKind& kind, const std::string& reason) {
  RememberRefusedOffer(address);
  std::fprintf(stderr, "%s %s: подпись не принята: %s\n", kind.what, Utf16ToUtf8(address).c_str(), reason.c_str());
  return {false, kind.signatureMessage};
}

// A transfer that fails gives the kind's message; the bytes of one that arrived go to
// `install` only when their signature is accepted.
template <typename Install>
InstallResult DownloadThen(const UpdateClientInfo& client, std::u16string_view address, const DownloadKind& kind,
                           std::span<const MinisignPublicKey> trustedKeys, const DownloadProgress& progress,
                           Install install) {
  // Without a key nothing could be accepted: not worth the download (the check says why
  // without asking the server).
  if (kind.rule == SignatureRule::kRequired && trustedKeys.empty()) {
    return RefuseSignature(address, kind, CheckDownloadSignature(client, address, {}, trustedKeys, kind.rule).reason);
  }
  const DownloadedBody body = DownloadToMemory(address, UpdateUserAgent(client), progress);
  if (!body.Ok()) return {false, kind.failureMessage};
  const SignatureVerdict verdict = CheckDownloadSignature(client, address, body.bytes, trustedKeys, kind.rule);
  if (!verdict.accepted) return RefuseSignature(address, kind, verdict.reason);
  return install(body.bytes);
}

}  // namespace

CheckOutcome CheckProgramOnServer(const UpdateClientInfo& client) {
  return WithoutRefusedOffer(ClassifyProgramCheck(Fetch(client, ProgramCheckAddress(client))));
}

CheckOutcome CheckSkinsOnServer(const UpdateClientInfo& client, const std::vector<std::u16string>& skinFolders) {
  return WithoutRefusedOffer(ClassifySkinsCheck(Fetch(client, SkinCheckAddress(client, skinFolders))));
}

CheckOutcome CheckChannelsOnServer(const UpdateClientInfo& client, std::int32_t catalogueVersion) {
  return WithoutRefusedOffer(ClassifyChannelsCheck(Fetch(client, ChannelCheckAddress(client, catalogueVersion))));
}

InstallResult DownloadChannelListFile(const UpdateClientInfo& client, std::u16string_view address,
                                      const std::filesystem::path& catalogPath, const DownloadProgress& progress,
                                      std::span<const MinisignPublicKey> trustedKeys) {
  return DownloadThen(client, address, kCatalogue, trustedKeys, progress,
                      [&](std::string_view bytes) { return SaveChannelList(catalogPath, bytes); });
}

InstallResult DownloadSkinPackFiles(const UpdateClientInfo& client, std::u16string_view address,
                                    std::u16string_view skinName, const std::filesystem::path& programFolder,
                                    const DownloadProgress& progress,
                                    std::span<const MinisignPublicKey> trustedKeys) {
  // A name that could leave the skins folder is refused before anything is fetched.
  if (!IsPlainFileName(skinName)) return {false, res::IDS_SKINS_ERROR};
  return DownloadThen(client, address, kSkinPack, trustedKeys, progress,
                      [&](std::string_view bytes) { return InstallSkinPack(programFolder, skinName, bytes); });
}

InstallResult DownloadProgramUpdateFiles(const UpdateClientInfo& client, std::u16string_view address,
                                         std::u16string_view archiveName, const std::filesystem::path& programFile,
                                         const DownloadProgress& progress,
                                         std::span<const MinisignPublicKey> trustedKeys) {
  if (!IsPlainFileName(archiveName)) return {false, res::IDS_PROGRAM_ERROR};
  return DownloadThen(client, address, kProgram, trustedKeys, progress,
                      [&](std::string_view bytes) { return InstallProgramUpdate(programFile, archiveName, bytes); });
}

}  // namespace vantrel
