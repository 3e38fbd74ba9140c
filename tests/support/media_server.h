#pragma once
// A loopback HTTP server for tests: serves a folder as plain files under /files/, and any file
// of it as an endless "live" stream under /live/<name>, paced at real time and looped. Tests
// can stall the live streams (connections stay open, nothing is sent) or drop them, take the
// whole server away (connections refused) and bring it back on the same port, and delay the
// first byte of every answer as a distant server does.
// Listens on 127.0.0.1 on a free port; stops when the object goes.

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {

// The folder the build generated the test streams into.
inline std::string MediaDir() { return VANTREL_TEST_MEDIA_DIR; }

class MediaServer {
 public:
  explicit MediaServer(const std::string& folder = MediaDir()) : m_folder(folder) {
    m_port = Listen(0);
  }

  ~MediaServer() {
    m_stopping = true;
    StopListening();
  }

  MediaServer(const MediaServer&) = delete;
  MediaServer& operator=(const MediaServer&) = delete;

  int Port() const { return m_port; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
  // A file of the folder, served whole (ranges honoured).
  std::string FileUrl(const std::string& name) const { return Base() + "/files/" + name; }
  // The file as an endless live stream lasting `seconds` per loop, so it is paced at
  // size / seconds bytes per second after a first second sent at once.
  std::string LiveUrl(const std::string& name, double seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_liveSeconds[name] = seconds;
    return Base() + "/live/" + name;
  }

  // Stalled live streams keep their connections but send nothing.
  void Stall(bool stalled) { m_stalled = stalled; }
  // Closes every live connection open now; later requests are served again.
  void DropLiveConnections() { ++m_generation; }
  // Ends every live response open now properly, as a source that went away does; later
  // requests are served again.
  void EndLiveStreams() { ++m_endGeneration; }
  // How many live requests were received so far (a reconnect shows as one more).
  int LiveRequests() const { return m_liveRequests; }

  // What one request carried: its path and the headers a client chooses for itself.
  struct SeenRequest {
    std::string path;
    std::string userAgent;
    std::string referrer;
    bool hasReferrer = false;
  };
  // Every request received so far (files and live streams), in arrival order.
  std::vector<SeenRequest> Requests() const {
    std::lock_guard<std::mutex> lock(m_seenMutex);
    return m_seen;
  }
  void ClearRequests() {
    std::lock_guard<std::mutex> lock(m_seenMutex);
    m_seen.clear();
  }

  // Takes the server away as a crashed or restarted source: open connections are closed and
  // new ones refused until ListenAgain. Returns once the port is closed.
  void StopListening() {
    ++m_generation;
    if (!m_server) return;
    m_server->stop();
    if (m_thread.joinable()) m_thread.join();
    m_server.reset();
  }
  // Listens again on the same port; returns once connections are accepted.
  void ListenAgain() {
    if (!m_server) Listen(m_port);
  }
  // Every answer (files and live streams) waits this long before its first byte.
  void SetAnswerDelay(std::chrono::milliseconds delay) { m_answerDelayMs = static_cast<int>(delay.count()); }
  // Live answers start where an endless broadcast begun with the server would be now (at a
  // TS packet boundary), not at the file's start: a channel is joined mid-way, between key
  // frames, as a real one is.
  void SetJoinLiveMidway(bool midway) { m_joinMidway = midway; }
  // Seconds since that broadcast began (the server's start).
  double BroadcastSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_epoch).count();
  }

 private:
  // Binds `port` (0: any free one) and serves on it from a thread of its own.
  int Listen(int port) {
    m_server = std::make_unique<httplib::Server>();
    httplib::Server& server = *m_server;
    server.set_mount_point("/files", m_folder);
    server.set_file_extension_and_mimetype_mapping("ts", "video/mp2t");
    server.set_file_extension_and_mimetype_mapping("m3u8", "application/vnd.apple.mpegurl");
    server.set_file_extension_and_mimetype_mapping("wmv", "video/x-ms-wmv");
    server.set_file_extension_and_mimetype_mapping("mp3", "audio/mpeg");
    server.Get(R"(/live/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
      ServeLive(req.matches[1], res);
    });
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
      {
        std::lock_guard<std::mutex> lock(m_seenMutex);
        m_seen.push_back({req.path, req.get_header_value("User-Agent"), req.get_header_value("Referer"),
                          req.has_header("Referer")});
      }
      if (m_answerDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_answerDelayMs.load()));
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_keep_alive_max_count(1);
    if (port == 0) {
      port = server.bind_to_any_port("127.0.0.1");
    } else {
      // The port's old connections may linger for a moment after a stop.
      for (int i = 0; i < 500 && !server.bind_to_port("127.0.0.1", port); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    m_thread = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port;
  }

  void ServeLive(const std::string& name, httplib::Response& res) {
    double seconds = 0;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto it = m_liveSeconds.find(name);
      if (it != m_liveSeconds.end()) seconds = it->second;
    }
    std::ifstream in(m_folder + "/" + name, std::ios::binary);
    if (name.find("..") != std::string::npos || !in || seconds <= 0) {
      res.status = 404;
      return;
    }
    auto data = std::make_shared<std::string>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (data->empty()) {
      res.status = 404;
      return;
    }
    ++m_liveRequests;
    const double bytesPerSecond = data->size() / seconds;
    const int generation = m_generation;
    const int endGeneration = m_endGeneration;
    const auto start = std::chrono::steady_clock::now();
    auto sent = std::make_shared<uint64_t>(0);
    if (m_joinMidway) {
      const double broadcast = std::chrono::duration<double>(start - m_epoch).count();
      *sent = static_cast<uint64_t>(broadcast * bytesPerSecond) % data->size() / 188 * 188;
    }
    const uint64_t first = *sent;
    res.set_chunked_content_provider(
        name.ends_with(".mp3") ? "audio/mpeg" : "video/mp2t",
        [this, data, sent, first, start, bytesPerSecond, generation, endGeneration](size_t,
                                                                                     httplib::DataSink& sink) {
          constexpr size_t kChunk = 188 * 64;
          while (!m_stopping && generation == m_generation) {
            if (endGeneration != m_endGeneration) {
              sink.done();
              return true;
            }
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const auto allowed = static_cast<uint64_t>((elapsed + 1.0) * bytesPerSecond);
            if (!m_stalled && *sent - first < allowed) {
              const size_t pos = *sent % data->size();
              const size_t n = std::min(kChunk, data->size() - pos);
              if (!sink.write(data->data() + pos, n)) return false;
              *sent += n;
              return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
          return false;
        });
  }

  std::string m_folder;
  std::unique_ptr<httplib::Server> m_server;
  int m_port = 0;
  std::thread m_thread;
  std::mutex m_mutex;
  std::map<std::string, double> m_liveSeconds;
  std::atomic<bool> m_stopping{false};
  std::atomic<bool> m_stalled{false};
  std::atomic<int> m_generation{0};
  std::atomic<int> m_endGeneration{0};
  std::atomic<int> m_liveRequests{0};
  std::atomic<int> m_answerDelayMs{0};
  std::atomic<bool> m_joinMidway{false};
  mutable std::mutex m_seenMutex;
  std::vector<SeenRequest> m_seen;
  const std::chrono::steady_clock::time_point m_epoch = std::chrono::steady_clock::now();
};

}  // namespace vantrel::test
