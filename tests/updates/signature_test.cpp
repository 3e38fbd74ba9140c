#include <gtest/gtest.h>
#include <sodium.h>

#include <random>

#include "tests/updates/minisign_support.h"
#include "updates/signature.h"

namespace vantrel {
namespace {

using test::MinisignKeyPair;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

std::string Base64(const std::string& bytes) {
  std::string text(sodium_base64_encoded_len(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  text.pop_back();  // the terminating zero
  return text;
}

std::string Unbase64(const std::string& text) {
  std::string bytes(text.size(), '\0');
  std::size_t length = 0;
  sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(), text.size(), nullptr,
                    &length, nullptr, sodium_base64_VARIANT_ORIGINAL);
  bytes.resize(length);
  return bytes;
}

class Signatures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_publisher = new MinisignKeyPair;
    s_stranger = new MinisignKeyPair;
  }
  static void TearDownTestSuite() {
    delete s_publisher;
    delete s_stranger;
  }

  const MinisignKeyPair& Publisher() const { return *s_publisher; }
  const MinisignKeyPair& Stranger() const { return *s_stranger; }
  std::vector<MinisignPublicKey> Trusted() const { return {Publisher().Key()}; }

  SignatureVerdict Check(const std::string& signature, const std::string& content) const {
    return VerifyMinisign(signature, content, Trusted());
  }

  const std::string m_content = "PK\x03\x04 a program archive, or anything else";

