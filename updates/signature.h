#pragma once
// Checks minisign signatures: Ed25519 over the BLAKE2b-512 hash of a file (minisign's
// prehashed "ED" form) and the global signature over the trusted comment. Public keys and
// signature files are untrusted text: every way they can be wrong ends in a verdict with a
// reason, never in a read past what was given. No Qt; libsodium does the cryptography.
//
// Legacy signatures ("Ed": Ed25519 over the whole file rather than its hash) are refused:
// checking them needs the whole file in memory at once, and minisign has signed prehashed
// by default for years, so a publisher who meets the refusal simply signs again.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr std::size_t kMinisignKeyIdBytes = 8;
inline constexpr std::size_t kMinisignPublicKeyBytes = 32;
inline constexpr std::size_t kMinisignSignatureBytes = 64;
// A .minisig file holds four short lines; anything much longer is not one.
inline constexpr std::size_t kMinisignFileMaxBytes = 16'384;

using MinisignKeyId = std::array<unsigned char, kMinisignKeyIdBytes>;

struct MinisignPublicKey {
  MinisignKeyId keyId{};
  std::array<unsigned char, kMinisignPublicKeyBytes> key{};

  bool operator==(const MinisignPublicKey&) const = default;
};

struct MinisignSignature {
  bool prehashed = false;  // "ED"; false: the legacy "Ed"
  MinisignKeyId keyId{};
  std::array<unsigned char, kMinisignSignatureBytes> signature{};
  std::string trustedComment;  // after "trusted comment: ", without the line end
  std::array<unsigned char, kMinisignSignatureBytes> globalSignature{};
};

// What a parse or a check came to. `reason` is one line of Russian for the publisher (and
// the program's error output) when it failed; empty when it succeeded.
struct SignatureVerdict {
  bool accepted = false;
  std::string reason{};
  std::string trustedComment{};  // of an accepted signature
};

// Takes the "RW..." line alone or a whole .pub file (its untrusted comment first).
std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view text, std::string& reason);

// Takes a whole .minisig file: untrusted comment, signature line, trusted comment, global
// signature. Both algorithms parse; the check refuses the legacy one.
std::optional<MinisignSignature> ParseMinisignSignature(std::string_view text, std::string& reason);

// The key id as minisign prints it ("43F2229CCC5EB134").
std::string KeyIdText(const MinisignKeyId& id);

// A check of one signature over content that arrives in pieces, so that a file of any size
// is hashed without being held whole. Everything that does not depend on the content (the
// signature file's form, its algorithm, a trusted key with its id, the global signature over
// the trusted comment) is settled when the check is made.
class CSignatureCheck {
 public:
  CSignatureCheck(std::string_view signatureText, std::span<const MinisignPublicKey> trustedKeys);
  ~CSignatureCheck();
  CSignatureCheck(const CSignatureCheck&) = delete;
  CSignatureCheck& operator=(const CSignatureCheck&) = delete;

  // False once the check cannot succeed any more, whatever the content.
  bool Viable() const { return m_reason.empty(); }
  void Update(std::string_view content);
  // The verdict over everything given to Update. Call once.
  SignatureVerdict Finish();

 private:
  struct Hash;
  MinisignSignature m_signature;
  MinisignPublicKey m_key;
  std::unique_ptr<Hash> m_hash;
  std::string m_reason;
};

// The whole check over content in memory.
SignatureVerdict VerifyMinisign(std::string_view signatureText, std::string_view content,
                                std::span<const MinisignPublicKey> trustedKeys);

// The whole check over a file, read in pieces.
SignatureVerdict VerifyMinisignFile(std::string_view signatureText, const std::filesystem::path& file,
                                    std::span<const MinisignPublicKey> trustedKeys);

}  // namespace vantrel
