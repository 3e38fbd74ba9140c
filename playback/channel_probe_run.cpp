#include "playback/channel_probe_run.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "playback/connect_probe.h"

namespace vantrel {

struct CChannelProbeRun::Multi {
  Multi() {
    // Once for the process; libcurl counts the calls and this one is never undone.
    static const CURLcode ready = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)ready;
    handle = curl_multi_init();
  }
  ~Multi() { curl_multi_cleanup(handle); }
  CURLM* handle = nullptr;
};

namespace {

// The TCP port of the schemes that are only connected to.
int PortOfScheme(const std::string& scheme) {
  if (const int known = DefaultPortOfScheme(scheme)) return known;
  if (scheme == "rtsps") return 322;
  if (scheme == "rtmps") return 443;
  if (scheme == "rtmpt") return 80;
  if (scheme == "mmst") return 1755;
  return 0;
}

// "http://host:port/" for a connection-only probe of a streaming address; empty when the
// address names no host.
std::string ConnectAddress(const std::string& address) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return {};
  auto part = [&](CURLUPart which) {
    char* text = nullptr;
    std::string value;
    if (curl_url_get(url.get(), which, &text, 0) == CURLUE_OK && text) value = text;
    curl_free(text);
    return value;
  };
  const std::string host = part(CURLUPART_HOST);
  std::string scheme = part(CURLUPART_SCHEME);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
  std::string port = part(CURLUPART_PORT);
  if (port.empty()) port = std::to_string(PortOfScheme(scheme));
  if (host.empty() || port == "0") return {};
  return "http://" + host + ":" + port + "/";
}

// One open probe: its handle and what its answer brought so far.
struct Probe {
  Probe(std::size_t at, ProbeKind probeKind) : index(at), kind(probeKind), easy(curl_easy_init()) {}
  ~Probe() {
    if (easy) curl_easy_cleanup(easy);
    curl_slist_free_all(aliases);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    const std::string_view line(data, size * count);
    auto* probe = static_cast<Probe*>(self);
    // Each answer of a redirect chain starts over.
    if (line.starts_with("HTTP/")) probe->icy = false;
    if (line.starts_with("ICY ") || (line.size() > 4 && (line[0] | 0x20) == 'i' && (line[1] | 0x20) == 'c' &&
                                     (line[2] | 0x20) == 'y' && line[3] == '-'))
      probe->icy = true;
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* probe = static_cast<Probe*>(self);
    const std::size_t given = size * count;
    probe->bytes.append(data, std::min(given, kProbeBytes - probe->bytes.size()));
    if (probe->bytes.size() < kProbeBytes) return given;
    // Enough to judge: returning less than given ends the transfer.
    probe->enough = true;
    return 0;
  }

  std::size_t index;
  ProbeKind kind;
  CURL* easy;
  curl_slist* aliases = nullptr;
  std::string url;
  std::string bytes;
  bool icy = false;
  bool enough = false;
};

bool SetUp(Probe& probe, const ProbeTarget& target, const ProbeOptions& options) {
  CURL* h = probe.easy;
  if (!h) return false;
  if (probe.kind == ProbeKind::kConnect) {
    probe.url = ConnectAddress(target.address);
    if (probe.url.empty()) return false;
    // A TCP connection to the server itself, nothing sent.
    curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
  } else {
    probe.url = target.address;
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    // Shoutcast servers answer "ICY 200 OK" instead of an HTTP status line.
    probe.aliases = curl_slist_append(nullptr, "ICY 200 OK");
    curl_easy_setopt(h, CURLOPT_HTTP200ALIASES, probe.aliases);
    if (!target.userAgent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, target.userAgent.c_str());
    if (!target.referrer.empty()) curl_easy_setopt(h, CURLOPT_REFERER, target.referrer.c_str());
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Probe::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &probe);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Probe::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &probe);
  }
  curl_easy_setopt(h, CURLOPT_URL, probe.url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.timeout.count()));
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeout.count()));
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  // A cancelled probe still looking up its server's name is dropped, not waited for.
  curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
  curl_easy_setopt(h, CURLOPT_PRIVATE, &probe);
  return true;
}

