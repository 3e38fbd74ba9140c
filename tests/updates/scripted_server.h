#pragma once
// A loopback HTTP server for the update client's tests: answers each path with a scripted
// reply, records every request line and user agent as received, and can break a reply off
// in the middle of its body. Listens on 127.0.0.1 on a free port; stops when the object goes.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {

class ScriptedServer {
 public:
  struct Reply {
    Reply() = default;
    Reply(int code, std::string text, std::size_t cut = std::numeric_limits<std::size_t>::max())
        : status(code), body(std::move(text)), dropAfter(cut) {}

    int status = 200;
    std::string body;
    // Sends only this many bytes of the body, then closes the connection.
    std::size_t dropAfter = std::numeric_limits<std::size_t>::max();
    std::string location;  // a redirect's target
    // A body of this many bytes (the byte at offset i is i % 251), made while it is sent.
    std::size_t generatedBytes = 0;
  };
  struct Seen {
    std::string target;  // path and query exactly as received
    std::string userAgent;
  };

  ScriptedServer() {
    m_server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res); });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~ScriptedServer() {
    m_server.stop();
    m_thread.join();
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
  std::u16string Base16() const {
    const std::string base = Base();
    return std::u16string(base.begin(), base.end());
  }

  // `path` without the query, e.g. "/php/check_program.php".
  void Answer(const std::string& path, Reply reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replies[path] = std::move(reply);
  }
  void Answer(const std::string& path, const std::string& body) { Answer(path, Reply{200, body}); }

  std::vector<Seen> Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seen;
  }

 private:
  void Serve(const httplib::Request& req, httplib::Response& res) {
    Reply reply{404, "<html><body>404 Not Found</body></html>"};
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_seen.push_back({req.target, req.get_header_value("User-Agent")});
      if (auto it = m_replies.find(req.path); it != m_replies.end()) reply = it->second;
    }
    res.status = reply.status;
    if (!reply.location.empty()) res.set_header("Location", reply.location);
    if (reply.generatedBytes > 0) {
      res.set_content_provider(reply.generatedBytes, "application/octet-stream",
                               [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 std::string chunk(std::min<std::size_t>(length, 65'536), '\0');
                                 for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = char((offset + i) % 251);
                                 return sink.write(chunk.data(), chunk.size());
                               });
      return;
    }
    if (reply.dropAfter >= reply.body.size()) {
      res.set_content(reply.body, "text/plain");
      return;
    }
    auto body = std::make_shared<std::string>(reply.body);
    const std::size_t keep = reply.dropAfter;
    res.set_content_provider(body->size(), "text/plain",
                             [body, keep](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                               if (offset >= keep) return false;
                               return sink.write(body->data() + offset, std::min(length, keep - offset));
                             });
  }

  httplib::Server m_server;
  int m_port = 0;
  std::thread m_thread;
  mutable std::mutex m_mutex;
  std::map<std::string, Reply> m_replies;
  std::vector<Seen> m_seen;
};

// A port on 127.0.0.1 where nothing listens.
inline int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);  // bound, never listened: connections are refused
  return ntohs(address.sin_port);
}

// Proxies from the environment would route loopback requests elsewhere.
inline void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    ::unsetenv(name);
  }
}

}  // namespace vantrel::test
