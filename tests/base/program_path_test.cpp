#include "base/program_path.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The program's folder and name come from the kept path; a folder of its own keeps its files.
TEST(ProgramPath, FolderNameAndFiles) {
  SetProgramPathForTesting("/opt/vantrel/Vantrel");
  EXPECT_EQ(ProgramFolder(), fs::path("/opt/vantrel"));
  EXPECT_EQ(ProgramName(), "Vantrel");
  EXPECT_EQ(ProgramFolderFile(kCatalogueFile), fs::path("/opt/vantrel/channels.dat"));
  EXPECT_EQ(FileLocation(DataFile::kShippedSkins), fs::path("/opt/vantrel/skins"));
}

// The real path is the running test program itself.
TEST(ProgramPath, ReadsOwnPath) {
  ASSERT_TRUE(InitProgramPath());
  EXPECT_TRUE(fs::exists(ProgramFile()));
  EXPECT_EQ(ProgramName(), "base_core_test");
}

// The program moved aside by an update is removed; when there is none nothing happens.
TEST(ProgramPath, LeftoverProgramRemoved) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-pp-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  SetProgramPathForTesting(dir / "Vantrel");
  std::ofstream(dir / "temp.tmp") << "old build";
  std::ofstream(dir / "channels.dat") << "keep";
  RemoveLeftoverProgramFile();
  EXPECT_FALSE(fs::exists(dir / "temp.tmp"));
  EXPECT_TRUE(fs::exists(dir / "channels.dat"));
  EXPECT_NO_THROW(RemoveLeftoverProgramFile());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel
