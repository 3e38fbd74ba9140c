#include "updates/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/text_codec.h"

namespace vantrel {
namespace {

// One libcurl initialisation for the process, before the first handle.
void EnsureCurlReady() {
  struct Global {
    Global() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~Global() { curl_global_cleanup(); }
  };
  static Global global;
}

using ChunkSink = std::function<void(std::string_view chunk)>;

std::string& ExtraCaFile() {
  static std::string file;
  return file;
}

// Gathers libcurl's deliveries into reads of kTransferChunkBytes and tells apart a request
// that never got an answer from an answer that broke off.
class Transfer {
 public:
  Transfer(CURL* curl, ChunkSink sink) : m_curl(curl), m_sink(std::move(sink)) {
    m_chunk.reserve(kTransferChunkBytes);
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<Transfer*>(self)->Header(std::string_view(data, size * count));
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    // Returning less than given makes libcurl abandon the transfer.
    return static_cast<Transfer*>(self)->Body(std::string_view(data, size * count)) ? size * count : 0;
  }

  TransferStatus Finish(CURLcode result) {
    Flush();
    if (result == CURLE_OK && !m_overflow) return TransferStatus::kOk;
    return m_answered ? TransferStatus::kReadFailed : TransferStatus::kNotConnected;
  }

 private:
  void Header(std::string_view line) {
    if (line.starts_with("HTTP/")) {
      m_answered = false;
      m_location = false;
    } else if (line.size() >= 9 && std::equal(line.begin(), line.begin() + 9, "location:",
                                              [](char a, char b) { return (a | 0x20) == b; })) {
      m_location = true;
    } else if (line == "\r\n" || line == "\n") {
      // End of one response's headers. An interim answer or a redirect libcurl goes on to
      // follow is not yet the answer: a failure after it means the address never opened.
      long code = 0;
      curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &code);
      const bool interim = code >= 100 && code < 200;
      const bool followed =
          m_location && (code == 301 || code == 302 || code == 303 || code == 307 || code == 308);
      m_answered = !interim && !followed;
    }
  }

  bool Body(std::string_view data) {
    if (kTransferMaxBytes - m_total < data.size()) {
      m_overflow = true;
      return false;
    }
    m_total += data.size();
    while (!data.empty()) {
      const std::size_t take = std::min(data.size(), kTransferChunkBytes - m_chunk.size());
      m_chunk.append(data.substr(0, take));
      data.remove_prefix(take);
      if (m_chunk.size() == kTransferChunkBytes) Flush();
    }
    return true;
  }

  void Flush() {
    if (m_chunk.empty()) return;
    m_sink(m_chunk);
    m_chunk.clear();
  }

  CURL* m_curl;
  ChunkSink m_sink;
  std::string m_chunk;
  std::size_t m_total = 0;
  bool m_answered = false;
  bool m_location = false;
  bool m_overflow = false;
};

// Header text cannot hold line breaks; they would start a header of their own.
std::string UserAgentBytes(std::u16string_view userAgent) {
  std::string bytes = Utf16ToCp1251(userAgent);
  std::replace_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return bytes;
}

TransferStatus HttpGet(std::u16string_view address, std::u16string_view userAgent, ChunkSink sink,
                       long* httpStatus = nullptr) {
  EnsureCurlReady();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return TransferStatus::kNotConnected;
  const std::string url = EncodeAddressForWire(address);
  const std::string agent = UserAgentBytes(userAgent);
  Transfer transfer(curl.get(), std::move(sink));
  CURL* h = curl.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  ApplyCommonTransferOptions(h);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kTransferChunkBytes));
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  const CURLcode result = curl_easy_perform(h);
  if (httpStatus) curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, httpStatus);
  return transfer.Finish(result);
}

}  // namespace

void SetExtraCaFileForTests(std::string pemFile) { ExtraCaFile() = std::move(pemFile); }

void ApplyCommonTransferOptions(CURL* h) {
  // Addresses come from the server's answers: only web addresses are fetched.
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
  // Certificates are checked against the system's store, and must name the host.
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  // The test authority's file takes the bundle's place; the system's hashed certificate
  // folder (CURLOPT_CAPATH) stays, so the system's authorities are still trusted.
  if (!ExtraCaFile().empty()) curl_easy_setopt(h, CURLOPT_CAINFO, ExtraCaFile().c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 15L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 30L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  // A proxy's own answer to CONNECT is not the server's answer.
  curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
}

std::string EncodeAddressForWire(std::u16string_view address) {
  static constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string wire;
  for (const char c : Utf16ToUtf8(address)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || kUnsafe.find(c) != std::string_view::npos) {
      wire += '%';
      wire += kHex[byte >> 4];
      wire += kHex[byte & 0x0F];
    } else {
      wire += c;
    }
  }
  return wire;
}

PageFetch FetchServerPage(std::u16string_view address, std::u16string_view userAgent) {
  PageFetch page;
  page.status = HttpGet(address, userAgent, [&page](std::string_view chunk) {
    page.text += Cp1251ToUtf16(chunk);
  });
  return page;
}

DownloadedBody DownloadToMemory(std::u16string_view address, std::u16string_view userAgent,
                                const DownloadProgress& progress) {
  DownloadedBody body;
  body.bytes.reserve(kDownloadInitialBytes);
  body.status = HttpGet(address, userAgent, [&](std::string_view chunk) {
    body.bytes.append(chunk);
    if (progress) progress(body.bytes.size());
  }, &body.httpStatus);
  if (!body.Ok()) {
    body.bytes.clear();
    body.bytes.shrink_to_fit();
  }
  return body;
}

}  // namespace vantrel
