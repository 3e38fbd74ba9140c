#include "updates/logo_fetch.h"

#include <curl/curl.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <system_error>

#include "base/text_codec.h"
#include "catalogue/file_replace.h"
#include "updates/http_transfer.h"

namespace vantrel {
namespace {

struct CLogoBody {
  std::string bytes;
  const std::atomic<bool>* cancel = nullptr;
  bool tooLarge = false;

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* body = static_cast<CLogoBody*>(self);
    const size_t n = size * count;
    if (kLogoMaxBytes - body->bytes.size() < n) {
      body->tooLarge = true;
      return 0;
    }
    body->bytes.append(data, n);
    return n;
  }
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* body = static_cast<CLogoBody*>(self);
    return body->cancel && body->cancel->load() ? 1 : 0;
  }
};

}  // namespace

bool LooksLikePicture(std::string_view bytes) {
  return bytes.starts_with("\x89PNG\r\n\x1A\n") || bytes.starts_with("\xFF\xD8\xFF") || bytes.starts_with("GIF87a") ||
         bytes.starts_with("GIF89a") || (bytes.size() > 26 && bytes.starts_with("BM"));
}

LogoFetch FetchLogo(std::string_view address, const std::atomic<bool>* cancel) {
  LogoFetch result;
  // Only web addresses: a logo must not read local files (file:) or other protocols.
  if (!address.starts_with("http://") && !address.starts_with("https://")) return result;
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!ready) return result;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return result;
  CURL* h = curl.get();
  const std::string url = EncodeAddressForWire(Utf8ToUtf16(address));
  CLogoBody body;
  body.cancel = cancel;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Vantrel");
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
  ApplyCommonTransferOptions(h);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CLogoBody::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CLogoBody::OnProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &body);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  const CURLcode code = curl_easy_perform(h);
  long httpCode = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &httpCode);
  if (body.tooLarge) {
    result.status = LogoFetchStatus::kTooLarge;
  } else if (code == CURLE_ABORTED_BY_CALLBACK) {
    result.status = LogoFetchStatus::kCancelled;
  } else if (code != CURLE_OK) {
    result.status = LogoFetchStatus::kNotConnected;
  } else if (httpCode < 200 || httpCode >= 300) {
    result.status = LogoFetchStatus::kHttpError;
  } else if (!LooksLikePicture(body.bytes)) {
    result.status = LogoFetchStatus::kNotPicture;
  } else {
    result.status = LogoFetchStatus::kFetched;
    result.bytes = std::move(body.bytes);
  }
  return result;
}

std::filesystem::path LogoCacheFile(const std::filesystem::path& folder, std::string_view address) {
  // FNV-1a 64: stable across runs and builds, which std::hash is not.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : address) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.logo", static_cast<unsigned long long>(hash));
  return folder / name;
}

bool StoreLogo(const std::filesystem::path& folder, std::string_view address, std::string_view bytes) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return ReplaceFileContents(LogoCacheFile(folder, address), bytes);
}

}  // namespace vantrel
