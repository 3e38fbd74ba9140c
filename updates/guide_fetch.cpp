#include "updates/guide_fetch.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <system_error>

#include "base/text_codec.h"
#include "updates/http_transfer.h"

namespace vantrel {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if ((text[i] | 0x20) != (prefix[i] | 0x20)) return false;
  return true;
}

// Validators go back to the server in a header of ours: no control characters, and short.
std::string HeaderValue(std::string_view line, std::size_t nameLength) {
  std::string_view value = line.substr(nameLength);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) value.remove_suffix(1);
  std::string clean;
  for (const char c : value.substr(0, 1024))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) clean += c;
  return clean;
}

// Collects the final answer's validators and encoding, and writes its body to the file.
class CGuideTransfer {
 public:
  explicit CGuideTransfer(std::FILE* file) : m_file(file) {}

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<CGuideTransfer*>(self)->Header(std::string_view(data, size * count));
    return size * count;
  }
  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<CGuideTransfer*>(self)->Body(std::string_view(data, size * count)) ? size * count : 0;
  }

  GuideValidators validators;
  bool tooLarge = false;
  bool writeFailed = false;
  bool foreignEncoding = false;

 private:
  void Header(std::string_view line) {
    if (line.starts_with("HTTP/")) {
      // A new answer (after a redirect): only the last one's headers count.
      validators = {};
      foreignEncoding = false;
    } else if (StartsWithNoCase(line, "etag:")) {
      validators.etag = HeaderValue(line, 5);
    } else if (StartsWithNoCase(line, "last-modified:")) {
      validators.lastModified = HeaderValue(line, 14);
    } else if (StartsWithNoCase(line, "content-encoding:")) {
      const std::string coding = HeaderValue(line, 17);
      foreignEncoding = !coding.empty() && coding != "gzip" && coding != "x-gzip" && coding != "identity";
    }
  }

  bool Body(std::string_view data) {
    if (foreignEncoding) return false;
    if (kGuideMaxDownloadBytes - m_total < data.size()) {
      tooLarge = true;
      return false;
    }
    m_total += data.size();
    if (std::fwrite(data.data(), 1, data.size(), m_file) != data.size()) {
      writeFailed = true;
      return false;
    }
    return true;
  }

  std::FILE* m_file;
  std::uint64_t m_total = 0;
};

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

int AbandonWhenCancelled(void* cancelled, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return (*static_cast<const std::function<bool()>*>(cancelled))() ? 1 : 0;
}

bool IsWebAddress(std::string_view address) {
  return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

}  // namespace

CTempFile& CTempFile::operator=(CTempFile&& other) noexcept {
  if (this != &other) {
    Remove();
    m_file = std::move(other.m_file);
    other.m_file.clear();
  }
  return *this;
}

void CTempFile::Remove() {
  if (m_file.empty()) return;
  std::error_code ec;
  std::filesystem::remove(m_file, ec);
  m_file.clear();
}

