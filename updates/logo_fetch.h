#pragma once
// Channel logos named by playlists (tvg-logo): fetched over the update client's libcurl
// transfer (http and https only, same time-outs, redirects and certificate checks), at most
// kLogoMaxBytes, and only when the body is a picture of a kind the views decode (PNG, JPEG,
// GIF, BMP). Kept in a small cache folder, one file per address named by a hash of it.
//
// FetchLogo blocks its caller: run it on a worker. The cache functions touch only the file
// named; any thread.
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// A logo larger than this is no logo: the transfer stops there and nothing is kept.
inline constexpr std::size_t kLogoMaxBytes = 512 * 1024;

enum class LogoFetchStatus {
  kFetched,       // a picture (bytes set)
  kNotPicture,    // the body is something else (HTML, SVG, junk), or empty
  kTooLarge,      // the body passed kLogoMaxBytes
  kHttpError,     // the answer was not 2xx
  kNotConnected,  // no answer, a broken one, or not a web address
  kCancelled,     // `cancel` was raised
};

struct LogoFetch {
  LogoFetchStatus status = LogoFetchStatus::kNotConnected;
  std::string bytes;
  bool Ok() const { return status == LogoFetchStatus::kFetched; }
};

// GETs `address` (UTF-8). `cancel`, when raised, ends the transfer within a moment.
LogoFetch FetchLogo(std::string_view address, const std::atomic<bool>* cancel = nullptr);

// Whether `bytes` start as a PNG, JPEG, GIF or BMP picture does.
bool LooksLikePicture(std::string_view bytes);

// The cache file of `address` in `folder`: 16 hexadecimal digits of a 64-bit hash of the
// address, ".logo". Whether it exists says whether the logo is cached.
std::filesystem::path LogoCacheFile(const std::filesystem::path& folder, std::string_view address);

// Writes `bytes` as the cache file of `address`, under a temporary name first so that a
// reader never sees half a picture. False when it could not be written.
bool StoreLogo(const std::filesystem::path& folder, std::string_view address, std::string_view bytes);

}  // namespace vantrel
