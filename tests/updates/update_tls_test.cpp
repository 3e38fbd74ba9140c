// The update client over HTTPS against the update server speaking TLS on loopback. Each test
// run makes its own certificate authorities with the openssl tool; the client trusts the test
// authority only through its test seam, on top of the system's store.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "tests/updates/scripted_server.h"
#include "tests/updates/update_test_files.h"
#include "tools/server/update_server.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class NoProxyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { test::ClearProxyEnvironment(); }
};
const auto* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxyEnvironment);

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

bool Openssl(const std::string& arguments) {
  return std::system(("openssl " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Certificate authorities and server certificates in one folder, made with the openssl tool.
class TestPki {
 public:
  // A self-signed authority: <name>.pem and <name>.key.
  bool MakeAuthority(const std::string& name) {
    return Openssl("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj '/CN=" + name +
                   "' -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign"
                   " -keyout " + Quoted(Key(name)) + " -out " + Quoted(Pem(name)));
  }
  // A server certificate <name>.pem (key <name>.key) for `altNames` ("IP:127.0.0.1"), issued
  // by `authority`.
  bool Issue(const std::string& name, const std::string& authority, const std::string& altNames) {
    std::ofstream(m_dir / (name + ".ext")) << "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n"
                                           << "subjectAltName=" << altNames << "\n";
    return Openssl("req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj '/CN=" + name + "' -keyout " +
                   Quoted(Key(name)) + " -out " + Quoted(m_dir / (name + ".csr"))) &&
           Openssl("x509 -req -days 2 -set_serial 0x" + std::to_string(++m_serial) + " -in " +
                   Quoted(m_dir / (name + ".csr")) + " -CA " + Quoted(Pem(authority)) + " -CAkey " +
                   Quoted(Key(authority)) + " -extfile " + Quoted(m_dir / (name + ".ext")) + " -out " + Quoted(Pem(name)));
  }
  fs::path Pem(const std::string& name) const { return m_dir / (name + ".pem"); }
  fs::path Key(const std::string& name) const { return m_dir / (name + ".key"); }

 private:
  test::TempFolder m_dir;
  int m_serial = 0;
};

class Https : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_pki = new TestPki;
    ASSERT_TRUE(s_pki->MakeAuthority("trusted-ca"));
    ASSERT_TRUE(s_pki->MakeAuthority("unknown-ca"));
    ASSERT_TRUE(s_pki->Issue("loopback", "trusted-ca", "IP:127.0.0.1,DNS:localhost"));
    ASSERT_TRUE(s_pki->Issue("stranger", "unknown-ca", "IP:127.0.0.1,DNS:localhost"));
    ASSERT_TRUE(s_pki->Issue("elsewhere", "trusted-ca", "DNS:updates.example"));
  }
  static void TearDownTestSuite() {
    delete s_pki;
    s_pki = nullptr;
  }
  void SetUp() override {
    for (const char* folder : {"program", "skins", "channels"}) fs::create_directory(m_root / folder);
    test::WriteBytes(m_root / "program" / "default.txt", "2048Сервер говорит по TLS");
    test::WriteBytes(m_root / "channels" / "version", "7");
    test::WriteBytes(m_root / "skins" / "Tropic.zip", test::MakeSkinPack(32));
    SetExtraCaFileForTests(s_pki->Pem("trusted-ca").string());
  }
  void TearDown() override { SetExtraCaFileForTests({}); }

  // Serves the folder over TLS with certificate `name`.
  std::unique_ptr<server::UpdateServer> Serve(const std::string& name) {
    server::UpdateServerOptions options;
    options.root = m_root.path();
    options.log = &m_log;
    options.tlsCertificate = s_pki->Pem(name);
    options.tlsKey = s_pki->Key(name);
    auto served = std::make_unique<server::UpdateServer>(options);
    EXPECT_TRUE(served->Start());
    return served;
  }
  static UpdateClientInfo Client(const std::string& base) { return {Utf8ToUtf16(base), u"Vantrel 2.0.ru", u"tester"}; }

  static TestPki* s_pki;
  test::TempFolder m_root;
  std::ostringstream m_log;
};
TestPki* Https::s_pki = nullptr;

// A certificate of a trusted authority for the address's host connects: checks get their
// answers and an offered download arrives and installs, all over https.
TEST_F(Https, TrustedCertificateConnects) {
  const auto served = Serve("loopback");
  const std::string base = served->BaseAddress();
  ASSERT_EQ(base.rfind("https://127.0.0.1:", 0), 0u) << base;

  const CheckOutcome program = CheckProgramOnServer(Client(base));
  EXPECT_EQ(program.action, CheckAction::kShowNotice);
  EXPECT_EQ(program.text, u"Сервер говорит по TLS");
  const CheckOutcome skins = CheckSkinsOnServer(Client(base), {u"/p/skins/Classic"});
  ASSERT_EQ(skins.action, CheckAction::kAskOffer);
  EXPECT_EQ(skins.offer.field1, Utf8ToUtf16(base) + u"skins/Tropic.zip");
  test::TempFolder programFolder;
  fs::create_directory(programFolder / "skins");
  EXPECT_TRUE(DownloadSkinPackFiles(Client(base), skins.offer.field1, u"Tropic", programFolder.path(), {}).installed);
  EXPECT_EQ(test::FolderNames(programFolder / "skins" / "Tropic").size(), 32u);
  // The same server by name: the certificate names localhost too.
  const std::string byName = "https://localhost:" + std::to_string(served->Port()) + "/";
  EXPECT_EQ(CheckProgramOnServer(Client(byName)).action, CheckAction::kShowNotice);
}

// A certificate from an authority the client does not know ends as "not connected": the
// program check shows the unreachable-server message and stops, the channel check too, and a
// download fails with its flow's message. The server never sees a request.
TEST_F(Https, UnknownIssuerIsNotConnected) {
  const auto served = Serve("stranger");
  const UpdateClientInfo client = Client(served->BaseAddress());
  const CheckOutcome program = CheckProgramOnServer(client);
  EXPECT_EQ(program.messageId, res::IDS_SERVER_UNREACHABLE);
  EXPECT_FALSE(program.continueChecks);
  EXPECT_EQ(CheckChannelsOnServer(client, 1).messageId, res::IDS_SERVER_UNREACHABLE);
  EXPECT_EQ(CheckSkinsOnServer(client, {}).messageId, res::IDS_SKINS_ERROR);
  EXPECT_EQ(FetchServerPage(client.baseAddress + u"php/check_program.php", u"agent").status,
            TransferStatus::kNotConnected);
  test::TempFolder programFolder;
  EXPECT_EQ(DownloadSkinPackFiles(client, client.baseAddress + u"skins/Tropic.zip", u"Tropic", programFolder.path(), {}),
            (InstallResult{false, res::IDS_SKINS_ERROR}));
  EXPECT_TRUE(fs::is_empty(programFolder.path()));
  EXPECT_EQ(m_log.str(), "");
}

// A trusted certificate that names another host fails the same way, by address or by name.
TEST_F(Https, NameMismatchFails) {
  const auto served = Serve("elsewhere");
  EXPECT_EQ(CheckProgramOnServer(Client(served->BaseAddress())).messageId, res::IDS_SERVER_UNREACHABLE);
  const std::string byName = "https://localhost:" + std::to_string(served->Port()) + "/";
  EXPECT_EQ(FetchServerPage(Utf8ToUtf16(byName), u"agent").status, TransferStatus::kNotConnected);
  EXPECT_EQ(m_log.str(), "");
}

// Without the test seam only the system's store counts, where no test authority is: the
// certificate that connected above is refused. Plain HTTP to the TLS port gets no answer.
TEST_F(Https, SystemStoreAloneByDefault) {
  const auto served = Serve("loopback");
  SetExtraCaFileForTests({});
  EXPECT_EQ(CheckProgramOnServer(Client(served->BaseAddress())).messageId, res::IDS_SERVER_UNREACHABLE);
  const std::string plain = "http://127.0.0.1:" + std::to_string(served->Port()) + "/";
  EXPECT_NE(FetchServerPage(Utf8ToUtf16(plain) + u"php/check_program.php", u"agent").status, TransferStatus::kOk);
}

// A certificate or key that cannot be loaded keeps the server from starting.
TEST_F(Https, ServerNeedsItsCertificateAndKey) {
  server::UpdateServerOptions options;
  options.root = m_root.path();
  options.tlsCertificate = s_pki->Pem("loopback");
  options.tlsKey = m_root / "missing.key";
  EXPECT_FALSE(server::UpdateServer(options).Start());
  options.tlsKey = s_pki->Key("stranger");  // the key of another certificate
  EXPECT_FALSE(server::UpdateServer(options).Start());
}

}  // namespace
}  // namespace vantrel
