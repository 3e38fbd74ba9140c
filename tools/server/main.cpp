// vantrel-update-server --root DIR [--port N] [--bind ADDRESS] [--media-rate BYTES_PER_SECOND]
//                       [--tls-cert FILE --tls-key FILE]
// Serves until interrupted (SIGINT or SIGTERM); over TLS when given a certificate and its key.

#include <signal.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string_view>

#include "tools/server/update_server.h"

namespace {

int Usage() {
  std::cerr << "usage: vantrel-update-server --root DIR [--port N] [--bind ADDRESS] "
               "[--media-rate BYTES_PER_SECOND] [--tls-cert FILE --tls-key FILE]\n";
  return 2;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
  vantrel::server::UpdateServerOptions options;
  options.port = 8731;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string_view value = argv[++i];
    if (arg == "--root") options.root = std::string(value);
    else if (arg == "--bind") options.bindAddress = std::string(value);
    else if (arg == "--tls-cert") options.tlsCertificate = std::string(value);
    else if (arg == "--tls-key") options.tlsKey = std::string(value);
    else if (arg == "--port" && ParseNumber(value, options.port) && options.port >= 0 && options.port < 65536) continue;
    else if (arg == "--media-rate" && ParseNumber(value, options.mediaBytesPerSecond)) continue;
    else return Usage();
  }
  if (options.root.empty() || options.tlsCertificate.empty() != options.tlsKey.empty()) return Usage();

  // Block the stop signals before the server's threads start, so only sigwait sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  vantrel::server::UpdateServer server(options);
  if (!server.Start()) {
    std::cerr << "cannot listen on " << options.bindAddress << ":" << options.port
              << (options.tlsCertificate.empty() ? "" : " (or the certificate and key cannot be loaded)") << "\n";
    return 1;
  }
  std::cout << "serving " << options.root.string() << " at " << server.BaseAddress() << std::endl;
  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.Stop();
  return 0;
}
