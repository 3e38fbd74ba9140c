#pragma once
// The update and demo server: answers the three check pages from its folder and serves the
// offered downloads and media files. Runs on threads of its own; Stop (or the destructor)
// ends it.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace vantrel::server {

struct UpdateServerOptions {
  std::filesystem::path root;
  std::string bindAddress = "127.0.0.1";
  int port = 0;                  // 0: any free port
  std::ostream* log = nullptr;   // one line per request; null: standard output
  // Media files go out at this many bytes per second (0: as fast as the client takes them),
  // the start of a paced "live" source.
  std::size_t mediaBytesPerSecond = 0;
  // PEM files of a certificate and its private key: when both are given the server speaks
  // TLS only (https://), otherwise plain HTTP.
  std::filesystem::path tlsCertificate{};
  std::filesystem::path tlsKey{};
};

class UpdateServer {
 public:
  explicit UpdateServer(UpdateServerOptions options);
  ~UpdateServer();
  UpdateServer(const UpdateServer&) = delete;
  UpdateServer& operator=(const UpdateServer&) = delete;

  // Binds and starts serving; false when the address cannot be bound or the certificate and
  // key cannot be loaded.
  bool Start();
  void Stop();

  int Port() const;
  // "http://<bind address>:<port>/" ("https://..." with TLS), the base address clients are given.
  std::string BaseAddress() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace vantrel::server
