#pragma once
// Fetching a programme guide source: a conditional GET (the ETag and Last-Modified of the
// last import go along, so an unchanged guide costs one short answer) that streams the body
// to a temporary file for the XMLTV reader, never into memory. Blocking, on the caller's
// thread: run it on a worker, never on the UI thread. No Qt.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/guide/guide_store.h"

namespace vantrel {

// A guide body longer than this (as sent, maybe compressed) is refused.
inline constexpr std::uint64_t kGuideMaxDownloadBytes = std::uint64_t{512} << 20;

enum class GuideFetchStatus {
  kFetched,       // the body is in `file`
  kNotModified,   // 304: the guide already imported is current
  kNotConnected,  // no answer from the server
  kHttpError,     // an answer other than 2xx or 304 (see httpCode)
  kBroken,        // the answer broke off, or came in an encoding we did not ask for
  kTooLarge,      // the body passed kGuideMaxDownloadBytes
  kCannotWrite,   // the temporary file could not be written
  kCancelled,     // the caller gave up waiting (the program is closing)
};

// Removes its file when it goes.
class CTempFile {
 public:
  CTempFile() = default;
  explicit CTempFile(std::filesystem::path file) : m_file(std::move(file)) {}
  ~CTempFile() { Remove(); }
  CTempFile(CTempFile&& other) noexcept : m_file(std::move(other.m_file)) { other.m_file.clear(); }
  CTempFile& operator=(CTempFile&& other) noexcept;
  CTempFile(const CTempFile&) = delete;
  CTempFile& operator=(const CTempFile&) = delete;
  const std::filesystem::path& Path() const { return m_file; }
  void Remove();

 private:
  std::filesystem::path m_file;
};

struct GuideFetchResult {
  GuideFetchStatus status = GuideFetchStatus::kNotConnected;
  long httpCode = 0;
  GuideValidators validators;  // of the answer (kFetched)
  CTempFile file;              // the body as sent (gzip stays gzip: the reader unpacks it)
};

// GETs `address` (UTF-8) with If-None-Match / If-Modified-Since from `known` and gzip
// accepted, into a new file in `tempFolder`. `cancelled`, when given, is asked a few times a
// second during the transfer; true abandons it (kCancelled).
GuideFetchResult FetchGuide(std::string_view address, const GuideValidators& known,
                            const std::filesystem::path& tempFolder, std::u16string_view userAgent,
                            const std::function<bool()>& cancelled = {});

struct GuideRefreshResult {
  GuideFetchStatus fetch = GuideFetchStatus::kNotConnected;
  long httpCode = 0;
  bool imported = false;  // a new guide replaced the old one
  GuideImportReport report;
};

// Brings one source up to date: an http(s) address is fetched conditionally and imported
// when it changed (its validators stored with it); anything else is a local file, read
// again. The body's temporary file goes into the store's folder and is removed afterwards.
// `cancelled` abandons the transfer as well as the import.
GuideRefreshResult RefreshGuideSource(CGuideStore& store, const std::filesystem::path& storeFolder,
                                      std::string_view address, std::int64_t now, std::u16string_view userAgent,
                                      std::function<bool()> cancelled = {});

// One phrase for a fetch status, for reports.
const char* Describe(GuideFetchStatus status);

}  // namespace vantrel
