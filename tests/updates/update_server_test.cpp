#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "base/text_codec.h"
#include "tests/updates/scripted_server.h"
#include "tests/updates/update_test_files.h"
#include "tools/server/server_answers.h"
#include "tools/server/update_server.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using server::ServerAnswers;
using test::WriteBytes;

const std::string kBase = "http://127.0.0.1:8731/";

class ServerFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"program", "skins", "channels", "files", "media"}) fs::create_directory(m_root / folder);
  }
  ServerAnswers Answers() const { return ServerAnswers(m_root.path(), kBase); }

  test::TempFolder m_root;
};

// Each version gets its own answer, others the default, and without either nothing is new.
// The version never leaves the program folder as a file name.
TEST_F(ServerFolder, ProgramAnswerByVersion) {
  EXPECT_EQ(Answers().Program("Vantrel 2.0.ru"), "1024");
  WriteBytes(m_root / "program" / "default.txt", "2048Обновите программу");
  WriteBytes(m_root / "program" / "Vantrel 2.0.ru.txt", "4096{base}program/v21.zip4096v21_4096 КБ4096Обновить?");
  WriteBytes(m_root / "secret.txt", "4096leak");
  EXPECT_EQ(Answers().Program("Vantrel 2.0.ru"), "4096" + kBase + "program/v21.zip4096v21_4096 КБ4096Обновить?");
  EXPECT_EQ(Answers().Program("Vantrel 1.9.ru"), "2048Обновите программу");
  EXPECT_EQ(Answers().Program("../secret"), "2048Обновите программу");
}

// The first pack the client lacks is offered, in name order; names the client could not
// split back out are never offered.
TEST_F(ServerFolder, SkinOfferForTheFirstMissingPack) {
  for (const char* pack : {"Aurora.zip", "Tropic.zip", "Ab.zip", "Sea;Sky.zip"}) WriteBytes(m_root / "skins" / pack, "zip");
  WriteBytes(m_root / "skins" / "Tropic.txt", " КБ тропиков\nХотите тропики?\n");
  EXPECT_EQ(Answers().Skins("Classic;"),
            "4096" + kBase + "skins/Aurora.zip4096Aurora4096 КБ шкурки «Aurora» получено4096"
            "Доступна новая шкурка оформления «Aurora». Скачать ее?");
  EXPECT_EQ(Answers().Skins("Classic;Aurora;"),
            "4096" + kBase + "skins/Tropic.zip4096Tropic4096 КБ тропиков4096Хотите тропики?");
  EXPECT_EQ(Answers().Skins("Aurora;Tropic;"), "1024");
  // A server address holding the delimiter cannot carry an offer.
  EXPECT_EQ(ServerAnswers(m_root.path(), "http://127.0.0.1:4096/").Skins(""), "1024");
}

// The catalogue is offered to clients with an older version, with the configured texts.
TEST_F(ServerFolder, ChannelOfferForOlderCatalogues) {
  WriteBytes(m_root / "channels" / "version", "7\n");
  EXPECT_EQ(Answers().Channels("3"), "1024");  // no catalogue to offer
  WriteBytes(m_root / "channels" / "channels.dat", "zip");
  WriteBytes(m_root / "channels" / "offer.txt", " КБ каналов\n25\n");
  EXPECT_EQ(Answers().Channels("3"), "4096" + kBase + "channels/channels.dat4096 КБ каналов4096254096");
  EXPECT_EQ(Answers().Channels("7"), "1024");
  EXPECT_EQ(Answers().Channels("12"), "1024");
  EXPECT_EQ(Answers().Channels("not a number"), Answers().Channels("0"));
}

// A page's answer.txt is sent as it stands, with the server's address filled in.
TEST_F(ServerFolder, ForcedAnswers) {
  WriteBytes(m_root / "channels" / "answer.txt", "4096{base}files/c.dat4096409612{base}");
  EXPECT_EQ(Answers().Channels("0"), "4096" + kBase + "files/c.dat4096409612" + kBase);
  WriteBytes(m_root / "skins" / "answer.txt", "");
  EXPECT_EQ(Answers().Skins(""), "");
}

// Static requests reach only the download and media folders.
TEST_F(ServerFolder, StaticFilesStayInsideTheirFolders) {
  WriteBytes(m_root / "files" / "a.bin", "a");
  WriteBytes(m_root / "media" / "clip.ts", "ts");
  WriteBytes(m_root / "skins" / "Tropic.zip", "zip");
  WriteBytes(m_root / "skins" / "Tropic.txt", "texts");
  WriteBytes(m_root / "program" / "default.txt", "1024");
  const fs::path& root = m_root.path();
  EXPECT_EQ(server::StaticFile(root, "/files/a.bin"), root / "files" / "a.bin");
  EXPECT_EQ(server::StaticFile(root, "/media/clip.ts"), root / "media" / "clip.ts");
  EXPECT_EQ(server::StaticFile(root, "/skins/Tropic.zip"), root / "skins" / "Tropic.zip");
  // Offered downloads have their signatures served beside them, and only those.
  WriteBytes(m_root / "skins" / "Tropic.zip.minisig", "signature");
  WriteBytes(m_root / "skins" / "Tropic.txt.minisig", "signature");
  WriteBytes(m_root / "channels" / "channels.dat.minisig", "signature");
  EXPECT_EQ(server::StaticFile(root, "/skins/Tropic.zip.minisig"), root / "skins" / "Tropic.zip.minisig");
  EXPECT_EQ(server::StaticFile(root, "/channels/channels.dat.minisig"), root / "channels" / "channels.dat.minisig");
  for (const char* refused : {"/skins/Tropic.txt", "/program/default.txt", "/files/../program/default.txt",
                              "/files/", "/files", "/", "", "/media//clip.ts", "/files/missing",
                              "/skins/Tropic.txt.minisig", "/program/update.zip.minisig", "/skins/.minisig"}) {
    EXPECT_FALSE(server::StaticFile(root, refused)) << refused;
  }
}

