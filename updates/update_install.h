#pragma once
// What the three downloads do on disk once the bytes are in memory. No window: the caller
// shows the message a result names and asks about the restart.

#include <filesystem>
#include <string_view>

namespace vantrel {

struct InstallResult {
  bool installed = false;  // the new files are in place: offer the restart
  int messageId = 0;       // when not installed, the string to show; 0 shows nothing

  bool operator==(const InstallResult&) const = default;
};

// Replaces the catalogue with the downloaded bytes, unchanged, so that a failed write keeps
// the old catalogue. A failed write is reported with the catalogue download's message.
InstallResult SaveChannelList(const std::filesystem::path& catalogPath, std::string_view bytes);

// Saves the pack as <program folder>/skins/<name>.dat, unpacks its 32 entries into the
// folder skins/<name> and deletes the archive. A name that is not a plain file name, a pack
// without exactly 32 entries or with an entry name that is not a plain file name is refused
// (archive and folder stay); a pack that is not an archive is left without a message. A
// picture that fails to unpack makes the install a failure: a skin missing one cannot be used.
// Neither install unpacks more than 256 MiB: archives declaring more are refused like a wrong
// entry count, and archives whose entries share bytes do not open.
InstallResult InstallSkinPack(const std::filesystem::path& programFolder, std::u16string_view skinName,
                              std::string_view packBytes);

// Saves the archive as <program folder>/<archive name>.dat; its one entry is extracted under
// a temporary name, given the program file's permission bits, moved to its stored name and
// then takes the program file's name, the old program staying as "temp.tmp". The program
// file's name never stands empty: the old program is linked to "temp.tmp" first and the new
// one renamed over it. When "temp.tmp" already exists nothing is swapped: the new file stays
// under its stored name and the result is a failure.
InstallResult InstallProgramUpdate(const std::filesystem::path& programFile, std::u16string_view archiveName,
                                   std::string_view archiveBytes);

}  // namespace vantrel
