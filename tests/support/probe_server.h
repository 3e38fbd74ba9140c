#pragma once
// A loopback TCP server for the channel check's tests: answers each request path with the
// raw bytes a test scripts (status line, headers and body as they go on the wire, then the
// connection closes), and holds any other request open without a word until the client goes.
// It counts the connections open at once, and keeps each request's path, user agent and
// referrer. Listens on 127.0.0.1 on a free port; stops when the object goes.

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {

class ProbeServer {
 public:
  struct Seen {
    std::string path, userAgent, referrer;
  };

  ProbeServer() {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listen, 64);
    socklen_t length = sizeof address;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_stop = eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Accept(); });
  }

  ~ProbeServer() {
    const uint64_t one = 1;
    (void)!write(m_stop, &one, sizeof one);
    m_thread.join();
    for (std::thread& connection : m_connections) connection.join();
    close(m_listen);
    close(m_stop);
  }

  ProbeServer(const ProbeServer&) = delete;
  ProbeServer& operator=(const ProbeServer&) = delete;

  int Port() const { return m_port; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

  // The raw answer to requests for `path`.
  void Answer(const std::string& path, std::string raw) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[path] = std::move(raw);
  }
  // An answer with this status line, content type and body (no length: the body ends with the
  // connection).
  static std::string Http(const std::string& status, const std::string& type, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + type + "\r\n\r\n" + body;
  }

  int OpenNow() const { return m_open; }
  int MostOpen() const { return m_mostOpen; }
  int Accepted() const { return m_accepted; }
  std::vector<Seen> Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seen;
  }

  // A port nothing listens on: connections to it are refused.
  static int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
  }

 private:
  // Waits for `fd` to be readable; false when the server stops first.
  bool WaitReadable(int fd) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_stop, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
  }

  void Accept() {
    while (WaitReadable(m_listen)) {
      const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++m_accepted;
      int open = 0;
      {
        // A client closes one connection before it opens the next, but the thread serving the
        // old one may not have seen the close yet: connections already hung up are not counted.
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& [other, counted] : m_live) {
          char byte;
          const ssize_t got = recv(other, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
          if (counted && (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK))) {
            counted = false;
            --m_open;
          }
        }
        m_live[fd] = true;
        open = ++m_open;
      }
      int most = m_mostOpen;
      while (open > most && !m_mostOpen.compare_exchange_weak(most, open)) {
      }
      m_connections.emplace_back([this, fd] {
        Serve(fd);
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          if (m_live[fd]) --m_open;
          m_live.erase(fd);
        }
        close(fd);
      });
    }
  }

  static std::string Header(const std::string& request, const std::string& name) {
    const std::size_t at = request.find("\r\n" + name + ": ");
    if (at == std::string::npos) return {};
    const std::size_t start = at + name.size() + 4;
    return request.substr(start, request.find("\r\n", start) - start);
  }

  void Serve(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      if (!WaitReadable(fd)) return;
      const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string answer;
    bool answered = false;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_seen.push_back({path, Header(request, "User-Agent"), Header(request, "Referer")});
      const auto it = m_answers.find(path);
      if (it != m_answers.end()) {
        answer = it->second;
        answered = true;
      }
    }
    if (answered) {
      for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t put = send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) return;
        sent += static_cast<std::size_t>(put);
      }
      return;
    }
    // Silent: held until the client hangs up or the server stops.
    while (WaitReadable(fd) && recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
  }

  int m_listen = -1;
  int m_stop = -1;
  int m_port = 0;
  std::thread m_thread;
  std::vector<std::thread> m_connections;  // touched by the accepting thread only, then joined
  std::atomic<int> m_open{0};
  std::atomic<int> m_mostOpen{0};
  std::atomic<int> m_accepted{0};
  mutable std::mutex m_mutex;
  std::map<std::string, std::string> m_answers;
  std::map<int, bool> m_live;  // open connections, and whether each is still counted in m_open
  std::vector<Seen> m_seen;
};

}  // namespace vantrel::test