// The whole round: the program's own client checks and downloads from the running server,
// which logs every request line it answered.
TEST_F(ServerFolder, ClientAndServerTogether) {
  test::ClearProxyEnvironment();
  WriteBytes(m_root / "skins" / "Tropic.zip", test::MakeSkinPack(32));
  WriteBytes(m_root / "channels" / "version", "9");
  WriteBytes(m_root / "channels" / "channels.dat", "catalogue bytes");
  WriteBytes(m_root / "program" / "default.txt", "2048Новая версия скоро");
  std::ostringstream log;
  server::UpdateServer updateServer({m_root.path(), "127.0.0.1", 0, &log});
  ASSERT_TRUE(updateServer.Start());
  const UpdateClientInfo client{Utf8ToUtf16(updateServer.BaseAddress()), u"Vantrel 2.0.ru", u"Иван"};

  const CheckOutcome program = CheckProgramOnServer(client);
  EXPECT_EQ(program.text, u"Новая версия скоро");

  const CheckOutcome skins = CheckSkinsOnServer(client, {u"/opt/skins/Classic"});
  ASSERT_EQ(skins.action, CheckAction::kAskOffer);
  EXPECT_EQ(skins.offer.field2, u"Tropic");
  test::TempFolder programFolder;
  fs::create_directory(programFolder / "skins");
  EXPECT_EQ(DownloadSkinPackFiles(client, skins.offer.field1, skins.offer.field2, programFolder.path(), {}),
            (InstallResult{true, 0}));
  EXPECT_EQ(test::FolderNames(programFolder / "skins" / "Tropic").size(), 32u);

  const CheckOutcome channels = CheckChannelsOnServer(client, 4);
  ASSERT_EQ(channels.action, CheckAction::kStoreChannelOffer);
  EXPECT_EQ(channels.offer.field3, u"?");
  EXPECT_EQ(DownloadChannelListFile(client, channels.offer.field1, programFolder / "channels.dat", {}),
            (InstallResult{true, 0}));
  EXPECT_EQ(test::ReadBytes(programFolder / "channels.dat"), "catalogue bytes");
  updateServer.Stop();

  // Requests follow each other, but a line is written when its answer is out, so only the
  // set of lines is fixed.
  std::vector<std::string> expected{
      "GET /php/check_program.php?version=Vantrel%202.0.ru&name=%D0%98%D0%B2%D0%B0%D0%BD HTTP/1.1 -> 200",
      "GET /php/check_skins.php?version=Vantrel%202.0.ru&name=%D0%98%D0%B2%D0%B0%D0%BD&skins=Classic; "
      "HTTP/1.1 -> 200",
      "GET /skins/Tropic.zip HTTP/1.1 -> 200",
      "GET /php/check_channels.php?version=Vantrel%202.0.ru&name=%D0%98%D0%B2%D0%B0%D0%BD&channels_version=4 "
      "HTTP/1.1 -> 200",
      "GET /channels/channels.dat HTTP/1.1 -> 200"};
  // With keys built in, the client asks for each download's signature, which this folder lacks.
  if (!BuiltInUpdateKeys().empty()) {
    expected.push_back("GET /skins/Tropic.zip.minisig HTTP/1.1 -> 404");
    expected.push_back("GET /channels/channels.dat.minisig HTTP/1.1 -> 404");
  }
  std::vector<std::string> lines;
  std::istringstream in(log.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_THAT(lines, ::testing::UnorderedElementsAreArray(expected));
}

// Media files can be paced; a paced file still arrives whole.
TEST_F(ServerFolder, PacedMediaArrivesWhole) {
  test::ClearProxyEnvironment();
  std::string clip(300'000, '\0');
  for (std::size_t i = 0; i < clip.size(); ++i) clip[i] = char(i % 253);
  WriteBytes(m_root / "media" / "clip.ts", clip);
  std::ostringstream log;
  server::UpdateServer updateServer({m_root.path(), "127.0.0.1", 0, &log, 4'000'000});
  ASSERT_TRUE(updateServer.Start());
  const DownloadedBody body = DownloadToMemory(Utf8ToUtf16(updateServer.BaseAddress() + "media/clip.ts"), u"agent");
  ASSERT_TRUE(body.Ok());
  EXPECT_EQ(body.bytes, clip);
}

}  // namespace
}  // namespace vantrel
