#include "tools/server/update_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "base/text_codec.h"
#include "tools/server/live_stream.h"
#include "tools/server/server_answers.h"

namespace vantrel::server {
namespace {

constexpr std::size_t kSendChunk = 65'536;
// Live streams go out in small steps, so pacing stays smooth at radio bit rates.
constexpr std::size_t kLiveChunk = 188 * 64;
// Every open stream holds a worker: a player, a recording of the same channel and the next
// channel's first request can all be under way at once.
constexpr std::size_t kWorkerThreads = 32;

std::string MimeType(const std::filesystem::path& file) {
  static const std::map<std::string, std::string> kTypes{
      {".zip", "application/zip"},  {".ts", "video/mp2t"},          {".mp3", "audio/mpeg"},
      {".wmv", "video/x-ms-wmv"},   {".asf", "video/x-ms-asf"},     {".txt", "text/plain"},
      {".m3u8", "application/vnd.apple.mpegurl"}};
  const auto it = kTypes.find(file.extension().string());
  return it == kTypes.end() ? "application/octet-stream" : it->second;
}

// The Host header names the address the client used; anything but a plain host and port
// is ignored, since the text goes into offered addresses.
bool PlainHost(const std::string& host) {
  return !host.empty() && host.find_first_not_of(
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]") == std::string::npos;
}

}  // namespace

struct UpdateServer::Impl {
  UpdateServerOptions options;
  std::unique_ptr<httplib::Server> server;  // an httplib::SSLServer when serving TLS
  httplib::Server& http = *server;
  std::thread thread;
  int port = -1;
  std::mutex logMutex;
  std::atomic<bool> stopping{false};
  LiveMediaCache liveMedia;
  // Live playlists share one timeline, so every listener sees the same moment of a channel.
  const std::chrono::steady_clock::time_point broadcastStart = std::chrono::steady_clock::now();

  explicit Impl(UpdateServerOptions serverOptions)
      : options(std::move(serverOptions)),
        server(Tls() ? std::make_unique<httplib::SSLServer>(options.tlsCertificate.c_str(), options.tlsKey.c_str())
                     : std::make_unique<httplib::Server>()) {}

  bool Tls() const { return !options.tlsCertificate.empty() && !options.tlsKey.empty(); }
  std::string Scheme() const { return Tls() ? "https://" : "http://"; }

  std::string BaseFor(const httplib::Request& req) const {
    const std::string host = req.get_header_value("Host");
    return PlainHost(host) ? Scheme() + host + "/" : OwnBase();
  }

  std::string OwnBase() const {
    const std::string& host = options.bindAddress;
    const bool ipv6 = host.find(':') != std::string::npos;
    return Scheme() + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
  }

  static void SendAnswer(httplib::Response& res, const std::string& utf8) {
    res.set_content(Utf16ToCp1251(Utf8ToUtf16(utf8)), "text/plain; charset=windows-1251");
  }

