#include "updates/update_install.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/program_path.h"
#include "resources/resource.h"
#include "updates/update_files.h"
#include "updates/zip/zip_archive.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr int kSkinPackEntries = 32;
// The most one installation may unpack. Entries never share bytes and never inflate past their
// declared sizes, so the declared total bounds what is written; a total above this refuses
// the archive before anything is unpacked.
constexpr uint64_t kInstallWriteCap = uint64_t{256} << 20;

fs::path WithSuffix(const fs::path& path, const char* suffix) { return fs::path(path.native() + suffix); }

// The stored names of every entry, or nothing when one cannot be read, is not a plain file
// name or the entries declare more than kInstallWriteCap: such an archive is refused before
// anything is unpacked.
bool PlainEntryNames(ZipArchive& archive, std::vector<std::u16string>& names) {
  uint64_t declared = 0;
  for (int i = 0; i < archive.EntryCount(); ++i) {
    ZipEntryInfo info;
    if (archive.GetEntry(i, info) != kZipOk || !IsPlainFileName(info.name)) return false;
    declared += info.uncompressedSize;
    names.push_back(std::move(info.name));
  }
  return declared <= kInstallWriteCap;
}

// Puts `newFile` in the program file's place and keeps the old program as `parked`. The
// old program is linked to `parked` first, so the program's name always names a program; an
// existing `parked` makes the swap fail without touching anything.
bool SwapInProgram(const fs::path& newFile, const fs::path& programFile, const fs::path& parked) {
  if (::link(programFile.c_str(), parked.c_str()) == 0) {
    if (::rename(newFile.c_str(), programFile.c_str()) == 0) return true;
    ::unlink(parked.c_str());
    return false;
  }
  if (errno == EEXIST) return false;
  // A file system without hard links: move the old program aside and put it back when the
  // new one cannot follow.
  if (!RenameNoReplace(programFile, parked)) return false;
  if (::rename(newFile.c_str(), programFile.c_str()) == 0) return true;
  ::rename(parked.c_str(), programFile.c_str());
  return false;
}

}  // namespace

InstallResult SaveChannelList(const fs::path& catalogPath, std::string_view bytes) {
  if (ReplaceFileContents(catalogPath, bytes)) return {true, 0};
  return {false, res::IDS_CHANNELS_ERROR};
}

InstallResult InstallSkinPack(const fs::path& programFolder, std::u16string_view skinName, std::string_view packBytes) {
  const InstallResult refused{false, res::IDS_SKINS_ERROR};
  if (!IsPlainFileName(skinName)) return refused;
  const fs::path skinFolder = fs::path(programFolder.native() + kSkinsFolder) / FileNamePath(skinName);
  const fs::path archiveFile = WithSuffix(skinFolder, ".dat");
  // A failed write shows up as an archive that does not open.
  WriteWholeFile(archiveFile, packBytes);
  std::error_code ec;
  fs::create_directory(skinFolder, ec);

  auto archive = ZipArchive::Open(archiveFile);
  if (!archive) return {};
  std::vector<std::u16string> names;
  if (archive->EntryCount() != kSkinPackEntries || !PlainEntryNames(*archive, names)) return refused;
  bool complete = true;
  for (int i = 0; i < kSkinPackEntries; ++i) {
    if (archive->ExtractToFile(i, skinFolder / FileNamePath(names[static_cast<std::size_t>(i)])) != kZipOk) {
      complete = false;
    }
  }
  archive.reset();
  fs::remove(archiveFile, ec);
  // A skin that lacks a picture cannot be chosen, so a partly unpacked one is no success.
  return complete ? InstallResult{true, 0} : refused;
}

InstallResult InstallProgramUpdate(const fs::path& programFile, std::u16string_view archiveName,
                                   std::string_view archiveBytes) {
  const InstallResult failed{false, res::IDS_PROGRAM_ERROR};
  if (!IsPlainFileName(archiveName)) return failed;
  const fs::path folder = programFile.parent_path();
  const fs::path archiveFile = folder / FileNamePath(std::u16string(archiveName) + u".dat");
  WriteWholeFile(archiveFile, archiveBytes);

  auto archive = ZipArchive::Open(archiveFile);
  if (!archive) return {};
  std::vector<std::u16string> names;
  if (archive->EntryCount() != 1 || !PlainEntryNames(*archive, names)) return failed;
  const fs::path newFile = folder / FileNamePath(names.front());
  const fs::path partFile = folder / FileNamePath(u"." + names.front() + u".part");
  const bool extracted = archive->ExtractToFile(0, partFile) == kZipOk;
  archive.reset();
  std::error_code ec;
  fs::remove(archiveFile, ec);

  // The new program must be runnable the moment it takes the program's name.
  struct stat program {};
  if (!extracted || ::stat(programFile.c_str(), &program) != 0 ||
      ::chmod(partFile.c_str(), program.st_mode & 07777) != 0) {
    fs::remove(partFile, ec);
    return failed;
  }
  // Under its stored name first, where it stays when the swap cannot be made; an entry named
  // like the program goes straight from the temporary name to the program's place.
  fs::path incoming = partFile;
  if (newFile != programFile) {
    if (::rename(partFile.c_str(), newFile.c_str()) != 0) {
      fs::remove(partFile, ec);
      return failed;
    }
    incoming = newFile;
  }
  if (!SwapInProgram(incoming, programFile, fs::path(folder.native() + kTempProgramFile))) {
    if (incoming == partFile) fs::remove(partFile, ec);
    return failed;
  }
  return {true, 0};
}

}  // namespace vantrel
