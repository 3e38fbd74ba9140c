#include "updates/update_client.h"

#include "resources/resource.h"
#include "updates/update_files.h"

namespace vantrel {
namespace {

PageFetch Fetch(const UpdateClientInfo& client, const std::u16string& address) {
  return FetchServerPage(address, UpdateUserAgent(client));
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
  const DownloadedBody body = DownloadToMemory(address, UpdateUserAgent(client), progress);
  if (!body.Ok()) return {false, res::IDS_CHANNELS_ERROR};
  return SaveChannelList(catalogPath, body.bytes);
}

InstallResult DownloadSkinPackFiles(const UpdateClientInfo& client, std::u16string_view address,
                                    std::u16string_view skinName, const std::filesystem::path& programFolder,
                                    const DownloadProgress& progress) {
  // A name that could leave the skins folder is refused before anything is fetched.
  if (!IsPlainFileName(skinName)) return {false, res::IDS_SKINS_ERROR};
  const DownloadedBody body = DownloadToMemory(address, UpdateUserAgent(client), progress);
  if (!body.Ok()) return {false, res::IDS_SKINS_ERROR};
  return InstallSkinPack(programFolder, skinName, body.bytes);
}

InstallResult DownloadProgramUpdateFiles(const UpdateClientInfo& client, std::u16string_view address,
                                         std::u16string_view archiveName, const std::filesystem::path& programFile,
                                         const DownloadProgress& progress) {
  if (!IsPlainFileName(archiveName)) return {false, res::IDS_PROGRAM_ERROR};
  const DownloadedBody body = DownloadToMemory(address, UpdateUserAgent(client), progress);
  if (!body.Ok()) return {false, res::IDS_PROGRAM_ERROR};
  return InstallProgramUpdate(programFile, archiveName, body.bytes);
}

}  // namespace vantrel
