#include "updates/update_client.h"

#include "resources/resource.h"
#include "updates/update_files.h"

namespace vantrel {
namespace {

PageFetch Fetch(const UpdateClientInfo& client, const std::u16string& address) {
  return FetchServerPage(address, UpdateUserAgent(client));
}

// A transfer that fails gives `failureMessage`; the bytes of one that arrived go to `install`.
template <typename Install>
InstallResult DownloadThen(const UpdateClientInfo& client, std::u16string_view address, int failureMessage,
                           const DownloadProgress& progress, Install install) {
  const DownloadedBody body = DownloadToMemory(address, UpdateUserAgent(client), progress);
  if (!body.Ok()) return {false, failureMessage};
  return install(body.bytes);
}

}  // namespace

CheckOutcome CheckProgramOnServer(const UpdateClientInfo& client) {
  return ClassifyProgramCheck(Fetch(client, ProgramCheckAddress(client)));
}

CheckOutcome CheckSkinsOnServer(const UpdateClientInfo& client, const std::vector<std::u16string>& skinFolders) {
  return ClassifySkinsCheck(Fetch(client, SkinCheckAddress(client, skinFolders)));
}

CheckOutcome CheckChannelsOnServer(const UpdateClientInfo& client, std::int32_t catalogueVersion) {
  return ClassifyChannelsCheck(Fetch(client, ChannelCheckAddress(client, catalogueVersion)));
}

InstallResult DownloadChannelListFile(const UpdateClientInfo& client, std::u16string_view address,
                                      const std::filesystem::path& catalogPath, const DownloadProgress& progress) {
  return DownloadThen(client, address, res::IDS_CHANNELS_ERROR, progress,
                      [&](std::string_view bytes) { return SaveChannelList(catalogPath, bytes); });
}

InstallResult DownloadSkinPackFiles(const UpdateClientInfo& client, std::u16string_view address,
                                    std::u16string_view skinName, const std::filesystem::path& programFolder,
                                    const DownloadProgress& progress) {
  // A name that could leave the skins folder is refused before anything is fetched.
  if (!IsPlainFileName(skinName)) return {false, res::IDS_SKINS_ERROR};
  return DownloadThen(client, address, res::IDS_SKINS_ERROR, progress,
                      [&](std::string_view bytes) { return InstallSkinPack(programFolder, skinName, bytes); });
}

InstallResult DownloadProgramUpdateFiles(const UpdateClientInfo& client, std::u16string_view address,
                                         std::u16string_view archiveName, const std::filesystem::path& programFile,
                                         const DownloadProgress& progress) {
  if (!IsPlainFileName(archiveName)) return {false, res::IDS_PROGRAM_ERROR};
  return DownloadThen(client, address, res::IDS_PROGRAM_ERROR, progress,
                      [&](std::string_view bytes) { return InstallProgramUpdate(programFile, archiveName, bytes); });
}

}  // namespace vantrel
