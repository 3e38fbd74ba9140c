#pragma once
// Fetching playlists from their addresses over libcurl (http and https, gzip and deflate
// accepted), with the conditional GET of the background refresh. Same transfer rules as the
// update client: connect time-out 15 s, abandoned below 1 byte/s for 30 s, redirects followed,
// proxy from the environment, certificates checked.
//
// FetchPlaylist blocks its caller; CPlaylistRefresh runs a batch of them on a thread of its
// own so that start-up never waits for the network.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "catalogue/playlist/playlist_store.h"

namespace vantrel {

enum class PlaylistFetchStatus {
  kFetched,       // 2xx with a body (bytes, validators and finalAddress set)
  kNotModified,   // 304: the copy is current
  kStream,        // the address answers with media, not a playlist: play it instead
  kHttpError,     // any other status (httpCode says which)
  kNotConnected,  // no answer at all (name, connection, TLS)
  kReadFailed,    // the answer broke off
  kTooLarge,      // the body passed kPlaylistMaxBytes
  kCancelled,     // CPlaylistRefresh was stopped
};

struct PlaylistFetch {
  PlaylistFetchStatus status = PlaylistFetchStatus::kNotConnected;
  long httpCode = 0;
  std::string bytes;               // the body, decoded from gzip/deflate
  PlaylistValidators validators;   // of this answer
  std::string finalAddress;        // after redirects
  bool Ok() const { return status == PlaylistFetchStatus::kFetched; }
};

// GETs `address`. With validators, sends If-None-Match / If-Modified-Since. `cancel`, when
// given, is polled during the transfer and abandons it once true.
PlaylistFetch FetchPlaylist(std::string_view address, const PlaylistValidators& validators = {},
                            std::u16string_view userAgent = {}, const std::atomic<bool>* cancel = nullptr);

// One remote playlist to refresh: a copy of what the store knows, so the worker never touches
// the store.
struct PlaylistRefreshRequest {
  std::uint32_t id = 0;
  std::string address;
  PlaylistValidators validators;
};
// The requests for every remote entry of the store.
std::vector<PlaylistRefreshRequest> RefreshRequests(const CPlaylistStore& store);

// The background refresh. Each answer is handed to `onResult` on the worker thread, in request
// order; the owner posts it to its own thread and gives kFetched bodies to
// CPlaylistStore::ApplyFetched (kNotModified needs nothing). `onDone` runs last, on the worker.
// The destructor stops a running refresh (the transfer in flight is abandoned) and joins it.
class CPlaylistRefresh {
 public:
  using ResultHandler = std::function<void(const PlaylistRefreshRequest&, PlaylistFetch)>;
  CPlaylistRefresh(std::vector<PlaylistRefreshRequest> requests, std::u16string userAgent, ResultHandler onResult,
                   std::function<void()> onDone = {});
  ~CPlaylistRefresh();
  CPlaylistRefresh(const CPlaylistRefresh&) = delete;
  CPlaylistRefresh& operator=(const CPlaylistRefresh&) = delete;

  void Stop();

 private:
  std::atomic<bool> m_cancel{false};
  std::thread m_thread;
};

// Synchronous refresh of one remote entry: fetch with its validators, then ApplyFetched when a
// body came (`import` then says whether it was kept). For tools and tests; the program uses
// CPlaylistRefresh.
struct PlaylistRefreshOutcome {
  PlaylistFetchStatus fetch = PlaylistFetchStatus::kNotConnected;
  PlaylistImport import;
};
PlaylistRefreshOutcome RefreshPlaylist(CPlaylistStore& store, std::uint32_t id, std::u16string_view userAgent = {});

}  // namespace vantrel
