#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "tests/updates/minisign_support.h"
#include "tests/updates/scripted_server.h"
#include "tests/updates/update_test_files.h"
#include "tools/server/update_server.h"
#include "updates/update_client.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::MinisignKeyPair;
using test::ReadBytes;
using test::WriteBytes;

// Every file and folder under `folder` with its bytes and permission bits.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string mode = std::to_string(static_cast<int>(entry.status().permissions()));
    files[fs::relative(entry.path(), folder).string()] =
        entry.is_directory() ? "folder " + mode : mode + " " + ReadBytes(entry.path());
  }
  return files;
}

std::string ProgramArchive(const std::string& contents = "new program") {
  return test::MakeZip({test::Member("Vantrel-2.1", contents)});
}

// The real update server on loopback, serving a folder the tests fill, and a program folder
// holding a program, a catalogue and an empty skins folder.
class SignedUpdates : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_publisher = new MinisignKeyPair;
    s_stranger = new MinisignKeyPair;
  }
  static void TearDownTestSuite() {
    delete s_publisher;
    delete s_stranger;
  }

  void SetUp() override {
    test::ClearProxyEnvironment();
    for (const char* folder : {"program", "skins", "channels"}) fs::create_directory(m_root / folder);
    WriteBytes(Program(), "old program");
    fs::permissions(Program(), fs::perms(0750));
    WriteBytes(m_program / "channels.dat", "old catalogue");
    fs::create_directory(m_program / "skins");
    ASSERT_TRUE(m_server.Start());
  }

  const MinisignKeyPair& Publisher() const { return *s_publisher; }
  const MinisignKeyPair& Stranger() const { return *s_stranger; }
  std::vector<MinisignPublicKey> Trusted() const { return {Publisher().Key()}; }
  UpdateClientInfo Client() const { return {Utf8ToUtf16(m_server.BaseAddress()), u"Vantrel 2.0.ru", u""}; }
  fs::path Program() const { return m_program / "Vantrel"; }

  // Offers `archive` as the program update, under a name of the test's own: a refused offer is
  // remembered by its address for the rest of the process. Gives the archive's path.
  fs::path OfferProgram(const std::string& archive) {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    WriteBytes(m_root / "program" / (name + ".zip"), archive);
    WriteBytes(m_root / "program" / "default.txt",
               "4096{base}program/" + name + ".zip4096" + name + "4096 КБ4096Обновить программу?");
    return m_root / "program" / (name + ".zip");
  }

  InstallResult TakeProgramOffer(const std::vector<MinisignPublicKey>& keys) {
    const CheckOutcome offer = CheckProgramOnServer(Client());
    EXPECT_EQ(offer.action, CheckAction::kAskOffer);
    return DownloadProgramUpdateFiles(Client(), offer.offer.field1, offer.offer.field2, Program(), {}, keys);
  }

  // A refused program offer leaves the program folder as it was and is not made again.
  void ExpectProgramRefused(const std::string& what) {
    const auto before = Snapshot(m_program.path());
    EXPECT_EQ(TakeProgramOffer(Trusted()), (InstallResult{false, res::IDS_PROGRAM_SIGNATURE_BAD})) << what;
    EXPECT_EQ(Snapshot(m_program.path()), before) << what;
    const CheckOutcome again = CheckProgramOnServer(Client());
    EXPECT_EQ(again.action, CheckAction::kNone) << what;
    EXPECT_TRUE(again.continueChecks) << what;
  }

  InstallResult TakeSkinOffer(const std::vector<MinisignPublicKey>& keys) {
    const CheckOutcome offer = CheckSkinsOnServer(Client(), {});
    EXPECT_EQ(offer.action, CheckAction::kAskOffer);
    return DownloadSkinPackFiles(Client(), offer.offer.field1, offer.offer.field2, m_program.path(), {}, keys);
  }

  InstallResult TakeCatalogueOffer(const std::vector<MinisignPublicKey>& keys) {
    const CheckOutcome offer = CheckChannelsOnServer(Client(), 1);
    EXPECT_EQ(offer.action, CheckAction::kStoreChannelOffer);
    return DownloadChannelListFile(Client(), offer.offer.field1, m_program / "channels.dat", {}, keys);
  }

  test::TempFolder m_root;
  test::TempFolder m_program;
  std::ostringstream m_log;
  server::UpdateServer m_server{{m_root.path(), "127.0.0.1", 0, &m_log}};

 private:
  static inline MinisignKeyPair* s_publisher = nullptr;
  static inline MinisignKeyPair* s_stranger = nullptr;
};

