#include <gtest/gtest.h>

#include <httplib.h>

#include <algorithm>
#include <sstream>

#include "base/text_codec.h"
#include "tests/updates/scripted_server.h"
#include "tests/updates/zip_test_support.h"
#include "tools/server/live_stream.h"
#include "tools/server/update_server.h"
#include "tools/skincheck/skin_check.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;

const fs::path kDemo = VANTREL_DEMO_DIR;
const fs::path kServerRoot = kDemo / "server";

// The version the starting catalogue's XML gives its root.
std::int32_t StartingVersion() {
  const std::string xml = ReadBytes(kDemo / "channels.xml");
  const std::size_t at = xml.find("<channels version=\"");
  return at == std::string::npos ? -1 : std::stoi(xml.substr(at + 19));
}

class DemoServer : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ClearProxyEnvironment();
    ASSERT_TRUE(m_server.Start());
  }
  UpdateClientInfo Client() const { return {Utf8ToUtf16(m_server.BaseAddress()), u"Vantrel 2.0.ru", u""}; }

  std::ostringstream m_log;
  server::UpdateServer m_server{{kServerRoot, "127.0.0.1", 0, &m_log}};
};

// A first run: no program update, a skin offered that is none of the seven built-in ones,
// and the newer catalogue offered for the starting version but not for its own.
TEST_F(DemoServer, FirstRunSeesTheOffers) {
  const CheckOutcome program = CheckProgramOnServer(Client());
  EXPECT_EQ(program.action, CheckAction::kNone);
  EXPECT_TRUE(program.continueChecks);

  const std::vector<std::u16string> builtIn{u"Classic", u"Metall", u"Flowers", u"Glamour",
                                            u"Crossy",  u"Liquid", u"Panels"};
  std::vector<std::u16string> folders;
  for (const auto& name : builtIn) folders.push_back(u"/opt/vantrel/skins/" + name);
  const CheckOutcome skins = CheckSkinsOnServer(Client(), folders);
  ASSERT_EQ(skins.action, CheckAction::kAskOffer);
  EXPECT_EQ(skins.offer.field2, u"Aurora");

  const CheckOutcome channels = CheckChannelsOnServer(Client(), StartingVersion());
  ASSERT_EQ(channels.action, CheckAction::kStoreChannelOffer);
  EXPECT_GT(std::stoi(Utf16ToUtf8(channels.offer.field3)), 0);
  const int offeredVersion = std::stoi(ReadBytes(kServerRoot / "channels" / "version"));
  EXPECT_GT(offeredVersion, StartingVersion());
  EXPECT_EQ(CheckChannelsOnServer(Client(), offeredVersion).action, CheckAction::kNone);
}

// Taking both offers leaves the server's catalogue in place and a skin folder the program
// accepts.
TEST_F(DemoServer, OffersInstall) {
  TempFolder program;
  fs::create_directory(program / "skins");
  const CheckOutcome skins = CheckSkinsOnServer(Client(), {});
  ASSERT_EQ(skins.action, CheckAction::kAskOffer);
  EXPECT_EQ(DownloadSkinPackFiles(Client(), skins.offer.field1, skins.offer.field2, program.path(), {}),
            (InstallResult{true, 0}));
  const SkinCheckReport report = CheckSkinFolder(program / "skins" / "Aurora");
  EXPECT_FALSE(report.HasProblems()) << (report.problems.empty() ? "dropped" : report.problems.front());

  const CheckOutcome channels = CheckChannelsOnServer(Client(), 0);
  ASSERT_EQ(channels.action, CheckAction::kStoreChannelOffer);
  EXPECT_EQ(DownloadChannelListFile(Client(), channels.offer.field1, program / "channels.dat", {}),
            (InstallResult{true, 0}));
  EXPECT_EQ(ReadBytes(program / "channels.dat"), ReadBytes(kServerRoot / "channels" / "channels.dat"));
}

// A channel's live address keeps delivering: past the first burst, data goes on arriving.
TEST_F(DemoServer, LiveChannelKeepsDelivering) {
  std::vector<fs::path> streams;
  for (const auto& entry : fs::directory_iterator(kServerRoot / "media")) {
    if (entry.path().extension() == ".ts") streams.push_back(entry.path());
  }
  ASSERT_FALSE(streams.empty());
  std::sort(streams.begin(), streams.end());
  const auto media = server::LoadLiveMedia(streams.front());
  ASSERT_TRUE(media);
  const auto wanted = static_cast<std::size_t>((server::kLiveLeadSeconds + 1.5) * media->bytesPerSecond);

  httplib::Client client("127.0.0.1", m_server.Port());
  client.set_read_timeout(30, 0);
  std::string body;
  client.Get(("/live/" + streams.front().filename().string()).c_str(), [&](const char* data, std::size_t length) {
    body.append(data, length);
    return body.size() < wanted;
  });
  ASSERT_GE(body.size(), wanted);
  EXPECT_EQ(body.substr(0, 4096), media->bytes->substr(0, 4096));
}

}  // namespace
}  // namespace vantrel
