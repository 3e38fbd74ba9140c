#include "updates/signature.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace vantrel {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::size_t kAlgorithmBytes = 2;
constexpr std::size_t kPublicKeyLineBytes = kAlgorithmBytes + kMinisignKeyIdBytes + kMinisignPublicKeyBytes;
constexpr std::size_t kSignatureLineBytes = kAlgorithmBytes + kMinisignKeyIdBytes + kMinisignSignatureBytes;
constexpr std::size_t kHashBytes = crypto_generichash_BYTES_MAX;  // BLAKE2b-512
constexpr std::size_t kFileReadBytes = std::size_t{1} << 20;

static_assert(crypto_sign_PUBLICKEYBYTES == kMinisignPublicKeyBytes);
static_assert(crypto_sign_BYTES == kMinisignSignatureBytes);
static_assert(kHashBytes == 64);

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

// Cuts `text` into lines; a line ends at "\n" and loses the "\r" and "\n" at its end, as
// minisign reads them.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Strict standard Base64 of exactly `expected` bytes; `what` names the line in the reason.
bool DecodeExact(std::string_view base64, std::size_t expected, unsigned char* out, const char* what,
                 std::string& reason) {
  std::vector<unsigned char> bytes(base64.size() / 4 * 3 + 3);
  std::size_t length = 0;
  const char* end = nullptr;
  if (base64.empty() ||
      sodium_base642bin(bytes.data(), bytes.size(), base64.data(), base64.size(), nullptr, &length, &end,
                        sodium_base64_VARIANT_ORIGINAL) != 0 ||
      end != base64.data() + base64.size()) {
    reason = std::string(what) + " не в кодировке Base64";
    return false;
  }
  if (length != expected) {
    reason = std::string(what) + ": " + std::to_string(length) + " байт вместо " + std::to_string(expected);
    return false;
  }
  std::memcpy(out, bytes.data(), expected);
  return true;
}

bool Verify(const unsigned char* signature, const unsigned char* message, std::size_t length,
            const MinisignPublicKey& key) {
  return crypto_sign_verify_detached(signature, message, length, key.key.data()) == 0;
}

}  // namespace

std::string KeyIdText(const MinisignKeyId& id) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  // minisign prints the id as a little-endian 64-bit number.
  for (auto it = id.rbegin(); it != id.rend(); ++it) {
    text += kHex[*it >> 4];
    text += kHex[*it & 0x0F];
  }
  return text;
}

std::optional<MinisignPublicKey> ParseMinisignPublicKey(std::string_view text, std::string& reason) {
  std::vector<std::string_view> lines = Lines(text);
  std::erase_if(lines, [](std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; });
  if (!lines.empty() && lines.front().starts_with(kUntrustedPrefix)) lines.erase(lines.begin());
  if (lines.size() != 1) {
    reason = lines.empty() ? "открытого ключа нет" : "в открытом ключе лишние строки";
    return std::nullopt;
  }
  std::string_view line = lines.front();
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  std::array<unsigned char, kPublicKeyLineBytes> bytes{};
  if (!DecodeExact(line, bytes.size(), bytes.data(), "открытый ключ", reason)) return std::nullopt;
  if (bytes[0] != 'E' || bytes[1] != 'd') {
    reason = "открытый ключ не для подписей Ed25519";
    return std::nullopt;
  }
  MinisignPublicKey key;
  std::copy_n(bytes.begin() + kAlgorithmBytes, kMinisignKeyIdBytes, key.keyId.begin());
  std::copy_n(bytes.begin() + kAlgorithmBytes + kMinisignKeyIdBytes, kMinisignPublicKeyBytes, key.key.begin());
  return key;
}

