#pragma once
// The update server's answers to the three check pages, read from its folder (layout in
// README.md). Answers are UTF-8 text here; the HTTP side sends them in Windows-1251.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::server {

class ServerAnswers {
 public:
  // `root` is the configuration folder; `base` the address clients reach the server by,
  // ending in "/", put in place of "{base}" in configured answers and used in offers.
  ServerAnswers(std::filesystem::path root, std::string base);

  std::string Program(std::string_view version) const;
  // `skins` is the client's list, each installed skin's name followed by ";".
  std::string Skins(std::string_view skins) const;
  std::string Channels(std::string_view channelsVersion) const;

 private:
  std::optional<std::string> Forced(std::string_view page) const;
  std::optional<std::string> ReadText(const std::filesystem::path& file) const;

  std::filesystem::path m_root;
  std::string m_base;
};

// The file a static request names, or nothing when the path is not one the server serves:
// /files/..., /media/..., /skins/<name>.zip, /program/<name>.zip, /channels/channels.dat,
// and the last three's signatures under their name + ".minisig".
std::optional<std::filesystem::path> StaticFile(const std::filesystem::path& root, std::string_view urlPath);

}  // namespace vantrel::server