GuideFetchResult FetchGuide(std::string_view address, const GuideValidators& known,
                            const std::filesystem::path& tempFolder, std::u16string_view userAgent,
                            const std::function<bool()>& cancelled) {
  GuideFetchResult result;
  std::string pattern = (tempFolder / "guide-download-XXXXXX").string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    result.status = GuideFetchStatus::kCannotWrite;
    return result;
  }
  result.file = CTempFile(pattern);
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(::fdopen(fd, "wb"), &std::fclose);
  if (!file) {
    ::close(fd);
    result.status = GuideFetchStatus::kCannotWrite;
    return result;
  }

  curl_global_init(CURL_GLOBAL_DEFAULT);  // counted by libcurl; a no-op once done
  CurlHandle curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return result;
  HeaderList headers(nullptr, &curl_slist_free_all);
  auto addHeader = [&headers](const std::string& header) {
    if (curl_slist* grown = curl_slist_append(headers.get(), header.c_str())) {
      (void)headers.release();
      headers.reset(grown);
    }
  };
  // The body is kept as sent: a gzip answer is unpacked by the reader while it reads.
  addHeader("Accept-Encoding: gzip");
  if (!known.etag.empty()) addHeader("If-None-Match: " + known.etag);
  if (!known.lastModified.empty()) addHeader("If-Modified-Since: " + known.lastModified);

  const std::string url = EncodeAddressForWire(Utf8ToUtf16(address));
  std::string agent = Utf16ToUtf8(userAgent);
  for (char& c : agent)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  CGuideTransfer transfer(file.get());
  CURL* h = curl.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  ApplyCommonTransferOptions(h);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CGuideTransfer::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CGuideTransfer::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  if (cancelled) {
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &AbandonWhenCancelled);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &cancelled);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  }
  const CURLcode code = curl_easy_perform(h);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.httpCode);
  const bool flushed = std::fflush(file.get()) == 0;

  if (code == CURLE_ABORTED_BY_CALLBACK) result.status = GuideFetchStatus::kCancelled;
  else if (transfer.tooLarge) result.status = GuideFetchStatus::kTooLarge;
  else if (transfer.writeFailed || !flushed) result.status = GuideFetchStatus::kCannotWrite;
  else if (transfer.foreignEncoding) result.status = GuideFetchStatus::kBroken;
  else if (code != CURLE_OK) result.status = result.httpCode ? GuideFetchStatus::kBroken : GuideFetchStatus::kNotConnected;
  else if (result.httpCode == 304) result.status = GuideFetchStatus::kNotModified;
  else if (result.httpCode < 200 || result.httpCode > 299) result.status = GuideFetchStatus::kHttpError;
  else result.status = GuideFetchStatus::kFetched;
  if (result.status == GuideFetchStatus::kFetched) result.validators = transfer.validators;
  else result.file.Remove();
  return result;
}

GuideRefreshResult RefreshGuideSource(CGuideStore& store, const std::filesystem::path& storeFolder,
                                      std::string_view address, std::int64_t now, std::u16string_view userAgent,
                                      std::function<bool()> cancelled) {
  GuideRefreshResult result;
  GuideImportOptions options;
  options.now = now;
  options.cancelled = std::move(cancelled);
  if (!IsWebAddress(address)) {
    std::string_view path = address;
    if (StartsWithNoCase(path, "file://")) path.remove_prefix(7);
    result.fetch = GuideFetchStatus::kFetched;
    result.report = store.Import(address, std::filesystem::path(std::string(path)), options);
    result.imported = result.report.imported;
    return result;
  }
  // A guide whose last import failed has nothing to be compared with: fetch it whole.
  const std::optional<GuideValidators> known = store.Validators(address);
  const bool haveGuide = known && !store.Channels(address).empty();
  GuideFetchResult fetched =
      FetchGuide(address, haveGuide ? *known : GuideValidators{}, storeFolder, userAgent, options.cancelled);
  result.fetch = fetched.status;
  result.httpCode = fetched.httpCode;
  if (fetched.status != GuideFetchStatus::kFetched) return result;
  options.validators = fetched.validators;
  result.report = store.Import(address, fetched.file.Path(), options);
  result.imported = result.report.imported;
  return result;
}

const char* Describe(GuideFetchStatus status) {
  switch (status) {
    case GuideFetchStatus::kFetched: return "fetched";
    case GuideFetchStatus::kNotModified: return "not modified since the last import";
    case GuideFetchStatus::kNotConnected: return "the server did not answer";
    case GuideFetchStatus::kHttpError: return "the server refused";
    case GuideFetchStatus::kBroken: return "the answer broke off";
    case GuideFetchStatus::kTooLarge: return "the guide is too large";
    case GuideFetchStatus::kCannotWrite: return "the temporary file cannot be written";
    case GuideFetchStatus::kCancelled: return "cancelled";
  }
  return "?";
}

}  // namespace vantrel
