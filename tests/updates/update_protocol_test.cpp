#include <gtest/gtest.h>

#include "resources/resource.h"
#include "updates/http_transfer.h"
#include "updates/update_protocol.h"

namespace vantrel {
namespace {

const UpdateClientInfo kClient{u"http://updates.example/v/", u"Vantrel 2.0.ru", u"Иван Петров"};

// The three addresses carry their values unescaped, in a fixed key order.
TEST(UpdateAddresses, AreBuiltFromTheirPartsAsTheyStand) {
  EXPECT_EQ(ProgramCheckAddress(kClient),
            u"http://updates.example/v/php/check_program.php?version=Vantrel 2.0.ru&name=Иван Петров");
  EXPECT_EQ(SkinCheckAddress(kClient, {}),
            u"http://updates.example/v/php/check_skins.php?version=Vantrel 2.0.ru&name=Иван Петров&skins=");
  EXPECT_EQ(ChannelCheckAddress(kClient, 0),
            u"http://updates.example/v/php/check_channels.php?version=Vantrel 2.0.ru&name=Иван Петров"
            u"&channels_version=0");
  EXPECT_TRUE(ChannelCheckAddress(kClient, 2024).ends_with(u"&channels_version=2024"));
  EXPECT_TRUE(ChannelCheckAddress(kClient, -7).ends_with(u"&channels_version=-7"));
  EXPECT_EQ(UpdateUserAgent(kClient), u"Vantrel 2.0.ru - Иван Петров");
}

// Each skin contributes its folder's last component and ";"; a bare name contributes nothing.
TEST(UpdateAddresses, SkinListTakesEachFoldersLastComponent) {
  EXPECT_EQ(SkinListParameter({u"/opt/v/skins/Classic", u"/opt/v/skins/Мой скин", u"NoSeparator",
                               u"/opt/v/skins/Glamour"}),
            u"Classic;Мой скин;Glamour;");
  EXPECT_EQ(SkinListParameter({u"NoSeparator"}), u"");
  EXPECT_TRUE(SkinCheckAddress(kClient, {u"/a/skins/Classic"}).ends_with(u"&skins=Classic;"));
}

// On the wire a blank is %20 and every non-ASCII character its UTF-8 bytes; "%" stays, so an
// address the server escaped already is not escaped twice; line breaks cannot slip through.
TEST(UpdateAddresses, WireFormEscapesOnlyWhatAnAddressCannotHold) {
  EXPECT_EQ(EncodeAddressForWire(u"http://h/p?version=Vantrel 2.0.ru&name=Иван"),
            "http://h/p?version=Vantrel%202.0.ru&name=%D0%98%D0%B2%D0%B0%D0%BD");
  EXPECT_EQ(EncodeAddressForWire(u"http://h/a%20b?x=1;2&y=<\r\n>"), "http://h/a%20b?x=1;2&y=%3C%0D%0A%3E");
}

struct SplitCase {
  const char* what;
  std::u16string payload;
  std::size_t laterStart;
  OfferFields expected;
};

class SplitOfferFieldsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitOfferFieldsTest, SplitsAsTheClientsAlwaysHave) {
  EXPECT_EQ(SplitOfferFields(GetParam().payload, GetParam().laterStart), GetParam().expected)
      << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Offers, SplitOfferFieldsTest,
    ::testing::Values(
        SplitCase{"full offer", u"http://h/p.zip4096vantrel214096 КБ скачано4096Обновить?", kOfferSearchStart,
                  {u"http://h/p.zip", u"vantrel21", u" КБ скачано", u"Обновить?"}},
        // No third delimiter: the third field is empty and three characters are dropped.
        SplitCase{"missing third delimiter", u"http://h/s.zip4096Tropic4096suffix and question", kOfferSearchStart,
                  {u"http://h/s.zip", u"Tropic", u"", u"fix and question"}},
        SplitCase{"channel offer, empty second field", u"http://h/c.dat4096409612 4096", kChannelOfferSearchStart,
                  {u"http://h/c.dat", u"", u"12 ", u""}},
        // The same layout in a program or skin offer is not split at the empty field.
        SplitCase{"skin offer, empty second field", u"http://h/c.dat4096409612 4096", kOfferSearchStart,
                  {u"http://h/c.dat", u"409612 ", u"", u""}},
        // A field shorter than four characters hides the delimiter after it.
        SplitCase{"short field", u"http://h/p.zip4096abc4096suffix4096question", kOfferSearchStart,
                  {u"http://h/p.zip", u"abc4096suffix", u"", u"stion"}},
        SplitCase{"no delimiter at all", u"abcdefgh", kOfferSearchStart, {u"", u"", u"", u""}},
        SplitCase{"empty payload", u"", kChannelOfferSearchStart, {u"", u"", u"", u""}}));

struct OutcomeCase {
  PageFetch fetch;
  CheckAction action;
  int messageId;
  bool continueChecks;
  bool showChooseChannel;
};

void ExpectOutcome(const CheckOutcome& outcome, const OutcomeCase& want, const char* check) {
  SCOPED_TRACE(std::string(check) + " with text of " + std::to_string(want.fetch.text.size()) + " units");
  EXPECT_EQ(outcome.action, want.action);
  EXPECT_EQ(outcome.messageId, want.messageId);
  EXPECT_EQ(outcome.continueChecks, want.continueChecks);
  EXPECT_EQ(outcome.showChooseChannel, want.showChooseChannel);
}

const PageFetch kNotConnected{TransferStatus::kNotConnected, u""};
const PageFetch kReadFailed{TransferStatus::kReadFailed, u"4096partial"};
const PageFetch kEmpty{TransferStatus::kOk, u""};
const PageFetch kEnd{TransferStatus::kOk, u"1024"};
const PageFetch kNotice{TransferStatus::kOk, u"2048Текст"};
const PageFetch kOffer{TransferStatus::kOk, u"4096http://h/x.zip4096name4096 КБ скачано4096Скачать?"};
const PageFetch kShort{TransferStatus::kOk, u"20"};
const PageFetch kErrorPage{TransferStatus::kOk, u"<html>Not Found</html>"};

// Program check: "stop" skips the other two checks; "choose a channel" follows an offer, an
// unknown answer and a broken read, but not an empty answer.
TEST(CheckOutcomes, ProgramCheck) {
  using A = CheckAction;
  const OutcomeCase cases[] = {
      {kNotConnected, A::kShowError, res::IDS_SERVER_UNREACHABLE, false, false},
      {kReadFailed, A::kNone, 0, true, true},
      {kEmpty, A::kNone, 0, true, false},
      {kEnd, A::kNone, 0, false, false},
      {kNotice, A::kShowNotice, 0, false, false},
      {kOffer, A::kAskOffer, 0, true, true},
      {kShort, A::kNone, 0, true, true},
      {kErrorPage, A::kNone, 0, true, true},
  };
  for (const auto& c : cases) ExpectOutcome(ClassifyProgramCheck(c.fetch), c, "program");
  EXPECT_EQ(ClassifyProgramCheck(kNotice).text, u"Текст");
  const CheckOutcome offer = ClassifyProgramCheck(kOffer);
  EXPECT_EQ(offer.text, u"Скачать?");
  EXPECT_EQ(offer.offer, (OfferFields{u"http://h/x.zip", u"name", u" КБ скачано", u"Скачать?"}));
}

TEST(CheckOutcomes, SkinsCheck) {
  using A = CheckAction;
  const OutcomeCase cases[] = {
      {kNotConnected, A::kShowError, res::IDS_SKINS_ERROR, true, false},
      {kReadFailed, A::kShowError, res::IDS_SKINS_ERROR, true, false},
      {kEmpty, A::kNone, 0, true, false},
      {kEnd, A::kNone, 0, true, false},
      {kNotice, A::kShowNotice, 0, true, false},
      {kOffer, A::kAskOffer, 0, true, false},
      {kErrorPage, A::kNone, 0, true, false},
  };
  for (const auto& c : cases) ExpectOutcome(ClassifySkinsCheck(c.fetch), c, "skins");
}

// The channel offer is kept, not asked about; its second and third fields may be empty.
TEST(CheckOutcomes, ChannelsCheck) {
  using A = CheckAction;
  const OutcomeCase cases[] = {
      {kNotConnected, A::kShowError, res::IDS_SERVER_UNREACHABLE, true, false},
      {kReadFailed, A::kShowError, res::IDS_CHANNELS_ERROR, true, false},
      {kEmpty, A::kNone, 0, true, false},
      {kEnd, A::kNone, 0, true, false},
      {kNotice, A::kShowNotice, 0, true, false},
      {kOffer, A::kStoreChannelOffer, 0, true, false},
      {kShort, A::kNone, 0, true, false},
  };
  for (const auto& c : cases) ExpectOutcome(ClassifyChannelsCheck(c.fetch), c, "channels");
  const CheckOutcome offer = ClassifyChannelsCheck({TransferStatus::kOk, u"4096http://h/c.dat40964096374096"});
  EXPECT_EQ(offer.offer, (OfferFields{u"http://h/c.dat", u"", u"37", u""}));
}

// Progress is whole kilobytes then the suffix; only the seven built-in skins restart; the
// configured server wins over the build's.
TEST(UpdateTexts, ProgressRestartAndServer) {
  EXPECT_EQ(DownloadProgressText(500, u" КБ"), u"0 КБ");
  EXPECT_EQ(DownloadProgressText(3 * 1024 + 1023, u"Kb"), u"3Kb");
  EXPECT_EQ(BuiltInSkinToRestart(u"Metall"), u"Metall");
  EXPECT_FALSE(BuiltInSkinToRestart(u"metall"));
  EXPECT_FALSE(BuiltInSkinToRestart(u"Tropic"));
  EXPECT_EQ(MakeUpdateClientInfo(u"http://other/", u"u").baseAddress, u"http://other/");
  EXPECT_EQ(MakeUpdateClientInfo(std::nullopt, u"").versionString, u"Vantrel 2.0.ru");
}

}  // namespace
}  // namespace vantrel