std::optional<MinisignSignature> ParseMinisignSignature(std::string_view text, std::string& reason) {
  if (text.size() > kMinisignFileMaxBytes) {
    reason = "файл подписи длиннее " + std::to_string(kMinisignFileMaxBytes) + " байт";
    return std::nullopt;
  }
  // minisign reads the comments as C strings: a zero byte would hide what follows it.
  if (text.find('\0') != std::string_view::npos) {
    reason = "в файле подписи нулевой байт";
    return std::nullopt;
  }
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.empty() || !lines[0].starts_with(kUntrustedPrefix)) {
    reason = "файл подписи не начинается строкой «untrusted comment: »";
    return std::nullopt;
  }
  if (lines.size() < 4) {
    reason = "файл подписи обрывается: в нём " + std::to_string(lines.size()) + " строк(и) из четырёх";
    return std::nullopt;
  }
  if (std::any_of(lines.begin() + 4, lines.end(), [](std::string_view line) { return !line.empty(); })) {
    reason = "в файле подписи лишние строки после глобальной подписи";
    return std::nullopt;
  }

  std::array<unsigned char, kSignatureLineBytes> line{};
  if (!DecodeExact(lines[1], line.size(), line.data(), "строка подписи", reason)) return std::nullopt;
  MinisignSignature signature;
  if (line[0] == 'E' && line[1] == 'D') {
    signature.prehashed = true;
  } else if (!(line[0] == 'E' && line[1] == 'd')) {
    reason = "неизвестный алгоритм подписи";
    return std::nullopt;
  }
  std::copy_n(line.begin() + kAlgorithmBytes, kMinisignKeyIdBytes, signature.keyId.begin());
  std::copy_n(line.begin() + kAlgorithmBytes + kMinisignKeyIdBytes, kMinisignSignatureBytes,
              signature.signature.begin());

  if (!lines[2].starts_with(kTrustedPrefix)) {
    reason = "третья строка файла подписи не начинается с «trusted comment: »";
    return std::nullopt;
  }
  signature.trustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
  if (!DecodeExact(lines[3], kMinisignSignatureBytes, signature.globalSignature.data(), "глобальная подпись",
                   reason)) {
    return std::nullopt;
  }
  return signature;
}

struct CSignatureCheck::Hash {
  crypto_generichash_state state;
};

CSignatureCheck::CSignatureCheck(std::string_view signatureText, std::span<const MinisignPublicKey> trustedKeys) {
  if (!SodiumReady()) {
    m_reason = "библиотека libsodium не запустилась";
    return;
  }
  auto parsed = ParseMinisignSignature(signatureText, m_reason);
  if (!parsed) return;
  m_signature = std::move(*parsed);
  if (!m_signature.prehashed) {
    m_reason = "подпись в старом формате (Ed, без хеша файла) не принимается: подпишите файл заново";
    return;
  }
  const auto key = std::find_if(trustedKeys.begin(), trustedKeys.end(),
                                [&](const MinisignPublicKey& k) { return k.keyId == m_signature.keyId; });
  if (key == trustedKeys.end()) {
    m_reason = trustedKeys.empty() ? "нет ни одного доверенного ключа"
                                   : "подписано ключом " + KeyIdText(m_signature.keyId) + ", которому нет доверия";
    return;
  }
  m_key = *key;
  // The global signature covers the file's signature followed by the trusted comment.
  std::string global(m_signature.signature.begin(), m_signature.signature.end());
  global += m_signature.trustedComment;
  if (!Verify(m_signature.globalSignature.data(), reinterpret_cast<const unsigned char*>(global.data()),
              global.size(), m_key)) {
    m_reason = "доверенный комментарий не совпадает с подписанным (глобальная подпись неверна)";
    return;
  }
  m_hash = std::make_unique<Hash>();
  crypto_generichash_init(&m_hash->state, nullptr, 0, kHashBytes);
}

CSignatureCheck::~CSignatureCheck() = default;

void CSignatureCheck::Update(std::string_view content) {
  if (!Viable() || content.empty()) return;
  crypto_generichash_update(&m_hash->state, reinterpret_cast<const unsigned char*>(content.data()), content.size());
}

SignatureVerdict CSignatureCheck::Finish() {
  if (!Viable()) return {false, m_reason};
  std::array<unsigned char, kHashBytes> hash{};
  crypto_generichash_final(&m_hash->state, hash.data(), hash.size());
  if (!Verify(m_signature.signature.data(), hash.data(), hash.size(), m_key)) {
    m_reason = "подпись не совпадает с файлом: файл изменён после подписи";
    return {false, m_reason};
  }
  return {true, {}, m_signature.trustedComment};
}

SignatureVerdict VerifyMinisign(std::string_view signatureText, std::string_view content,
                                std::span<const MinisignPublicKey> trustedKeys) {
  CSignatureCheck check(signatureText, trustedKeys);
  check.Update(content);
  return check.Finish();
}

SignatureVerdict VerifyMinisignFile(std::string_view signatureText, const std::filesystem::path& file,
                                    std::span<const MinisignPublicKey> trustedKeys) {
  CSignatureCheck check(signatureText, trustedKeys);
  if (!check.Viable()) return check.Finish();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {false, "файл не открывается: " + std::string(std::strerror(errno))};
  std::vector<char> buffer(kFileReadBytes);
  ssize_t n = 0;
  while ((n = ::read(fd, buffer.data(), buffer.size())) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string error = std::strerror(errno);
      ::close(fd);
      return {false, "файл не читается: " + error};
    }
    check.Update(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }
  ::close(fd);
  return check.Finish();
}

}  // namespace vantrel
