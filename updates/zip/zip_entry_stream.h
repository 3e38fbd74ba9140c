#pragma once
// The data side of one entry: local header check, stored copy or raw inflate, CRC-32 and the
// declared-size bound. Internal to updates/zip.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "updates/zip/zip_archive.h"

namespace vantrel {

struct ZipArchive::CentralEntry {
  uint16_t versionMadeBy = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
  uint16_t commentLength = 0;
  uint32_t externalAttributes = 0;
  uint32_t localOffset = 0;
  std::string name;  // the whole stored name, bytes as stored
};

// Reads exactly `size` bytes at `offset`; false when the file holds fewer.
bool ReadExactly(int fd, uint64_t fileSize, uint64_t offset, void* buffer, size_t size);

// Checks the local header against the central one. On success gives the offset of the entry's
// data and the local extra field. Returns kZipCorrupt or kZipBadExtra on failure.
ZipResult CheckLocalHeader(int fd, uint64_t fileSize, uint64_t correction,
                           const ZipArchive::CentralEntry& entry, uint64_t& dataOffset,
                           std::string* localExtra);

class ZipEntryStream {
 public:
  static constexpr size_t kBufferSize = 16384;

  // Null when the local header does not check out or the data lies outside the file.
  static std::unique_ptr<ZipEntryStream> Open(int fd, uint64_t fileSize, uint64_t correction,
                                              const ZipArchive::CentralEntry& entry);
  ~ZipEntryStream();
  ZipEntryStream(const ZipEntryStream&) = delete;
  ZipEntryStream& operator=(const ZipEntryStream&) = delete;

  // Produces up to `size` bytes: the count, 0 at the end of the data, -1 on failure (broken
  // data, a read error, or more output than the declared size).
  long Read(unsigned char* out, size_t size);
  // True once the end was reached with the declared size and CRC-32.
  bool Verified() const { return m_ended && m_produced == m_entry.uncompressedSize && m_crc == m_entry.crc; }

 private:
  ZipEntryStream(int fd, const ZipArchive::CentralEntry& entry, uint64_t dataOffset);
  long ReadStored(unsigned char* out, size_t size);
  long ReadDeflated(unsigned char* out, size_t size);
  bool Refill();

  int m_fd;
  ZipArchive::CentralEntry m_entry;
  uint64_t m_inputOffset;      // next compressed byte in the file
  uint64_t m_inputLeft;        // compressed bytes not yet read
  uint64_t m_produced = 0;
  uint32_t m_crc = 0;
  bool m_ended = false;
  bool m_failed = false;
  bool m_inflating = false;
  z_stream m_z{};
  std::unique_ptr<unsigned char[]> m_input;
};

}  // namespace vantrel