ProbeOutcome OutcomeOfFailure(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ProbeOutcome::kNotResolved;
    case CURLE_COULDNT_CONNECT: return ProbeOutcome::kRefused;
    case CURLE_OPERATION_TIMEDOUT: return ProbeOutcome::kTimedOut;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return ProbeOutcome::kSecureFailed;
    default: return ProbeOutcome::kNoAnswer;
  }
}

ProbeResult Judge(const Probe& probe, CURLcode code) {
  ProbeResult result;
  long status = 0;
  curl_easy_getinfo(probe.easy, CURLINFO_RESPONSE_CODE, &status);
  result.httpStatus = static_cast<int>(status);
  if (probe.kind == ProbeKind::kConnect) {
    result.outcome = code == CURLE_OK ? ProbeOutcome::kReachable : OutcomeOfFailure(code);
    return result;
  }
  if (code == CURLE_HTTP_RETURNED_ERROR) {
    result.outcome = ProbeOutcome::kHttpStatus;
    return result;
  }
  // An answer that ended, that gave enough, or that gave something before it stalled is
  // judged by what it gave; a slow stream is still a stream.
  if (code == CURLE_OK || probe.enough || !probe.bytes.empty()) {
    const char* type = nullptr;
    curl_easy_getinfo(probe.easy, CURLINFO_CONTENT_TYPE, &type);
    result.outcome =
        LooksLikeMedia(type ? type : "", probe.bytes, probe.icy) ? ProbeOutcome::kReachable : ProbeOutcome::kNotMedia;
    return result;
  }
  result.outcome = OutcomeOfFailure(code);
  return result;
}

}  // namespace

CChannelProbeRun::CChannelProbeRun(std::vector<ProbeTarget> targets, ProbeOptions options, ProbeSink sink,
                                   ProbeFinished finished)
    : m_targets(std::move(targets)),
      m_options(options),
      m_sink(std::move(sink)),
      m_finished(std::move(finished)),
      m_multi(std::make_unique<Multi>()) {
  m_options.parallel = std::max(1, m_options.parallel);
  m_thread = std::thread([this] { Run(); });
}

CChannelProbeRun::~CChannelProbeRun() {
  Cancel();
  m_thread.join();
}

void CChannelProbeRun::Cancel() {
  m_cancelled = true;
  if (m_multi->handle) curl_multi_wakeup(m_multi->handle);
}

void CChannelProbeRun::Run() {
  CURLM* multi = m_multi->handle;
  std::vector<std::unique_ptr<Probe>> open;
  std::size_t next = 0;
  while (multi && !m_cancelled) {
    while (open.size() < static_cast<std::size_t>(m_options.parallel) && next < m_targets.size() && !m_cancelled) {
      const std::size_t index = next++;
      const ProbeKind kind = ProbeKindOf(m_targets[index].address);
      if (kind == ProbeKind::kNone) {
        m_sink(index, ProbeResult{});
        continue;
      }
      auto probe = std::make_unique<Probe>(index, kind);
      if (!SetUp(*probe, m_targets[index], m_options) || curl_multi_add_handle(multi, probe->easy) != CURLM_OK) {
        m_sink(index, ProbeResult{ProbeOutcome::kNotResolved, 0});
        continue;
      }
      open.push_back(std::move(probe));
    }
    if (open.empty() || m_cancelled) break;
    int running = 0;
    curl_multi_perform(multi, &running);
    bool ended = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      const auto it = std::find_if(open.begin(), open.end(), [&](const auto& p) { return p->easy == message->easy_handle; });
      if (it == open.end()) continue;
      const ProbeResult result = Judge(**it, message->data.result);
      const std::size_t index = (*it)->index;
      curl_multi_remove_handle(multi, (*it)->easy);
      open.erase(it);
      ended = true;
      if (!m_cancelled) m_sink(index, result);
    }
    // Woken by a probe's socket, its time-out or Cancel.
    if (!ended) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  for (const auto& probe : open) curl_multi_remove_handle(multi, probe->easy);
  open.clear();
  if (m_finished) m_finished(m_cancelled);
}

}  // namespace vantrel
