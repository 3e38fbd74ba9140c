#include "updates/zip/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "updates/zip/zip_format.h"

namespace vantrel {

using namespace zipfmt;

bool DeflateRaw(std::string_view data, int level, std::string& out) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out.resize(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return rc == Z_STREAM_END;
}

bool ZipWriter::Add(const ZipWriterEntry& entry) {
  if (entry.data.size() > UINT_MAX || entry.name.size() > 0xFFFF || m_count == 0xFFFF) return false;
  std::string packed;
  const bool deflate = entry.deflate && !entry.folder;
  if (deflate && !DeflateRaw(entry.data, m_level, packed)) return false;
  const std::string& stored = deflate ? packed : entry.data;
  if (m_body.size() > UINT_MAX) return false;

  uint16_t dosDate = 0, dosTime = 0;
  UnixToDos(entry.modified, dosDate, dosTime);
  const uint32_t crc = static_cast<uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(entry.data.data()), entry.data.size()));
  const uint16_t method = deflate ? kMethodDeflated : kMethodStored;
  const bool unix = entry.unixMode != 0;
  const uint16_t madeBy = static_cast<uint16_t>((unix ? kHostUnix << 8 : 0) | 20);
  uint32_t external = entry.folder ? 0x10 : (unix ? 0 : 0x20);
  if (unix) external |= entry.unixMode << 16;
  const uint16_t flags = entry.utf8Name ? kFlagUtf8Name : 0;
  std::string extra = entry.extra;
  if (extra.empty()) {
    Put16(extra, kTagUnixTimes);
    Put16(extra, 5);
    extra.push_back(1);
    Put32(extra, static_cast<uint32_t>(std::clamp<int64_t>(entry.modified, 0, UINT_MAX)));
  }
  if (extra.size() > 0xFFFF) return false;

  const size_t localOffset = m_body.size();
  m_layout.local.push_back(localOffset);
  Put32(m_body, kLocalSignature);
  Put16(m_body, 20);
  Put16(m_body, flags);
  Put16(m_body, method);
  Put16(m_body, dosTime);
  Put16(m_body, dosDate);
  Put32(m_body, crc);
  Put32(m_body, static_cast<uint32_t>(stored.size()));
  Put32(m_body, static_cast<uint32_t>(entry.data.size()));
  Put16(m_body, static_cast<uint16_t>(entry.name.size()));
  Put16(m_body, static_cast<uint16_t>(extra.size()));
  m_body += entry.name;
  m_body += extra;
  m_body += stored;

  m_layout.central.push_back(m_central.size());  // made absolute in Finish
  Put32(m_central, kCentralSignature);
  Put16(m_central, madeBy);
  Put16(m_central, 20);
  Put16(m_central, flags);
  Put16(m_central, method);
  Put16(m_central, dosTime);
  Put16(m_central, dosDate);
  Put32(m_central, crc);
  Put32(m_central, static_cast<uint32_t>(stored.size()));
  Put32(m_central, static_cast<uint32_t>(entry.data.size()));
  Put16(m_central, static_cast<uint16_t>(entry.name.size()));
  Put16(m_central, static_cast<uint16_t>(extra.size()));
  Put16(m_central, 0);  // comment
  Put16(m_central, 0);  // disk
  Put16(m_central, 0);  // internal attributes
  Put32(m_central, external);
  Put32(m_central, static_cast<uint32_t>(localOffset));
  m_central += entry.name;
  m_central += extra;
  ++m_count;
  return true;
}

std::string ZipWriter::Finish(std::string_view comment) {
  comment = comment.substr(0, 0xFFFF);
  std::string out = m_body;
  const size_t centralOffset = out.size();
  for (auto& offset : m_layout.central) offset += centralOffset;
  out += m_central;
  m_layout.endRecord = out.size();
  Put32(out, kEndSignature);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, m_count);
  Put16(out, m_count);
  Put32(out, static_cast<uint32_t>(m_central.size()));
  Put32(out, static_cast<uint32_t>(centralOffset));
  Put16(out, static_cast<uint16_t>(comment.size()));
  out += comment;
  return out;
}

}  // namespace vantrel
