#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "tests/updates/scripted_server.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

using test::ScriptedServer;

class NoProxyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { test::ClearProxyEnvironment(); }
};
const auto* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxyEnvironment);

const char* const kProgramPage = "/php/check_program.php";
const char* const kSkinsPage = "/php/check_skins.php";
const char* const kChannelsPage = "/php/check_channels.php";

std::string Cp1251(std::u16string_view text) { return Utf16ToCp1251(text); }

class UpdateChecks : public ::testing::Test {
 protected:
  UpdateClientInfo Client(std::u16string user = u"tester") const {
    return {m_server.Base16(), u"Vantrel 2.0.ru", std::move(user)};
  }
  void AnswerAll(const ScriptedServer::Reply& reply) {
    for (const char* page : {kProgramPage, kSkinsPage, kChannelsPage}) m_server.Answer(page, reply);
  }

  ScriptedServer m_server;
};

// The server sees each check's address exactly as built, escaped only where an address
// cannot hold a character, and the version string and user name as the user agent.
TEST_F(UpdateChecks, RequestLinesAndUserAgentAsSent) {
  AnswerAll({200, "1024"});
  CheckProgramOnServer(Client());
  CheckSkinsOnServer(Client(), {});
  CheckSkinsOnServer(Client(), {u"/p/skins/Classic", u"/p/skins/Metall", u"/p/skins/Crossy"});
  CheckChannelsOnServer(Client(), 42);
  CheckProgramOnServer(Client(u"Иван Петров"));

  const auto seen = m_server.Requests();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].target, "/php/check_program.php?version=Vantrel%202.0.ru&name=tester");
  EXPECT_EQ(seen[1].target, "/php/check_skins.php?version=Vantrel%202.0.ru&name=tester&skins=");
  EXPECT_EQ(seen[2].target, "/php/check_skins.php?version=Vantrel%202.0.ru&name=tester&skins=Classic;Metall;Crossy;");
  EXPECT_EQ(seen[3].target, "/php/check_channels.php?version=Vantrel%202.0.ru&name=tester&channels_version=42");
  EXPECT_EQ(seen[4].target,
            "/php/check_program.php?version=Vantrel%202.0.ru&name=%D0%98%D0%B2%D0%B0%D0%BD%20"
            "%D0%9F%D0%B5%D1%82%D1%80%D0%BE%D0%B2");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(seen[i].userAgent, "Vantrel 2.0.ru - tester");
  // Header text goes out in the program's code page.
  EXPECT_EQ(seen[4].userAgent, Cp1251(u"Vantrel 2.0.ru - Иван Петров"));
}

// Whatever the body, status or size, the page text is the body read as Windows-1251, and
// the checks act on it: a 404 page is no known answer, a long notice arrives whole.
TEST_F(UpdateChecks, PageTextIsTheWholeBodyDecoded) {
  std::u16string longNotice = u"2048";
  while (longNotice.size() < 3 * 65'536 + 100) longNotice += u"Длинное сообщение сервера. ";
  for (const auto& reply : {ScriptedServer::Reply(200, ""), ScriptedServer::Reply(200, "20"),
                            ScriptedServer::Reply(200, "1024"), ScriptedServer::Reply(200, Cp1251(u"2048Текст")),
                            ScriptedServer::Reply(200, Cp1251(u"4096http://h/p.zip4096name4096 КБ скачано4096Да?")),
                            ScriptedServer::Reply(200, "4096http://h/s.zip4096Tropic4096suffix and question"),
                            ScriptedServer::Reply(200, "4096http://h/c.dat40964096124096"),
                            ScriptedServer::Reply(404, "<html>Not Found</html>"),
                            ScriptedServer::Reply(200, Cp1251(longNotice))}) {
    m_server.Answer("/page", reply);
    const PageFetch page = FetchServerPage(m_server.Base16() + u"page", u"agent");
    EXPECT_EQ(page.status, TransferStatus::kOk);
    EXPECT_EQ(page.text, Cp1251ToUtf16(reply.body));
  }
  AnswerAll({404, "<html>Not Found</html>"});
  EXPECT_TRUE(CheckProgramOnServer(Client()).showChooseChannel);
  AnswerAll({200, Cp1251(longNotice)});
  EXPECT_EQ(CheckSkinsOnServer(Client(), {}).text, longNotice.substr(4));
}

// A request that gets no answer and an answer that breaks off are told apart, and each check
// reports them with its own message.
TEST_F(UpdateChecks, NotConnectedAndReadFailedPerCheck) {
  const UpdateClientInfo nobody{u"http://127.0.0.1:" + Utf8ToUtf16(std::to_string(test::ClosedPort())) + u"/",
                                u"Vantrel 2.0.ru", u"tester"};
  const CheckOutcome programDown = CheckProgramOnServer(nobody);
  EXPECT_EQ(programDown.messageId, res::IDS_SERVER_UNREACHABLE);
  EXPECT_FALSE(programDown.continueChecks);
  EXPECT_EQ(CheckSkinsOnServer(nobody, {}).messageId, res::IDS_SKINS_ERROR);
  EXPECT_EQ(CheckChannelsOnServer(nobody, 1).messageId, res::IDS_SERVER_UNREACHABLE);

  AnswerAll({200, "2048" + std::string(5000, 'x'), 1000});
  const CheckOutcome programBroken = CheckProgramOnServer(Client());
  EXPECT_EQ(programBroken.action, CheckAction::kNone);
  EXPECT_TRUE(programBroken.continueChecks);
  EXPECT_TRUE(programBroken.showChooseChannel);
  EXPECT_EQ(CheckSkinsOnServer(Client(), {}).messageId, res::IDS_SKINS_ERROR);
  EXPECT_EQ(CheckChannelsOnServer(Client(), 1).messageId, res::IDS_CHANNELS_ERROR);
}

// Redirects are followed; one whose target does not answer counts as not connected, since
// the answer itself never came.
TEST_F(UpdateChecks, RedirectsAreFollowed) {
  m_server.Answer("/moved", "1024");
  ScriptedServer::Reply redirect{302, ""};
  redirect.location = m_server.Base() + "moved";
  m_server.Answer(kProgramPage, redirect);
  EXPECT_FALSE(CheckProgramOnServer(Client()).continueChecks);

  redirect.location = "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/moved";
  m_server.Answer(kChannelsPage, redirect);
  EXPECT_EQ(CheckChannelsOnServer(Client(), 1).messageId, res::IDS_SERVER_UNREACHABLE);
}

// Addresses from answers are fetched only over HTTP.
TEST_F(UpdateChecks, OnlyWebAddressesAreFetched) {
  EXPECT_EQ(FetchServerPage(u"file:///etc/hostname", u"agent").status, TransferStatus::kNotConnected);
  EXPECT_EQ(DownloadToMemory(u"", u"agent").status, TransferStatus::kNotConnected);
}

}  // namespace
}  // namespace vantrel