  void SendFile(const std::filesystem::path& file, std::size_t bytesPerSecond, httplib::Response& res) {
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (!*in || ec) {
      res.status = 404;
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    res.set_content_provider(
        size, MimeType(file),
        [this, in, bytesPerSecond, start](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          std::string chunk(std::min(length, kSendChunk), '\0');
          in->seekg(static_cast<std::streamoff>(offset));
          in->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
          if (in->gcount() <= 0 || stopping) return false;
          if (bytesPerSecond > 0) {
            const auto due = start + std::chrono::duration<double>(double(offset) / double(bytesPerSecond));
            while (!stopping && std::chrono::steady_clock::now() < due) {
              std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
          }
          return sink.write(chunk.data(), static_cast<std::size_t>(in->gcount()));
        });
  }

  // `name` is the path under /live/, the same as under /media/.
  void SendLive(const std::filesystem::path& file, const std::string& name, httplib::Response& res) {
    if (file.extension() == ".m3u8") {
      std::ifstream in(file, std::ios::binary);
      const std::string vod((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const std::string segmentBase = "/media/" + name.substr(0, name.rfind('/') + 1);
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - broadcastStart).count();
      const auto playlist = LivePlaylist(vod, segmentBase, elapsed);
      if (!playlist) {
        res.status = 404;
        return;
      }
      res.set_header("Cache-Control", "no-cache");
      res.set_content(*playlist, MimeType(file));
      return;
    }
    const auto media = liveMedia.Get(file);
    if (!media) {
      res.status = 404;
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    auto sent = std::make_shared<std::uint64_t>(0);
    res.set_chunked_content_provider(MimeType(file), [this, media = *media, sent, start](std::size_t, httplib::DataSink& sink) {
      const std::string& data = *media.bytes;
      while (!stopping) {
        if (!media.loops && *sent >= data.size()) {
          sink.done();
          return true;
        }
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::uint64_t due = LiveBytesDue(elapsed, media.bytesPerSecond, kLiveLeadSeconds);
        if (*sent < due) {
          const std::size_t at = static_cast<std::size_t>(*sent % data.size());
          const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>({kLiveChunk, data.size() - at, due - *sent}));
          if (!sink.write(data.data() + at, length)) return false;
          *sent += length;
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return false;
    });
  }

  void Log(const httplib::Request& req, const httplib::Response& res) {
    std::lock_guard<std::mutex> lock(logMutex);
    std::ostream& out = options.log ? *options.log : std::cout;
    out << req.method << ' ' << req.target << ' ' << req.version << " -> " << res.status << std::endl;
  }

  void Route() {
    http.Get("/php/check_program.php", [this](const httplib::Request& req, httplib::Response& res) {
      SendAnswer(res, ServerAnswers(options.root, BaseFor(req)).Program(req.get_param_value("version")));
    });
    http.Get("/php/check_skins.php", [this](const httplib::Request& req, httplib::Response& res) {
      SendAnswer(res, ServerAnswers(options.root, BaseFor(req)).Skins(req.get_param_value("skins")));
    });
    http.Get("/php/check_channels.php", [this](const httplib::Request& req, httplib::Response& res) {
      SendAnswer(res, ServerAnswers(options.root, BaseFor(req)).Channels(req.get_param_value("channels_version")));
    });
    // /live/<path>: media/<path> as a live channel.
    http.Get(R"(/live/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      const std::string name = req.path.substr(6);
      const auto file = StaticFile(options.root, "/media/" + name);
      if (!file) {
        res.status = 404;
        return;
      }
      SendLive(*file, name, res);
    });
    http.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      const auto file = StaticFile(options.root, req.path);
      if (!file) {
        res.status = 404;
        return;
      }
      SendFile(*file, req.path.starts_with("/media/") ? options.mediaBytesPerSecond : 0, res);
    });
    http.set_logger([this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
  }
};

UpdateServer::UpdateServer(UpdateServerOptions options) : m_impl(std::make_unique<Impl>(std::move(options))) {
  m_impl->http.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  // Without the library's SO_REUSEPORT: a second server on a taken port must fail to start,
  // not share the port and answer every other request.
  m_impl->http.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  m_impl->Route();
}

UpdateServer::~UpdateServer() { Stop(); }

bool UpdateServer::Start() {
  Impl& impl = *m_impl;
  if (impl.thread.joinable()) return true;
  if (!impl.http.is_valid()) return false;  // a certificate or key that did not load
  const std::string& host = impl.options.bindAddress;
  impl.port = impl.options.port == 0 ? impl.http.bind_to_any_port(host)
                                     : (impl.http.bind_to_port(host, impl.options.port) ? impl.options.port : -1);
  if (impl.port <= 0) return false;
  impl.thread = std::thread([&impl] { impl.http.listen_after_bind(); });
  for (int i = 0; i < 5000 && !impl.http.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return impl.http.is_running();
}

void UpdateServer::Stop() {
  m_impl->stopping = true;
  m_impl->http.stop();
  if (m_impl->thread.joinable()) m_impl->thread.join();
}

int UpdateServer::Port() const { return m_impl->port; }

std::string UpdateServer::BaseAddress() const { return m_impl->OwnBase(); }

}  // namespace vantrel::server
