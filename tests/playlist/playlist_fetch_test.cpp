// Playlists from addresses, against a real loopback server: conditional GET, gzip, redirects,
// media and oversized answers, and the background refresh.
#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "tests/updates/scripted_server.h"
#include "tests/updates/zip_test_support.h"
#include "updates/playlist_fetch.h"

namespace vantrel {
namespace {

using testing::TempFolder;

std::string Gzip(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// One playlist with validators that answers conditional requests the way servers do; a live
// media stream; an endless slow answer; an oversized one.
class PlaylistServer {
 public:
  PlaylistServer() {
    m_server.Get("/list.m3u", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_seen.push_back(req.get_header_value("If-None-Match") + "|" + req.get_header_value("If-Modified-Since"));
      res.set_header("ETag", m_etag);
      res.set_header("Last-Modified", m_modified);
      if (req.get_header_value("If-None-Match") == m_etag) {
        res.status = 304;
        return;
      }
      if (req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos) {
        res.set_header("Content-Encoding", "gzip");
        res.set_content(Gzip(m_body), "audio/x-mpegurl");
        ++m_gzipped;
      } else {
        res.set_content(m_body, "audio/x-mpegurl");
      }
    });
    m_server.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/list.m3u"); });
    m_server.Get(R"(/live(\d))", [this](const httplib::Request& req, httplib::Response& res) {
      // A labelled MPEG-TS stream, and the same without its media type.
      res.set_chunked_content_provider(req.matches[1] == "1" ? "video/mp2t" : "application/octet-stream",
                                       [this](size_t, httplib::DataSink& sink) {
        std::string packet(188 * 64, '\0');
        for (size_t i = 0; i < packet.size(); i += 188) packet[i] = '\x47';
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !m_stopping && sink.write(packet.data(), packet.size());
      });
    });
    m_server.Get("/huge.m3u", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(kPlaylistMaxBytes + 1, "text/plain", [](size_t offset, size_t length, httplib::DataSink& sink) {
        const std::string chunk(std::min<size_t>(length, 1 << 20), offset == 0 ? '#' : 'a');
        return sink.write(chunk.data(), chunk.size());
      });
    });
    m_server.Get("/slow.m3u", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !m_stopping && sink.write("#", 1);
      });
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~PlaylistServer() {
    m_stopping = true;
    m_server.stop();
    m_thread.join();
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
  void Publish(std::string body, std::string etag, std::string modified) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_body = std::move(body);
    m_etag = std::move(etag);
    m_modified = std::move(modified);
  }
  std::vector<std::string> Seen() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seen;
  }
  int Gzipped() const { return m_gzipped; }

 private:
  httplib::Server m_server;
  int m_port = 0;
  std::thread m_thread;
  std::mutex m_mutex;
  std::string m_body, m_etag, m_modified;
  std::vector<std::string> m_seen;
  std::atomic<int> m_gzipped{0};
  std::atomic<bool> m_stopping{false};
};

const char kV1[] = "#EXTM3U\n#EXTINF:-1 group-title=\"A\",One\nhttp://s/1\n";
const char kV2[] = "#EXTM3U\n#EXTINF:-1,One\nhttp://s/1\n#EXTINF:-1,Two\nhttp://s/2\n";

class PlaylistFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearProxyEnvironment(); }
  PlaylistServer server;
};

// Import from an address, then refreshes: a 304 keeps the copy and sends both validators, a
// new version replaces it and its validators; bodies come gzipped and arrive decoded.
TEST_F(PlaylistFetchTest, ConditionalRefreshKeepsOrReplacesTheCopy) {
  server.Publish(kV1, "\"v1\"", "Mon, 01 Jan 2024 10:00:00 GMT");
  const PlaylistFetch first = FetchPlaylist(server.Url("/list.m3u"));
  ASSERT_EQ(first.status, PlaylistFetchStatus::kFetched);
  EXPECT_EQ(first.bytes, kV1);
  EXPECT_EQ(first.validators.etag, "\"v1\"");
  EXPECT_EQ(first.validators.lastModified, "Mon, 01 Jan 2024 10:00:00 GMT");
  EXPECT_EQ(server.Gzipped(), 1);

  TempFolder dir;
  CPlaylistStore store(dir / "p");
  const PlaylistImport import = store.ImportFetched(server.Url("/list.m3u"), first.bytes, first.validators);
  ASSERT_TRUE(import.Ok());

  const PlaylistRefreshOutcome same = RefreshPlaylist(store, import.id);
  EXPECT_EQ(same.fetch, PlaylistFetchStatus::kNotModified);
  EXPECT_EQ(server.Seen().back(), "\"v1\"|Mon, 01 Jan 2024 10:00:00 GMT");
  EXPECT_EQ(store.Read(import.id).playlist.Size(), 1u);

  server.Publish(kV2, "\"v2\"", "Tue, 02 Jan 2024 10:00:00 GMT");
  const PlaylistRefreshOutcome changed = RefreshPlaylist(store, import.id);
  EXPECT_EQ(changed.fetch, PlaylistFetchStatus::kFetched);
  EXPECT_EQ(changed.import.status, PlaylistImportStatus::kReplaced);
  EXPECT_EQ(store.Find(import.id)->validators.etag, "\"v2\"");
  CPlaylistStore reloaded(dir / "p");
  ASSERT_TRUE(reloaded.Load());
  EXPECT_EQ(reloaded.Read(import.id).playlist.Size(), 2u);
  EXPECT_EQ(reloaded.Find(import.id)->validators.lastModified, "Tue, 02 Jan 2024 10:00:00 GMT");
}

