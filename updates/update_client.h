#pragma once
// The update flows without their window: each check fetches its page and says what the
// window should do; each download fetches its file and puts it in place. Blocking, on the
// caller's thread (the window's, by design: it takes no input meanwhile).

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "updates/http_transfer.h"
#include "updates/update_install.h"
#include "updates/update_protocol.h"

namespace vantrel {

CheckOutcome CheckProgramOnServer(const UpdateClientInfo& client);
CheckOutcome CheckSkinsOnServer(const UpdateClientInfo& client, const std::vector<std::u16string>& skinFolders);
CheckOutcome CheckChannelsOnServer(const UpdateClientInfo& client, std::int32_t catalogueVersion);

// The downloads of an accepted offer. `progress` runs after each read (the window shows
// DownloadProgressText and redraws). A transfer that fails gives the flow's message and
// changes nothing on disk.
InstallResult DownloadChannelListFile(const UpdateClientInfo& client, std::u16string_view address,
                                      const std::filesystem::path& catalogPath, const DownloadProgress& progress);
InstallResult DownloadSkinPackFiles(const UpdateClientInfo& client, std::u16string_view address,
                                    std::u16string_view skinName, const std::filesystem::path& programFolder,
                                    const DownloadProgress& progress);
InstallResult DownloadProgramUpdateFiles(const UpdateClientInfo& client, std::u16string_view address,
                                         std::u16string_view archiveName, const std::filesystem::path& programFile,
                                         const DownloadProgress& progress);

}  // namespace vantrel
