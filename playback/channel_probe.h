#pragma once
// Whether a channel's address answers with something a player can play, told in at most a
// few seconds and without playing it. Web addresses (http, https) are asked for their first
// bytes, which are judged by the answer's content type and by the signatures of the stream
// and playlist formats; addresses of the other streaming schemes (rtsp, rtmp, mms and the
// like) only get a TCP connection, as their protocols need a player to go further; udp, rtp
// and anything unknown are not checked (nothing answers a connectionless address).
//
// Probes run through CChannelProbeRun (channel_probe_run.h); this part judges the answers.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

enum class ProbeOutcome : std::uint8_t {
  kReachable,
  kRefused,      // the server refused the connection (or no route to it)
  kTimedOut,     // no answer within the time allowed
  kNotMedia,     // it answered, with something that is no stream (a web page, an empty body)
  kHttpStatus,   // it answered with an HTTP error status (ProbeResult::httpStatus)
  kNotResolved,  // the server's name does not resolve
  kSecureFailed, // the TLS handshake or the certificate check failed
  kNoAnswer,     // the connection broke without a usable answer
  kNotChecked,   // a scheme that cannot be probed; the channel is left unmarked
};

struct ProbeResult {
  ProbeOutcome outcome = ProbeOutcome::kNotChecked;
  int httpStatus = 0;  // the last answer's status, 0 when none came
  bool Unreachable() const {
    return outcome != ProbeOutcome::kReachable && outcome != ProbeOutcome::kNotChecked;
  }
};

// What one probe asks: the address as it goes on the wire (UTF-8), and the channel's own user
// agent and referrer, sent when not empty.
struct ProbeTarget {
  std::string address;
  std::string userAgent;
  std::string referrer;
};

// How a target is probed, by its scheme.
enum class ProbeKind : std::uint8_t { kHttp, kConnect, kNone };
ProbeKind ProbeKindOf(std::string_view address);

// Whether an answer is a stream: the first bytes carry a known signature, or the content type
// names audio, video or a stream playlist and the bytes are not a web page. `icy`: the answer
// came from a shoutcast-style server (an "ICY 200" status line or icy- headers).
bool LooksLikeMedia(std::string_view contentType, std::string_view firstBytes, bool icy);

// The bytes taken from an answer before it is judged; fewer when the answer ends first.
inline constexpr std::size_t kProbeBytes = 1024;

}  // namespace vantrel