// Redirects are followed; media answers stop at once as a stream to play; error pages, closed
// ports and bodies past the limit fail with their own status and no bytes.
TEST_F(PlaylistFetchTest, AnswersThatAreNotAPlaylist) {
  server.Publish(kV1, "\"v1\"", "");
  const PlaylistFetch moved = FetchPlaylist(server.Url("/moved"));
  EXPECT_EQ(moved.status, PlaylistFetchStatus::kFetched);
  EXPECT_EQ(moved.finalAddress, server.Url("/list.m3u"));

  for (const char* path : {"/live1", "/live2"}) {
    const PlaylistFetch live = FetchPlaylist(server.Url(path));
    EXPECT_EQ(live.status, PlaylistFetchStatus::kStream) << path;
    EXPECT_TRUE(live.bytes.empty());
  }

  const PlaylistFetch missing = FetchPlaylist(server.Url("/nothing.m3u"));
  EXPECT_EQ(missing.status, PlaylistFetchStatus::kHttpError);
  EXPECT_EQ(missing.httpCode, 404);

  EXPECT_EQ(FetchPlaylist("http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/x.m3u").status,
            PlaylistFetchStatus::kNotConnected);
  EXPECT_EQ(FetchPlaylist("file:///etc/passwd").status, PlaylistFetchStatus::kNotConnected);

  const PlaylistFetch huge = FetchPlaylist(server.Url("/huge.m3u"));
  EXPECT_EQ(huge.status, PlaylistFetchStatus::kTooLarge);
  EXPECT_TRUE(huge.bytes.empty());
}

// The background refresh covers every remote entry in order and reports on its own thread;
// stopping it abandons a transfer in flight and joins.
TEST_F(PlaylistFetchTest, BackgroundRefreshReportsAndStops) {
  server.Publish(kV1, "\"v1\"", "");
  TempFolder dir;
  CPlaylistStore store(dir / "p");
  ASSERT_TRUE(store.ImportFetched(server.Url("/list.m3u"), kV1, {"\"v1\"", ""}).Ok());
  testing::WriteBytes(dir / "local.m3u", kV1);
  ASSERT_TRUE(store.ImportFile(dir / "local.m3u").Ok());
  ASSERT_TRUE(store.ImportFetched(server.Url("/moved"), kV1, {}).Ok());
  const std::vector<PlaylistRefreshRequest> requests = RefreshRequests(store);
  ASSERT_EQ(requests.size(), 2u);  // the file is not refreshed

  std::mutex mutex;
  std::vector<PlaylistFetchStatus> results;
  std::atomic<bool> done{false};
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> onCallerThread{false};
  {
    CPlaylistRefresh refresh(
        requests, u"Vantrel-test",
        [&](const PlaylistRefreshRequest&, PlaylistFetch fetch) {
          if (std::this_thread::get_id() == caller) onCallerThread = true;
          std::lock_guard<std::mutex> lock(mutex);
          results.push_back(fetch.status);
        },
        [&] { done = true; });
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(onCallerThread);
  EXPECT_EQ(results, (std::vector<PlaylistFetchStatus>{PlaylistFetchStatus::kNotModified, PlaylistFetchStatus::kFetched}));

  std::atomic<int> reported{0};
  {
    CPlaylistRefresh slow({{1, server.Url("/slow.m3u"), {}}, {2, server.Url("/list.m3u"), {}}}, u"",
                          [&](const PlaylistRefreshRequest&, PlaylistFetch) { ++reported; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }  // the destructor stops the endless answer and joins
  EXPECT_EQ(reported, 0);
}

}  // namespace
}  // namespace vantrel
