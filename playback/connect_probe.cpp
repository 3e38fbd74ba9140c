#include "playback/connect_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vantrel {

struct CConnectProbe::State {
  std::string host;
  int port = 0;
  std::atomic<int> returns{0};
  std::atomic<int> tries{0};
  std::mutex mutex;
  std::condition_variable wake;
  bool cancelled = false;
};

namespace {

// Between two tries: short enough that a returning server is noticed well within a second,
// and after the first minute of an outage, gentler on a server that is long gone.
constexpr auto kInterval = std::chrono::milliseconds(150);
constexpr auto kLongInterval = std::chrono::milliseconds(1000);
constexpr auto kLongOutage = std::chrono::seconds(60);
// A try that gets no answer (packets dropped on the way) counts as "not accepting".
constexpr int kConnectTimeoutMs = 1000;

using Addresses = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// The server's addresses; null when the name cannot be resolved now.
Addresses Resolve(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) found = nullptr;
  return Addresses(found, &freeaddrinfo);
}

bool Accepts(const addrinfo& address) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return false;
  bool accepted = connect(fd, address.ai_addr, address.ai_addrlen) == 0;
  if (!accepted && errno == EINPROGRESS) {
    pollfd pending{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    accepted = poll(&pending, 1, kConnectTimeoutMs) == 1 &&
               getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
  close(fd);
  return accepted;
}

bool AnyAccepts(const addrinfo* addresses) {
  for (const addrinfo* a = addresses; a; a = a->ai_next) {
    if (Accepts(*a)) return true;
  }
  return false;
}

void Probe(const std::shared_ptr<CConnectProbe::State>& state) {
  const auto start = std::chrono::steady_clock::now();
  // Resolved once (a name lookup per try would flood the resolver); again only while the
  // name does not resolve.
  Addresses addresses = Resolve(state->host, state->port);
  // The first answer only sets the baseline: a server that accepts from the start is not
  // "back" (its stream failed for another reason).
  bool accepting = AnyAccepts(addresses.get());
  ++state->tries;
  for (;;) {
    const auto interval = std::chrono::steady_clock::now() - start < kLongOutage ? kInterval : kLongInterval;
    {
      std::unique_lock<std::mutex> lock(state->mutex);
      if (state->wake.wait_for(lock, interval, [&] { return state->cancelled; })) return;
    }
    if (!addresses) addresses = Resolve(state->host, state->port);
    const bool now = AnyAccepts(addresses.get());
    if (now && !accepting) ++state->returns;
    accepting = now;
    ++state->tries;
  }
}

}  // namespace

CConnectProbe::CConnectProbe(std::string host, int port) : m_state(std::make_shared<State>()) {
  m_state->host = std::move(host);
  m_state->port = port;
  std::thread([state = m_state] { Probe(state); }).detach();
}

CConnectProbe::~CConnectProbe() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->cancelled = true;
  m_state->wake.notify_one();
}

int CConnectProbe::Returns() const { return m_state->returns; }

int CConnectProbe::Tries() const { return m_state->tries; }

int DefaultPortOfScheme(const std::string& scheme) {
  struct Known {
    const char* scheme;
    int port;
  };
  static constexpr Known kKnown[] = {{"http", 80},   {"https", 443}, {"mmsh", 80},
                                     {"rtsp", 554},  {"rtmp", 1935}, {"mms", 1755}};
  for (const Known& known : kKnown) {
    if (scheme == known.scheme) return known.port;
  }
  return 0;
}

}  // namespace vantrel