 private:
  static inline MinisignKeyPair* s_publisher = nullptr;
  static inline MinisignKeyPair* s_stranger = nullptr;
};

// A public key parses from its .pub file and from its "RW..." line alike, and its id reads
// as minisign prints it in the file's comment.
TEST_F(Signatures, PublicKeyForms) {
  const std::string file = test::ReadBytes(Publisher().PublicKeyFile());
  const std::vector<std::string> lines = SplitLines(file);
  ASSERT_EQ(lines.size(), 2u);
  std::string reason;
  const auto fromFile = ParseMinisignPublicKey(file, reason);
  const auto fromLine = ParseMinisignPublicKey(lines[1], reason);
  const auto fromCrLf = ParseMinisignPublicKey(lines[0] + "\r\n" + lines[1] + "\r\n", reason);
  ASSERT_TRUE(fromFile && fromLine && fromCrLf) << reason;
  EXPECT_EQ(*fromFile, *fromLine);
  EXPECT_EQ(*fromFile, *fromCrLf);
  EXPECT_TRUE(lines[0].ends_with(KeyIdText(fromFile->keyId))) << lines[0];

  const std::string line = lines[1];
  for (const std::string& bad : {std::string(), std::string("untrusted comment: only a comment\n"),
                                 line.substr(0, 40), line + "AAAA", "RW" + std::string(54, '!'), line + "\n" + line,
                                 Base64("Xd" + Unbase64(line).substr(2))}) {
    reason.clear();
    EXPECT_FALSE(ParseMinisignPublicKey(bad, reason)) << bad;
    EXPECT_FALSE(reason.empty()) << bad;
  }
}

// A signature made by minisign is accepted over the same bytes, in memory, from a file and
// fed in pieces of any size; the trusted comment comes back as signed.
TEST_F(Signatures, MinisignSignatureIsAccepted) {
  const std::string signature = Publisher().SignBytes(m_content, "timestamp:1 file:update.zip");
  const SignatureVerdict verdict = Check(signature, m_content);
  EXPECT_TRUE(verdict.accepted) << verdict.reason;
  EXPECT_EQ(verdict.trustedComment, "timestamp:1 file:update.zip");

  test::TempFolder folder;
  test::WriteBytes(folder / "update.zip", m_content);
  EXPECT_TRUE(VerifyMinisignFile(signature, folder / "update.zip", Trusted()).accepted);

  for (const std::size_t piece : {1u, 3u, 7u, 64u}) {
    CSignatureCheck check(signature, Trusted());
    for (std::size_t at = 0; at < m_content.size(); at += piece) check.Update(std::string_view(m_content).substr(at, piece));
    EXPECT_TRUE(check.Finish().accepted) << piece;
  }
  // Lines ended the Windows way, as an editor may leave them.
  std::string crlf;
  for (const auto& line : SplitLines(signature)) crlf += line + "\r\n";
  EXPECT_TRUE(Check(crlf, m_content).accepted);
}

// Any change to the signed bytes is caught: one bit, one byte more or less, nothing at all.
TEST_F(Signatures, AlteredContentIsRefused) {
  const std::string signature = Publisher().SignBytes(m_content);
  std::string flipped = m_content;
  flipped[5] ^= 0x01;
  for (const std::string& altered : {flipped, m_content + " ", m_content.substr(1), std::string()}) {
    const SignatureVerdict verdict = Check(signature, altered);
    EXPECT_FALSE(verdict.accepted);
    EXPECT_NE(verdict.reason.find("изменён"), std::string::npos) << verdict.reason;
  }
  test::TempFolder folder;
  EXPECT_FALSE(VerifyMinisignFile(signature, folder / "missing.zip", Trusted()).accepted);
}

// Only the trusted keys count; with several, the one whose id the signature names is used.
TEST_F(Signatures, KeyMustBeTrusted) {
  const std::string signature = Stranger().SignBytes(m_content);
  const SignatureVerdict verdict = Check(signature, m_content);
  EXPECT_FALSE(verdict.accepted);
  EXPECT_NE(verdict.reason.find(KeyIdText(Stranger().Key().keyId)), std::string::npos) << verdict.reason;
  EXPECT_FALSE(VerifyMinisign(signature, m_content, {}).accepted);
  const std::vector<MinisignPublicKey> both{Publisher().Key(), Stranger().Key()};
  EXPECT_TRUE(VerifyMinisign(signature, m_content, both).accepted);

  // A key that claims the signer's id but is another key does not verify.
  MinisignPublicKey impostor = Publisher().Key();
  impostor.keyId = Stranger().Key().keyId;
  EXPECT_FALSE(VerifyMinisign(signature, m_content, std::vector{impostor}).accepted);
}

// The trusted comment and the global signature over it cannot be changed apart from each
// other, nor can a comment be moved from another signature.
TEST_F(Signatures, TrustedCommentIsCovered) {
  std::vector<std::string> lines = SplitLines(Publisher().SignBytes(m_content, "version 2.1"));
  ASSERT_EQ(lines.size(), 4u);
  std::vector<std::string> edited = lines;
  edited[2] = "trusted comment: version 9.9";
  SignatureVerdict verdict = Check(JoinLines(edited), m_content);
  EXPECT_FALSE(verdict.accepted);
  EXPECT_NE(verdict.reason.find("глобальная подпись"), std::string::npos) << verdict.reason;

  edited = lines;
  edited[3] = SplitLines(Publisher().SignBytes(m_content, "version 9.9"))[3];
  EXPECT_FALSE(Check(JoinLines(edited), m_content).accepted);

  // The untrusted comment is not signed and may say anything.
  edited = lines;
  edited[0] = "untrusted comment: anything at all";
  EXPECT_TRUE(Check(JoinLines(edited), m_content).accepted);
}

// Legacy signatures over the whole file are refused with their own reason; an unknown
// algorithm too.
TEST_F(Signatures, OnlyPrehashedSignatures) {
  const std::string legacy = Publisher().SignBytes(m_content, "old style", true);
  std::string reason;
  const auto parsed = ParseMinisignSignature(legacy, reason);
  ASSERT_TRUE(parsed) << reason;
  EXPECT_FALSE(parsed->prehashed);
  SignatureVerdict verdict = Check(legacy, m_content);
  EXPECT_FALSE(verdict.accepted);
  EXPECT_NE(verdict.reason.find("старом формате"), std::string::npos) << verdict.reason;

  std::vector<std::string> lines = SplitLines(Publisher().SignBytes(m_content));
  lines[1] = Base64("EX" + Unbase64(lines[1]).substr(2));
  verdict = Check(JoinLines(lines), m_content);
  EXPECT_FALSE(verdict.accepted);
  EXPECT_NE(verdict.reason.find("алгоритм"), std::string::npos) << verdict.reason;
}

// Every cut of a signature file, and damaged or foreign text, is refused with a reason and
// read only within its bounds (the sanitizer run checks the latter).
TEST_F(Signatures, MalformedSignatureFiles) {
  const std::string signature = Publisher().SignBytes(m_content);
  for (std::size_t length = 0; length + 1 < signature.size(); ++length) {
    const SignatureVerdict verdict = Check(signature.substr(0, length), m_content);
    EXPECT_FALSE(verdict.accepted) << length;
    EXPECT_FALSE(verdict.reason.empty()) << length;
  }
  EXPECT_TRUE(Check(signature.substr(0, signature.size() - 1), m_content).accepted) << "without the last line end";

  const std::vector<std::string> lines = SplitLines(signature);
  std::vector<std::string> damaged;
  // The untrusted comment (line 0) may hold anything; every other line is checked.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> changed = lines;
    changed[i].insert(changed[i].size() / 2, "#");
    damaged.push_back(JoinLines(changed));
    changed = lines;
    changed[i] = changed[i].substr(0, changed[i].size() - 4);
    damaged.push_back(JoinLines(changed));
  }
  damaged.push_back(signature + "one more line\n");
  damaged.push_back(std::string(signature).insert(40, 1, '\0'));
  damaged.push_back(signature + std::string(kMinisignFileMaxBytes, '\n'));
  damaged.push_back("<html><body>404 Not Found</body></html>");
  damaged.push_back(test::ReadBytes(Publisher().PublicKeyFile()));
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    std::string noise(random() % 400, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    damaged.push_back(noise);
    // Garbage behind well-formed prefixes walks the later steps too.
    damaged.push_back(JoinLines({lines[0], lines[1], lines[2]}) + noise);
  }
  for (const auto& text : damaged) {
    const SignatureVerdict verdict = Check(text, m_content);
    EXPECT_FALSE(verdict.accepted);
    EXPECT_FALSE(verdict.reason.empty());
  }
}

}  // namespace
}  // namespace vantrel