// Signed by a trusted key: the new program takes the program's place.
TEST_F(SignedUpdates, SignedProgramInstalls) {
  Publisher().Sign(OfferProgram(ProgramArchive()));
  EXPECT_EQ(TakeProgramOffer(Trusted()), (InstallResult{true, 0}));
  EXPECT_EQ(ReadBytes(Program()), "new program");
  EXPECT_EQ(fs::status(Program()).permissions(), fs::perms(0750));
  EXPECT_EQ(ReadBytes(m_program / "temp.tmp"), "old program");
}

TEST_F(SignedUpdates, UnsignedProgramChangesNothing) {
  OfferProgram(ProgramArchive());
  ExpectProgramRefused("no signature");
}

TEST_F(SignedUpdates, ProgramSignedByAnotherKeyChangesNothing) {
  Stranger().Sign(OfferProgram(ProgramArchive()));
  ExpectProgramRefused("untrusted key");
}

// The archive changed after it was signed, here by one byte of the new program.
TEST_F(SignedUpdates, AlteredProgramArchiveChangesNothing) {
  const fs::path archive = OfferProgram(ProgramArchive());
  Publisher().Sign(archive);
  WriteBytes(archive, ProgramArchive("new progrem"));
  ExpectProgramRefused("altered archive");
}

// A signature file that is no signature, such as a server's error page sent with success.
TEST_F(SignedUpdates, GarbledProgramSignatureChangesNothing) {
  const fs::path archive = OfferProgram(ProgramArchive());
  WriteBytes(archive.string() + ".minisig", "<html>Not here</html>");
  ExpectProgramRefused("garbled signature");
}

// A build without keys takes no program update, and does not download one to find out.
TEST_F(SignedUpdates, NoKeyNoProgramUpdate) {
  Publisher().Sign(OfferProgram(ProgramArchive()));
  const auto before = Snapshot(m_program.path());
  EXPECT_EQ(TakeProgramOffer({}), (InstallResult{false, res::IDS_PROGRAM_SIGNATURE_BAD}));
  EXPECT_EQ(Snapshot(m_program.path()), before);
  m_server.Stop();
  EXPECT_EQ(m_log.str().find("GET /program/"), std::string::npos) << m_log.str();
}

// Skin packs: a bad signature refuses the pack and its offer; no signature, or no keys to
// check one with, is accepted.
TEST_F(SignedUpdates, SkinPackSignatures) {
  const std::string pack = test::MakeSkinPack(32);
  WriteBytes(m_root / "skins" / "Forged.zip", pack);
  Stranger().Sign(m_root / "skins" / "Forged.zip");
  const auto before = Snapshot(m_program.path());
  EXPECT_EQ(TakeSkinOffer(Trusted()), (InstallResult{false, res::IDS_SKIN_SIGNATURE_BAD}));
  EXPECT_EQ(Snapshot(m_program.path()), before);

  // The refused pack is not offered again.
  EXPECT_EQ(CheckSkinsOnServer(Client(), {}).action, CheckAction::kNone);

  fs::remove(m_root / "skins" / "Forged.zip");
  WriteBytes(m_root / "skins" / "Plain.zip", pack);
  CheckOutcome next = CheckSkinsOnServer(Client(), {});
  ASSERT_EQ(next.action, CheckAction::kAskOffer);
  EXPECT_EQ(next.offer.field2, u"Plain");
  EXPECT_EQ(TakeSkinOffer(Trusted()), (InstallResult{true, 0}));
  EXPECT_EQ(test::FolderNames(m_program / "skins" / "Plain").size(), 32u);

  WriteBytes(m_root / "skins" / "Signed.zip", pack);
  Publisher().Sign(m_root / "skins" / "Signed.zip");
  next = CheckSkinsOnServer(Client(), {u"/p/skins/Plain"});
  ASSERT_EQ(next.offer.field2, u"Signed");
  EXPECT_EQ(DownloadSkinPackFiles(Client(), next.offer.field1, u"Signed", m_program.path(), {}, Trusted()),
            (InstallResult{true, 0}));

  WriteBytes(m_root / "skins" / "Unchecked.zip", pack);
  WriteBytes(m_root / "skins" / "Unchecked.zip.minisig", "not a signature");
  next = CheckSkinsOnServer(Client(), {u"/p/skins/Plain", u"/p/skins/Signed"});
  ASSERT_EQ(next.offer.field2, u"Unchecked");
  EXPECT_EQ(DownloadSkinPackFiles(Client(), next.offer.field1, u"Unchecked", m_program.path(), {}, {}),
            (InstallResult{true, 0}));
}

