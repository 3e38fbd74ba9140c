#pragma once
// A loopback HTTP server for tests: serves a folder as plain files under /files/, and any file
// of it as an endless "live" stream under /live/<name>, paced at real time and looped. Tests
// can stall the live streams (connections stay open, nothing is sent) or drop them, and take
// the whole server away for a while.
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

namespace vantrel::test {

// The folder the build generated the test streams into.
inline std::string MediaDir() { return VANTREL_TEST_MEDIA_DIR; }

class MediaServer {
 public:
  explicit MediaServer(const std::string& folder = MediaDir()) : m_folder(folder) {
    m_server.set_mount_point("/files", m_folder);
    m_server.set_file_extension_and_mimetype_mapping("ts", "video/mp2t");
    m_server.set_file_extension_and_mimetype_mapping("m3u8", "application/vnd.apple.mpegurl");
    m_server.set_file_extension_and_mimetype_mapping("wmv", "video/x-ms-wmv");
    m_server.set_file_extension_and_mimetype_mapping("mp3", "audio/mpeg");
    m_server.Get(R"(/live/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
      ServeLive(req.matches[1], res);
    });
    m_server.set_keep_alive_max_count(1);
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  ~MediaServer() {
    m_stopping = true;
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
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
  // An outage: the listener closes and every live connection drops, so connections are refused
  // until Restart() listens again on the same port. Both are called from the test's own thread,
  // one after the other.
  void Shutdown() {
    m_offline = true;
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }
  // Returns false when the port could not be had again.
  bool Restart() {
    if (m_thread.joinable() || !m_server.bind_to_port("127.0.0.1", m_port)) return false;
    m_offline = false;
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  }
  // How many live requests were received so far (a reconnect shows as one more).
  int LiveRequests() const { return m_liveRequests; }

 private:
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
    res.set_chunked_content_provider(
        name.ends_with(".mp3") ? "audio/mpeg" : "video/mp2t",
        [this, data, sent, start, bytesPerSecond, generation, endGeneration](size_t, httplib::DataSink& sink) {
          constexpr size_t kChunk = 188 * 64;
          while (!m_stopping && !m_offline && generation == m_generation) {
            if (endGeneration != m_endGeneration) {
              sink.done();
              return true;
            }
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const auto allowed = static_cast<uint64_t>((elapsed + 1.0) * bytesPerSecond);
            if (!m_stalled && *sent < allowed) {
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
  httplib::Server m_server;
  int m_port = 0;
  std::thread m_thread;
  std::mutex m_mutex;
  std::map<std::string, double> m_liveSeconds;
  std::atomic<bool> m_stopping{false};
  std::atomic<bool> m_stalled{false};
  std::atomic<bool> m_offline{false};
  std::atomic<int> m_generation{0};
  std::atomic<int> m_endGeneration{0};
  std::atomic<int> m_liveRequests{0};
};

}  // namespace vantrel::test
