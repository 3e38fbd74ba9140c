#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "tests/updates/scripted_server.h"
#include "tests/updates/update_test_files.h"
#include "updates/update_client.h"
#include "updates/update_keys.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using test::ScriptedServer;

class Downloads : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearProxyEnvironment(); }

  UpdateClientInfo Client() const { return {m_server.Base16(), u"Vantrel 2.0.ru", u"tester"}; }
  std::u16string Url(const std::string& path) const { return m_server.Base16() + Utf8ToUtf16(path); }

  DownloadedBody Download(const std::string& path, std::vector<std::uint64_t>& progress) {
    return DownloadToMemory(Url(path), u"agent", [&](std::uint64_t total) { progress.push_back(total); });
  }

  ScriptedServer m_server;
  test::TempFolder m_folder;
};

// Progress comes after each read of at most 65,536 bytes with the total so far, so a small
// catalogue shows "0" kilobytes.
TEST_F(Downloads, ProgressAfterEachRead) {
  m_server.Answer("/small", std::string(500, 's'));
  std::vector<std::uint64_t> progress;
  const DownloadedBody small = Download("small", progress);
  ASSERT_TRUE(small.Ok());
  EXPECT_EQ(small.bytes, std::string(500, 's'));
  ASSERT_EQ(progress, std::vector<std::uint64_t>{500});
  EXPECT_EQ(DownloadProgressText(progress.back(), u" КБ"), u"0 КБ");

  ScriptedServer::Reply generated;
  generated.generatedBytes = 200'000;
  m_server.Answer("/large", generated);
  progress.clear();
  const DownloadedBody large = Download("large", progress);
  ASSERT_TRUE(large.Ok());
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{65'536, 131'072, 196'608, 200'000}));
  ASSERT_EQ(large.bytes.size(), 200'000u);
  EXPECT_EQ(large.bytes[199'999], char(199'999 % 251));
}

// The buffer grows past its first 3,276,800 bytes up to the limit; a longer body fails
// instead of being cut or overrunning anything.
TEST_F(Downloads, BodiesGrowUpToTheLimit) {
  ScriptedServer::Reply reply;
  reply.generatedBytes = kDownloadInitialBytes + 1'000'000;
  m_server.Answer("/big", reply);
  reply.generatedBytes = kTransferMaxBytes + 1;
  m_server.Answer("/huge", reply);
  std::vector<std::uint64_t> progress;
  const DownloadedBody big = Download("big", progress);
  ASSERT_TRUE(big.Ok());
  EXPECT_EQ(big.bytes.size(), kDownloadInitialBytes + 1'000'000);
  EXPECT_EQ(big.bytes.back(), char((big.bytes.size() - 1) % 251));

  const DownloadedBody huge = Download("huge", progress);
  EXPECT_EQ(huge.status, TransferStatus::kReadFailed);
  EXPECT_TRUE(huge.bytes.empty());
}

// An empty body that arrives whole is a catalogue too: the file becomes empty.
TEST_F(Downloads, EmptyBodyGivesEmptyCatalogue) {
  const auto catalogue = m_folder / "channels.dat";
  test::WriteBytes(catalogue, "old catalogue");
  m_server.Answer("/channels.dat", "");
  const InstallResult result = DownloadChannelListFile(Client(), Url("channels.dat"), catalogue, {});
  EXPECT_EQ(result, (InstallResult{true, 0}));
  ASSERT_TRUE(std::filesystem::exists(catalogue));
  EXPECT_EQ(std::filesystem::file_size(catalogue), 0u);
}

// The catalogue is stored byte for byte, and a failed download or write keeps the old one
// (and leaves no stray files beside it).
TEST_F(Downloads, CatalogueIsReplacedWholeOrNotAtAll) {
  const auto catalogue = m_folder / "channels.dat";
  test::WriteBytes(catalogue, "old catalogue");
  std::string fresh(100'000, '\0');
  for (std::size_t i = 0; i < fresh.size(); ++i) fresh[i] = char(i * 7);
  m_server.Answer("/broken", ScriptedServer::Reply{200, fresh, 70'000});
  EXPECT_EQ(DownloadChannelListFile(Client(), Url("broken"), catalogue, {}),
            (InstallResult{false, res::IDS_CHANNELS_ERROR}));
  const std::u16string nowhere = u"http://127.0.0.1:" + Utf8ToUtf16(std::to_string(test::ClosedPort())) + u"/c.dat";
  EXPECT_EQ(DownloadChannelListFile(Client(), nowhere, catalogue, {}).messageId, res::IDS_CHANNELS_ERROR);
  EXPECT_EQ(ReadBytes(catalogue), "old catalogue");

  m_server.Answer("/fresh", fresh);
  EXPECT_EQ(DownloadChannelListFile(Client(), Url("fresh"), m_folder / "missing" / "channels.dat", {}),
            (InstallResult{false, res::IDS_CHANNELS_ERROR}));
  EXPECT_EQ(DownloadChannelListFile(Client(), Url("fresh"), catalogue, {}), (InstallResult{true, 0}));
  EXPECT_EQ(ReadBytes(catalogue), fresh);
  EXPECT_EQ(test::FolderNames(m_folder.path()), std::vector<std::string>{"channels.dat"});
}

// A skin name that could leave the skins folder is refused before the server is asked; a
// transfer that breaks off changes nothing in the program folder. (A build without update keys
// refuses the program before downloading it, which changes nothing either.)
TEST_F(Downloads, RefusedAndBrokenDownloadsLeaveTheFolder) {
  const auto program = m_folder / "Vantrel";
  test::WriteBytes(program, "old program");
  fs::create_directory(m_folder / "skins");
  m_server.Answer("/Tropic.zip", test::MakeSkinPack(32));
  EXPECT_EQ(DownloadSkinPackFiles(Client(), Url("Tropic.zip"), u"../Tropic", m_folder.path(), {}),
            (InstallResult{false, res::IDS_SKINS_ERROR}));
  EXPECT_TRUE(m_server.Requests().empty());

  m_server.Answer("/cut.zip", ScriptedServer::Reply{200, test::MakeSkinPack(32), 100});
  EXPECT_EQ(DownloadSkinPackFiles(Client(), Url("cut.zip"), u"Tropic", m_folder.path(), {}),
            (InstallResult{false, res::IDS_SKINS_ERROR}));
  const int programRefusal =
      BuiltInUpdateKeys().empty() ? res::IDS_PROGRAM_SIGNATURE_BAD : res::IDS_PROGRAM_ERROR;
  EXPECT_EQ(DownloadProgramUpdateFiles(Client(), Url("cut.zip"), u"update", program, {}),
            (InstallResult{false, programRefusal}));
  EXPECT_EQ(test::FolderNames(m_folder.path()), (std::vector<std::string>{"Vantrel", "skins"}));
  EXPECT_TRUE(test::FolderNames(m_folder / "skins").empty());
  EXPECT_EQ(test::ReadBytes(program), "old program");
}

}  // namespace
}  // namespace vantrel
