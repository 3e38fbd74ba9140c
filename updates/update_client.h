#pragma once
// The update flows without their window: each check fetches its page and says what the
// window should do; each download fetches its file and puts it in place. Blocking, on the
// caller's thread (the window's, by design: it takes no input meanwhile).

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "updates/http_transfer.h"
#include "updates/update_install.h"
#include "updates/update_keys.h"
#include "updates/update_protocol.h"

namespace vantrel {

// An offer whose download was refused for its signature earlier in this run comes back as
// "nothing new".
CheckOutcome CheckProgramOnServer(const UpdateClientInfo& client);
CheckOutcome CheckSkinsOnServer(const UpdateClientInfo& client, const std::vector<std::u16string>& skinFolders);
CheckOutcome CheckChannelsOnServer(const UpdateClientInfo& client, std::int32_t catalogueVersion);

// The downloads of an accepted offer. `progress` runs after each read (the window shows
// DownloadProgressText and redraws). A transfer that fails gives the flow's message and
// changes nothing on disk. The bytes are then checked against their signature (see
// signed_download.h) before anything is written: a refused one gives the flow's signature
// message, writes nothing, and its offer is not made again in this run.
InstallResult DownloadChannelListFile(const UpdateClientInfo& client, std::u16string_view address,
                                      const std::filesystem::path& catalogPath, const DownloadProgress& progress,
                                      std::span<const MinisignPublicKey> trustedKeys = BuiltInUpdateKeys());
InstallResult DownloadSkinPackFiles(const UpdateClientInfo& client, std::u16string_view address,
                                    std::u16string_view skinName, const std::filesystem::path& programFolder,
                                    const DownloadProgress& progress,
                                    std::span<const MinisignPublicKey> trustedKeys = BuiltInUpdateKeys());
InstallResult DownloadProgramUpdateFiles(const UpdateClientInfo& client, std::u16string_view address,
                                         std::u16string_view archiveName, const std::filesystem::path& programFile,
                                         const DownloadProgress& progress,
                                         std::span<const MinisignPublicKey> trustedKeys = BuiltInUpdateKeys());

}  // namespace vantrel
