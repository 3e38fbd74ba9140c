#include <gtest/gtest.h>

#include "tests/updates/minisign_support.h"
#include "updates/update_keys.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::MinisignKeyPair;
using test::RunQuietly;

int SignTool(const std::vector<std::string>& args, std::string* output = nullptr) {
  std::vector<std::string> command{VANTREL_SIGN_TOOL};
  command.insert(command.end(), args.begin(), args.end());
  return RunQuietly(command, output);
}

// vantrel-sign answers 0 only for a file the key accepts, 1 with one line of reason for
// anything else, and 64 for a wrong command line.
TEST(SignTool, ExitCodes) {
  MinisignKeyPair publisher;
  MinisignKeyPair stranger;
  test::TempFolder folder;
  const fs::path file = folder / "update.zip";
  test::WriteBytes(file, "archive bytes");
  const std::string key = publisher.PublicKeyFile().string();

  std::string output;
  EXPECT_EQ(SignTool({"verify", "--key", key, file.string()}, &output), 1);
  EXPECT_NE(output.find("update.zip.minisig"), std::string::npos) << output;

  publisher.Sign(file, "release 2.1");
  EXPECT_EQ(SignTool({"verify", "--key", key, file.string()}, &output), 0) << output;
  EXPECT_NE(output.find("release 2.1"), std::string::npos) << output;
  // This build's own keys do not include the test's.
  EXPECT_EQ(SignTool({"verify", file.string()}), 1);
  EXPECT_EQ(SignTool({"verify", "--key", stranger.PublicKeyFile().string(), file.string()}), 1);
  EXPECT_EQ(SignTool({"verify", "--key", (folder / "missing.pub").string(), file.string()}), 1);
  EXPECT_EQ(SignTool({"verify", "--key", file.string(), file.string()}), 1);

  test::WriteBytes(file, "archive bytes, altered");
  EXPECT_EQ(SignTool({"verify", "--key", key, file.string()}, &output), 1);
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;

  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{}, {"verify"}, {"check", file.string()}, {"verify", "--key", key},
        {"verify", "--kee", key, file.string()}}) {
    EXPECT_EQ(SignTool(wrong), 64);
  }
}

// Every key compiled in parses; with the demo built, its key is among them and the demo
// server's downloads pass the tool with this build's keys.
TEST(SignTool, BuiltInKeys) {
  EXPECT_EQ(BuiltInUpdateKeys().size(), BuiltInUpdateKeyTexts().size());
#ifdef VANTREL_DEMO_KEY_FILE
  std::string reason;
  const auto demoKey = ParseMinisignPublicKey(test::ReadBytes(VANTREL_DEMO_KEY_FILE), reason);
  ASSERT_TRUE(demoKey) << reason;
  EXPECT_NE(std::find(BuiltInUpdateKeys().begin(), BuiltInUpdateKeys().end(), *demoKey), BuiltInUpdateKeys().end());
  const fs::path server = fs::path(VANTREL_DEMO_DIR) / "server";
  for (const fs::path& file : {server / "channels" / "channels.dat", server / "skins" / "Aurora.zip"}) {
    std::string output;
    EXPECT_EQ(SignTool({"verify", file.string()}, &output), 0) << output;
  }
#endif
}

}  // namespace
}  // namespace vantrel
