#pragma once
// Tells when a stream's server, gone away, accepts connections again, so that the player can
// reopen the stream the moment its source is back instead of sleeping through a long pause
// between attempts. A thread of its own tries a plain TCP connection (no request is sent)
// every 150 ms, every second once the outage has lasted a minute; the name is looked up once.

#include <atomic>
#include <memory>
#include <string>

namespace vantrel {

class CConnectProbe {
 public:
  // Starts probing `host` (a name or an address) on `port` at once.
  CConnectProbe(std::string host, int port);
  // Never waits: the thread notices on its next step (a slow name lookup may keep it a while)
  // and ends; it touches nothing but its own shared state.
  ~CConnectProbe();

  CConnectProbe(const CConnectProbe&) = delete;
  CConnectProbe& operator=(const CConnectProbe&) = delete;

  // How often the server was found accepting after it had not; any thread.
  int Returns() const;
  // How many times the server was tried so far.
  int Tries() const;

  struct State;

 private:
  std::shared_ptr<State> m_state;
};

// The usual TCP port of a stream address's scheme (lower case); 0 for schemes without one.
int DefaultPortOfScheme(const std::string& scheme);

}  // namespace vantrel
