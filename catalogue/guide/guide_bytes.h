#pragma once
// The bytes of a guide, plain or gzip-compressed (told apart by the gzip magic bytes), read
// in chunks so that a guide is never held whole in memory.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

enum class GuideBytesStatus {
  kMore,       // a chunk was delivered
  kEnd,        // everything was read
  kReadError,  // the file could not be read on
  kBadGzip,    // the compressed data is broken or cut short
  kTooLarge,   // the text would pass the size limit
};

class CGuideBytes {
 public:
  static constexpr std::size_t kChunkBytes = 256 * 1024;

  // A file; nothing when it cannot be opened.
  static std::unique_ptr<CGuideBytes> OpenFile(const std::filesystem::path& file, std::uint64_t maxText);
  // Bytes the caller keeps alive while reading.
  static std::unique_ptr<CGuideBytes> FromMemory(std::string_view bytes, std::uint64_t maxText);

  ~CGuideBytes();
  CGuideBytes(const CGuideBytes&) = delete;
  CGuideBytes& operator=(const CGuideBytes&) = delete;

  // The next chunk of text into `chunk` (replaced). The call that first returns something
  // other than kMore may still deliver a last chunk (what was read before the failure or the
  // limit); later calls deliver nothing and return the same.
  GuideBytesStatus Next(std::string& chunk);
  // Text bytes delivered so far (after decompression).
  std::uint64_t TextBytes() const { return m_textBytes; }

 private:
  CGuideBytes(std::FILE* file, std::string_view memory, std::uint64_t maxText);
  // Raw (possibly compressed) input; false at its end or on a read error (m_readError).
  bool Refill();
  GuideBytesStatus Inflate(std::string& chunk);
  GuideBytesStatus Finish(GuideBytesStatus status);

  std::FILE* m_file;
  std::string_view m_memory;
  std::string m_raw;
  std::size_t m_rawPos = 0;
  bool m_rawEnd = false;
  bool m_readError = false;
  bool m_started = false;
  bool m_gzip = false;
  bool m_inflating = false;
  z_stream m_zs{};
  std::uint64_t m_maxText;
  std::uint64_t m_textBytes = 0;
  GuideBytesStatus m_final = GuideBytesStatus::kMore;
};

}  // namespace vantrel
