#include "updates/playlist_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "base/text_codec.h"
#include "updates/http_transfer.h"

namespace vantrel {
namespace {

bool HeaderIs(std::string_view line, std::string_view lowerName) {
  if (line.size() <= lowerName.size() || line[lowerName.size()] != ':') return false;
  for (size_t i = 0; i < lowerName.size(); ++i) {
    const char c = line[i] >= 'A' && line[i] <= 'Z' ? static_cast<char>(line[i] | 0x20) : line[i];
    if (c != lowerName[i]) return false;
  }
  return true;
}

std::string HeaderValue(std::string_view line) {
  line.remove_prefix(line.find(':') + 1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.remove_suffix(1);
  return std::string(line);
}

// Media types that are playlists although they are filed under audio/ or video/.
bool IsMediaNotPlaylist(std::string type) {
  std::transform(type.begin(), type.end(), type.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; });
  if (!type.starts_with("audio/") && !type.starts_with("video/")) return false;
  return type.find("mpegurl") == std::string::npos && type.find("scpls") == std::string::npos &&
         type.find("m3u") == std::string::npos;
}

// Media sent without a media type (application/octet-stream) shows itself by zero bytes at
// its start, which no playlist has; UTF-16 text, which has them too, starts with its mark.
bool LooksBinary(std::string_view first) {
  if (first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF")) return false;
  return first.substr(0, 1024).find('\0') != std::string_view::npos;
}

// Header values cannot hold line breaks; they would start a header of their own.
std::string HeaderSafe(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return text;
}

class CFetch {
 public:
  CFetch(PlaylistFetch& result, const std::atomic<bool>* cancel) : m_result(result), m_cancel(cancel) {}

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<CFetch*>(self)->Header(std::string_view(data, size * count));
    return size * count;
  }
  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<CFetch*>(self)->Body(std::string_view(data, size * count)) ? size * count : 0;
  }
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* fetch = static_cast<CFetch*>(self);
    return fetch->m_cancel && fetch->m_cancel->load() ? 1 : 0;
  }

  bool tooLarge = false;
  bool stream = false;

 private:
  void Header(std::string_view line) {
    if (line.starts_with("HTTP/")) {  // each response of a redirect chain starts afresh
      m_result.validators = {};
      m_contentType.clear();
    } else if (HeaderIs(line, "etag")) {
      m_result.validators.etag = HeaderValue(line);
    } else if (HeaderIs(line, "last-modified")) {
      m_result.validators.lastModified = HeaderValue(line);
    } else if (HeaderIs(line, "content-type")) {
      m_contentType = HeaderValue(line);
    }
  }

  bool Body(std::string_view data) {
    if (m_result.bytes.empty() && (IsMediaNotPlaylist(m_contentType) || LooksBinary(data))) {
      stream = true;  // a live stream never ends: stop at its first bytes
      return false;
    }
    if (kPlaylistMaxBytes - m_result.bytes.size() < data.size()) {
      tooLarge = true;
      return false;
    }
    m_result.bytes.append(data);
    return true;
  }

  PlaylistFetch& m_result;
  const std::atomic<bool>* m_cancel;
  std::string m_contentType;
};

}  // namespace

PlaylistFetch FetchPlaylist(std::string_view address, const PlaylistValidators& validators,
                            std::u16string_view userAgent, const std::atomic<bool>* cancel) {
  PlaylistFetch result;
  // libcurl counts its initialisations; this one stays for the process, like the update client's.
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!ready) return result;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return result;
  CURL* h = curl.get();
  const std::string url = EncodeAddressForWire(Utf8ToUtf16(address));
  const std::string agent = HeaderSafe(userAgent.empty() ? std::string("Vantrel") : Utf16ToUtf8(userAgent));
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr, &curl_slist_free_all);
  const auto addHeader = [&headers](const std::string& line) {
    if (curl_slist* list = curl_slist_append(headers.get(), line.c_str())) {
      headers.release();
      headers.reset(list);
    }
  };
  if (!validators.etag.empty()) addHeader("If-None-Match: " + HeaderSafe(validators.etag));
  if (!validators.lastModified.empty()) addHeader("If-Modified-Since: " + HeaderSafe(validators.lastModified));

  CFetch fetch(result, cancel);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl can decode
  ApplyCommonTransferOptions(h);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CFetch::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &fetch);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CFetch::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &fetch);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CFetch::OnProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &fetch);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  const CURLcode code = curl_easy_perform(h);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.httpCode);
  char* final = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &final) == CURLE_OK && final) result.finalAddress = final;

  if (fetch.stream) {
    result.status = PlaylistFetchStatus::kStream;
  } else if (fetch.tooLarge) {
    result.status = PlaylistFetchStatus::kTooLarge;
  } else if (code == CURLE_ABORTED_BY_CALLBACK) {
    result.status = PlaylistFetchStatus::kCancelled;
  } else if (code != CURLE_OK) {
    result.status = result.httpCode != 0 ? PlaylistFetchStatus::kReadFailed : PlaylistFetchStatus::kNotConnected;
  } else if (result.httpCode == 304) {
    result.status = PlaylistFetchStatus::kNotModified;
  } else if (result.httpCode >= 200 && result.httpCode < 300) {
    result.status = PlaylistFetchStatus::kFetched;
  } else {
    result.status = PlaylistFetchStatus::kHttpError;
  }
  if (result.status != PlaylistFetchStatus::kFetched) {
    result.bytes.clear();
    result.bytes.shrink_to_fit();
  }
  return result;
}

std::vector<PlaylistRefreshRequest> RefreshRequests(const CPlaylistStore& store) {
  std::vector<PlaylistRefreshRequest> requests;
  for (const CPlaylistEntry& entry : store.Entries())
    if (entry.remote) requests.push_back({entry.id, entry.source, entry.validators});
  return requests;
}

CPlaylistRefresh::CPlaylistRefresh(std::vector<PlaylistRefreshRequest> requests, std::u16string userAgent,
                                   ResultHandler onResult, std::function<void()> onDone) {
  m_thread = std::thread([this, requests = std::move(requests), userAgent = std::move(userAgent),
                          onResult = std::move(onResult), onDone = std::move(onDone)] {
    for (const PlaylistRefreshRequest& request : requests) {
      if (m_cancel.load()) break;
      PlaylistFetch fetch = FetchPlaylist(request.address, request.validators, userAgent, &m_cancel);
      if (fetch.status == PlaylistFetchStatus::kCancelled) break;
      if (onResult) onResult(request, std::move(fetch));
    }
    if (onDone) onDone();
  });
}

CPlaylistRefresh::~CPlaylistRefresh() {
  Stop();
  if (m_thread.joinable()) m_thread.join();
}

void CPlaylistRefresh::Stop() { m_cancel.store(true); }

PlaylistRefreshOutcome RefreshPlaylist(CPlaylistStore& store, std::uint32_t id, std::u16string_view userAgent) {
  PlaylistRefreshOutcome outcome;
  const CPlaylistEntry* entry = store.Find(id);
  if (!entry || !entry->remote) return outcome;
  PlaylistFetch fetch = FetchPlaylist(entry->source, entry->validators, userAgent);
  outcome.fetch = fetch.status;
  if (fetch.Ok()) outcome.import = store.ApplyFetched(id, std::move(fetch.bytes), fetch.validators);
  return outcome;
}

}  // namespace vantrel