// Catalogues: the same rules; a refused one keeps the old catalogue.
TEST_F(SignedUpdates, CatalogueSignatures) {
  WriteBytes(m_root / "channels" / "version", "5");
  WriteBytes(m_root / "channels" / "channels.dat", "new catalogue");
  EXPECT_EQ(TakeCatalogueOffer(Trusted()), (InstallResult{true, 0}));
  EXPECT_EQ(ReadBytes(m_program / "channels.dat"), "new catalogue");

  Publisher().Sign(m_root / "channels" / "channels.dat");
  WriteBytes(m_root / "channels" / "channels.dat", "newer catalogue");
  Publisher().Sign(m_root / "channels" / "channels.dat");
  EXPECT_EQ(TakeCatalogueOffer(Trusted()), (InstallResult{true, 0}));
  EXPECT_EQ(ReadBytes(m_program / "channels.dat"), "newer catalogue");

  WriteBytes(m_root / "channels" / "channels.dat", "forged catalogue");
  const auto before = Snapshot(m_program.path());
  EXPECT_EQ(TakeCatalogueOffer(Trusted()), (InstallResult{false, res::IDS_CHANNELS_SIGNATURE_BAD}));
  EXPECT_EQ(Snapshot(m_program.path()), before);
  EXPECT_EQ(CheckChannelsOnServer(Client(), 1).action, CheckAction::kNone);
}

// Only a success answer counts as a signature: a missing one (404) or a server error is
// "not signed" for a skin pack, but a program update needs the signature itself.
TEST_F(SignedUpdates, SignatureAnswers) {
  test::ScriptedServer scripted;
  const std::string pack = test::MakeSkinPack(32);
  scripted.Answer("/broken.zip", pack);
  scripted.Answer("/broken.zip.minisig", test::ScriptedServer::Reply{500, "server error"});
  scripted.Answer("/cut.zip", pack);
  scripted.Answer("/cut.zip.minisig", test::ScriptedServer::Reply{200, Publisher().SignBytes(pack), 50});
  const UpdateClientInfo client{scripted.Base16(), u"Vantrel 2.0.ru", u""};
  EXPECT_EQ(DownloadSkinPackFiles(client, scripted.Base16() + u"broken.zip", u"Broken", m_program.path(), {}, Trusted()),
            (InstallResult{true, 0}));
  EXPECT_EQ(DownloadSkinPackFiles(client, scripted.Base16() + u"cut.zip", u"Cut", m_program.path(), {}, Trusted()),
            (InstallResult{false, res::IDS_SKIN_SIGNATURE_BAD}));
  EXPECT_FALSE(fs::exists(m_program / "skins" / "Cut"));

  scripted.Answer("/program.zip", ProgramArchive());
  scripted.Answer("/program.zip.minisig", test::ScriptedServer::Reply{500, "server error"});
  const auto before = Snapshot(m_program.path());
  EXPECT_EQ(DownloadProgramUpdateFiles(client, scripted.Base16() + u"program.zip", u"update", Program(), {}, Trusted()),
            (InstallResult{false, res::IDS_PROGRAM_SIGNATURE_BAD}));
  EXPECT_EQ(Snapshot(m_program.path()), before);
}

}  // namespace
}  // namespace vantrel
