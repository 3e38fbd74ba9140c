#include "updates/zip/zip_entry_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "updates/zip/zip_format.h"

namespace vantrel {

using namespace zipfmt;

bool ReadExactly(int fd, uint64_t fileSize, uint64_t offset, void* buffer, size_t size) {
  if (offset > fileSize || size > fileSize - offset) return false;
  auto* out = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    const ssize_t got = ::pread(fd, out, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += static_cast<uint64_t>(got);
    size -= static_cast<size_t>(got);
  }
  return true;
}

ZipResult CheckLocalHeader(int fd, uint64_t fileSize, uint64_t correction,
                           const ZipArchive::CentralEntry& entry, uint64_t& dataOffset,
                           std::string* localExtra) {
  const uint64_t local = uint64_t{entry.localOffset} + correction;
  unsigned char h[kLocalHeaderSize];
  if (!ReadExactly(fd, fileSize, local, h, sizeof h)) return kZipCorrupt;
  if (Get32(h) != kLocalSignature) return kZipCorrupt;
  const uint16_t flags = Get16(h + 6);
  const uint16_t method = Get16(h + 8);
  if (method != entry.method || (method != kMethodStored && method != kMethodDeflated)) return kZipCorrupt;
  if (!(flags & kFlagDataDescriptor) &&
      (Get32(h + 14) != entry.crc || Get32(h + 18) != entry.compressedSize ||
       Get32(h + 22) != entry.uncompressedSize))
    return kZipCorrupt;
  const uint16_t nameLength = Get16(h + 26);
  const uint16_t extraLength = Get16(h + 28);
  if (nameLength != entry.nameLength) return kZipCorrupt;
  const uint64_t extraOffset = local + kLocalHeaderSize + nameLength;
  if (localExtra) {
    localExtra->resize(extraLength);
    if (!ReadExactly(fd, fileSize, extraOffset, localExtra->data(), extraLength)) return kZipBadExtra;
  } else if (extraOffset + extraLength > fileSize) {
    return kZipBadExtra;
  }
  dataOffset = extraOffset + extraLength;
  return kZipOk;
}

std::unique_ptr<ZipEntryStream> ZipEntryStream::Open(int fd, uint64_t fileSize, uint64_t correction,
                                                     const ZipArchive::CentralEntry& entry) {
  uint64_t dataOffset = 0;
  if (CheckLocalHeader(fd, fileSize, correction, entry, dataOffset, nullptr) != kZipOk) return nullptr;
  if (entry.compressedSize > fileSize - dataOffset) return nullptr;
  // A stored entry whose two sizes differ would either stop short or overrun its declared size.
  if (entry.method == kMethodStored && entry.compressedSize != entry.uncompressedSize) return nullptr;
  std::unique_ptr<ZipEntryStream> stream(new ZipEntryStream(fd, entry, dataOffset));
  if (entry.method == kMethodDeflated) {
    if (inflateInit2(&stream->m_z, -MAX_WBITS) != Z_OK) return nullptr;
    stream->m_inflating = true;
    stream->m_input = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
  }
  return stream;
}

ZipEntryStream::ZipEntryStream(int fd, const ZipArchive::CentralEntry& entry, uint64_t dataOffset)
    : m_fd(fd), m_entry(entry), m_inputOffset(dataOffset), m_inputLeft(entry.compressedSize) {}

ZipEntryStream::~ZipEntryStream() {
  if (m_inflating) inflateEnd(&m_z);
}

long ZipEntryStream::Read(unsigned char* out, size_t size) {
  if (m_failed) return -1;
  size = std::min<size_t>(size, LONG_MAX);
  const long got = m_entry.method == kMethodStored ? ReadStored(out, size) : ReadDeflated(out, size);
  if (got < 0) {
    m_failed = true;
    return -1;
  }
  m_crc = static_cast<uint32_t>(crc32_z(m_crc, out, static_cast<size_t>(got)));
  return got;
}

long ZipEntryStream::ReadStored(unsigned char* out, size_t size) {
  const size_t n = static_cast<size_t>(std::min<uint64_t>(size, m_inputLeft));
  if (n == 0) {
    m_ended = true;
    return 0;
  }
  if (!ReadExactly(m_fd, UINT64_MAX, m_inputOffset, out, n)) return -1;
  m_inputOffset += n;
  m_inputLeft -= n;
  m_produced += n;
  return static_cast<long>(n);
}

bool ZipEntryStream::Refill() {
  const size_t n = static_cast<size_t>(std::min<uint64_t>(kBufferSize, m_inputLeft));
  if (!ReadExactly(m_fd, UINT64_MAX, m_inputOffset, m_input.get(), n)) return false;
  m_inputOffset += n;
  m_inputLeft -= n;
  m_z.next_in = m_input.get();
  m_z.avail_in = static_cast<uInt>(n);
  return true;
}

long ZipEntryStream::ReadDeflated(unsigned char* out, size_t size) {
  size_t done = 0;
  while (done < size && !m_ended) {
    if (m_z.avail_in == 0 && m_inputLeft > 0 && !Refill()) return -1;
    // Output is offered only up to the declared size; once that is reached a one-byte probe
    // tells a proper end of stream from an entry that would grow past it (a bomb).
    const uint64_t room = m_entry.uncompressedSize - m_produced;
    unsigned char probe;
    const bool probing = room == 0;
    const size_t window = probing ? 1 : static_cast<size_t>(std::min<uint64_t>({size - done, room, UINT_MAX}));
    m_z.next_out = probing ? &probe : out + done;
    m_z.avail_out = static_cast<uInt>(window);
    const int rc = inflate(&m_z, Z_NO_FLUSH);
    const size_t got = window - m_z.avail_out;
    if (probing && got > 0) return -1;
    done += probing ? 0 : got;
    m_produced += probing ? 0 : got;
    if (rc == Z_STREAM_END) {
      m_ended = true;
    } else if (rc == Z_BUF_ERROR) {
      if (got == 0 && m_z.avail_in == 0 && m_inputLeft == 0) return -1;  // data ends mid-stream
    } else if (rc != Z_OK) {
      return -1;
    }
  }
  return static_cast<long>(done);
}

}  // namespace vantrel
