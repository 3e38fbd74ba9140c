#pragma once
// Blocking HTTP GETs to the update server on libcurl. Both calls run on the caller's thread
// and return when the transfer is over (connect time-out 15 s; a transfer slower than
// 1 byte/s for 30 s is abandoned). Redirects are followed, the proxy comes from the
// environment, the body arrives byte for byte as sent, and the status code is not looked
// at: an error page is an answer like any other.
//
// https:// addresses are always checked: the server's certificate must chain to the system's
// trust store and name the host of the address. There is no way to turn that off. A
// certificate that fails either check ends the transfer before any answer, so it counts as
// not connected, like a server that cannot be reached.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <curl/curl.h>

#include "updates/update_protocol.h"

namespace vantrel {

// Bodies are taken in reads of this size; a download's progress is reported after each.
inline constexpr std::size_t kTransferChunkBytes = 65'536;
// A download starts with room for this much and grows up to kTransferMaxBytes; a longer
// body (also a longer check answer) ends the transfer as a failed read.
inline constexpr std::size_t kDownloadInitialBytes = 3'276'800;
inline constexpr std::size_t kTransferMaxBytes = std::size_t{64} << 20;

// GETs `address` and converts the body from Windows-1251.
PageFetch FetchServerPage(std::u16string_view address, std::u16string_view userAgent);

struct DownloadedBody {
  TransferStatus status = TransferStatus::kOk;
  std::string bytes;
  long httpStatus = 0;  // the last answer's status code; 0 when none came
  bool Ok() const { return status == TransferStatus::kOk; }
};

// Called after each read with the number of bytes received so far.
using DownloadProgress = std::function<void(std::uint64_t totalBytes)>;

// GETs `address` into memory. An empty body that arrives whole is a success.
DownloadedBody DownloadToMemory(std::u16string_view address, std::u16string_view userAgent,
                                const DownloadProgress& progress = {});

// Test seam, for tests only: a PEM file of certificate authorities trusted in addition to the
// system's store (the authority of a loopback test server). Empty, the default, trusts the
// system's store alone. Set it before transfers start; it is read by each transfer.
void SetExtraCaFileForTests(std::string pemFile);

// The options every transfer of the program shares: web addresses only (redirects too),
// certificates checked against the trust store, the connect and stall time-outs, no signals.
// Callers add the address, their headers and their callbacks.
void ApplyCommonTransferOptions(CURL* h);

// The address as it goes on the wire: UTF-8, with blanks, control characters, non-ASCII
// bytes and the few characters no URL may hold written as %XX. Everything else, "%"
// included, is left as it is, so an address the server already escaped stays valid.
std::string EncodeAddressForWire(std::u16string_view address);

}  // namespace vantrel
