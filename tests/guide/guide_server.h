#pragma once
// A loopback guide server for tests: serves one XMLTV guide under several addresses the way
// guide publishers do, honours conditional GETs, and records what each request asked for.
// Listens on 127.0.0.1 on a free port; stops when the object goes.
#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/guide/guide_test_support.h"

namespace vantrel::testing {

class CGuideServer {
 public:
  struct Seen {
    std::string path, ifNoneMatch, ifModifiedSince, acceptEncoding;
  };

  explicit CGuideServer(std::string xml) : m_xml(std::move(xml)) {
    // Compressed by the publisher: the file itself is gzip.
    m_server.Get("/guide.xml.gz", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      std::lock_guard<std::mutex> lock(m_mutex);
      res.set_header("Last-Modified", "Wed, 09 Dec 2026 00:00:00 GMT");
      res.set_header("ETag", m_etag);
      if (req.get_header_value("If-None-Match") == m_etag) {
        res.status = 304;
        return;
      }
      res.set_content(Gzip(m_xml), "application/gzip");
    });
    // Plain XML: cpp-httplib compresses it on the way when gzip is accepted.
    m_server.Get("/guide.xml", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      std::lock_guard<std::mutex> lock(m_mutex);
      res.set_content(m_xml, "application/xml");
    });
    m_server.Get("/moved", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      res.set_redirect("/guide.xml.gz");
    });
    // Breaks off after half of the body.
    m_server.Get("/cut", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      const std::string body = Gzip(m_xml);
      res.set_content_provider(body.size(), "application/gzip",
                               [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 if (offset > 0) return false;
                                 sink.write(body.data(), body.size() / 2);
                                 return true;
                               });
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~CGuideServer() {
    m_server.stop();
    m_thread.join();
  }
  CGuideServer(const CGuideServer&) = delete;
  CGuideServer& operator=(const CGuideServer&) = delete;

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
  // A new edition of the guide, with a new ETag.
  void Publish(std::string xml, std::string etag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_xml = std::move(xml);
    m_etag = std::move(etag);
  }
  std::vector<Seen> Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seen;
  }

 private:
  void Record(const httplib::Request& req) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_seen.push_back({req.path, req.get_header_value("If-None-Match"), req.get_header_value("If-Modified-Since"),
                      req.get_header_value("Accept-Encoding")});
  }

  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
  mutable std::mutex m_mutex;
  std::string m_xml;
  std::string m_etag = "\"v1\"";
  std::vector<Seen> m_seen;
};

}  // namespace vantrel::testing
