// vantrel-sign verify [--key PUBLIC_KEY_FILE] FILE: checks FILE against FILE.minisig with the
// program's own code, and with the keys this build trusts unless a key file is given.
// Exit code 0: accepted; 1: not accepted (one line says why); 64: wrong usage.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updates/signature.h"
#include "updates/update_keys.h"

namespace {

constexpr int kAccepted = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 64;

// At most `limit` + 1 bytes, so that an oversized file is still seen as one.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(limit + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return std::nullopt;
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// The comment comes from the signature file: control characters would reach the terminal.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

int Refuse(const std::string& file, const std::string& reason) {
  std::printf("%s: не принят: %s\n", file.c_str(), reason.c_str());
  return kRefused;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const bool withKey = args.size() == 4 && args[1] == "--key";
  if (args.empty() || args[0] != "verify" || (args.size() != 2 && !withKey)) {
    std::fprintf(stderr, "usage: vantrel-sign verify [--key PUBLIC_KEY_FILE] FILE\n");
    return kUsage;
  }
  const std::string file(args.back());

  std::vector<vantrel::MinisignPublicKey> keys = vantrel::BuiltInUpdateKeys();
  if (withKey) {
    const std::string keyFile(args[2]);
    const auto text = ReadSmallFile(keyFile, vantrel::kMinisignFileMaxBytes);
    if (!text) return Refuse(file, "файл ключа " + keyFile + " не читается");
    std::string reason;
    const auto key = vantrel::ParseMinisignPublicKey(*text, reason);
    if (!key) return Refuse(file, "файл ключа " + keyFile + ": " + reason);
    keys = {*key};
  }

  const auto signature = ReadSmallFile(file + ".minisig", vantrel::kMinisignFileMaxBytes);
  if (!signature) return Refuse(file, "нет файла подписи " + file + ".minisig");
  const vantrel::SignatureVerdict verdict = vantrel::VerifyMinisignFile(*signature, file, keys);
  if (!verdict.accepted) return Refuse(file, verdict.reason);
  std::printf("%s: подпись принята; доверенный комментарий: %s\n", file.c_str(),
              Printable(verdict.trustedComment).c_str());
  return kAccepted;
}
