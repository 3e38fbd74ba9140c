#include "tools/server/server_answers.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <vector>

#include "base/text_codec.h"
#include "updates/update_files.h"
#include "updates/update_protocol.h"

namespace vantrel::server {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNothingNew = "1024";
constexpr std::string_view kDelimiter = "4096";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string LineOr(const std::vector<std::string>& lines, std::size_t index, std::string fallback) {
  return index < lines.size() && !lines[index].empty() ? lines[index] : std::move(fallback);
}

// The client reads numbers the way the C library's atoi does.
long long LeadingNumber(std::string_view text) {
  const std::string copy(text);
  return std::strtoll(copy.c_str(), nullptr, 10);
}

// Joins an offer, or gives nothing when the client would split it differently (a field
// holding "4096", a field too short for the client's search start, a character the
// client's code page lacks).
std::optional<std::string> Offer(const std::vector<std::string>& fields, std::size_t searchStart) {
  std::string answer(kDelimiter);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    answer += fields[i];
    if (i + 1 < fields.size()) answer += kDelimiter;
  }
  const std::u16string text = Utf8ToUtf16(answer);
  if (Cp1251ToUtf16(Utf16ToCp1251(text)) != text) return std::nullopt;
  const OfferFields split = SplitOfferFields(std::u16string_view(text).substr(4), searchStart);
  const std::u16string parts[] = {split.field1, split.field2, split.field3, split.message};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (parts[i] != Utf8ToUtf16(fields[i])) return std::nullopt;
  }
  return answer;
}

// Skin names travel in a ";"-separated list and inside an address.
bool UsableSkinName(const std::string& name) {
  return IsPlainFileName(Utf8ToUtf16(name)) && name.find_first_of(";&#?%+") == std::string::npos;
}

}  // namespace

ServerAnswers::ServerAnswers(fs::path root, std::string base) : m_root(std::move(root)), m_base(std::move(base)) {}

std::optional<std::string> ServerAnswers::ReadText(const fs::path& file) const {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t at = text.find("{base}"); at != std::string::npos; at = text.find("{base}", at)) {
    text.replace(at, 6, m_base);
    at += m_base.size();
  }
  return text;
}

std::optional<std::string> ServerAnswers::Forced(std::string_view page) const {
  return ReadText(m_root / page / "answer.txt");
}

std::string ServerAnswers::Program(std::string_view version) const {
  if (auto forced = Forced("program")) return *forced;
  if (IsPlainFileName(Utf8ToUtf16(version))) {
    if (auto answer = ReadText(m_root / "program" / (std::string(version) + ".txt"))) return *answer;
  }
  return ReadText(m_root / "program" / "default.txt").value_or(std::string(kNothingNew));
}

std::string ServerAnswers::Skins(std::string_view skins) const {
  if (auto forced = Forced("skins")) return *forced;
  std::set<std::string, std::less<>> installed;
  for (std::size_t start = 0; start < skins.size();) {
    std::size_t end = skins.find(';', start);
    if (end == std::string_view::npos) end = skins.size();
    installed.emplace(skins.substr(start, end - start));
    start = end + 1;
  }
  std::vector<std::string> packs;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(m_root / "skins", ec)) {
    if (entry.path().extension() == ".zip" && entry.is_regular_file(ec)) packs.push_back(entry.path().stem().string());
  }
  std::sort(packs.begin(), packs.end());
  for (const auto& name : packs) {
    if (installed.contains(name) || !UsableSkinName(name)) continue;
    const auto texts = Lines(ReadText(m_root / "skins" / (name + ".txt")).value_or(""));
    const std::vector<std::string> fields{
        m_base + "skins/" + name + ".zip", name,
        LineOr(texts, 0, " КБ шкурки «" + name + "» получено"),
        LineOr(texts, 1, "Доступна новая шкурка оформления «" + name + "». Скачать ее?")};
    if (auto offer = Offer(fields, kOfferSearchStart)) return *offer;
  }
  return std::string(kNothingNew);
}

std::string ServerAnswers::Channels(std::string_view channelsVersion) const {
  if (auto forced = Forced("channels")) return *forced;
  const auto version = ReadText(m_root / "channels" / "version");
  std::error_code ec;
  if (!version || !fs::is_regular_file(m_root / "channels" / "channels.dat", ec) ||
      LeadingNumber(channelsVersion) >= LeadingNumber(*version)) {
    return std::string(kNothingNew);
  }
  const auto texts = Lines(ReadText(m_root / "channels" / "offer.txt").value_or(""));
  const std::vector<std::string> fields{m_base + "channels/channels.dat",
                                        LineOr(texts, 0, " КБ списка каналов получено"),
                                        LineOr(texts, 1, "?"), ""};
  return Offer(fields, kChannelOfferSearchStart).value_or(std::string(kNothingNew));
}

std::optional<fs::path> StaticFile(const fs::path& root, std::string_view urlPath) {
  std::vector<std::string> parts;
  for (std::size_t start = 1; start <= urlPath.size();) {
    std::size_t end = urlPath.find('/', start);
    if (end == std::string_view::npos) end = urlPath.size();
    parts.emplace_back(urlPath.substr(start, end - start));
    start = end + 1;
  }
  if (!urlPath.starts_with("/") || parts.size() < 2) return std::nullopt;
  fs::path file = root;
  for (const auto& part : parts) {
    if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string::npos) return std::nullopt;
    file /= part;
  }
  const std::string& top = parts.front();
  // An offered download's signature is served beside it, under the download's name + ".minisig".
  std::string name = parts.back();
  if (name.ends_with(".minisig")) name.resize(name.size() - 8);
  const bool wanted = top == "files" || top == "media" ||
                      (parts.size() == 2 && (top == "skins" || top == "program") && fs::path(name).extension() == ".zip") ||
                      (parts.size() == 2 && top == "channels" && name == "channels.dat");
  std::error_code ec;
  if (!wanted || !fs::is_regular_file(file, ec)) return std::nullopt;
  return file;
}

}  // namespace vantrel::server
