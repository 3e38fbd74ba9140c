#include "catalogue/guide/guide_bytes.h"

#include <algorithm>

namespace vantrel {

std::unique_ptr<CGuideBytes> CGuideBytes::OpenFile(const std::filesystem::path& file, std::uint64_t maxText) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return nullptr;
  return std::unique_ptr<CGuideBytes>(new CGuideBytes(f, {}, maxText));
}

std::unique_ptr<CGuideBytes> CGuideBytes::FromMemory(std::string_view bytes, std::uint64_t maxText) {
  return std::unique_ptr<CGuideBytes>(new CGuideBytes(nullptr, bytes, maxText));
}

CGuideBytes::CGuideBytes(std::FILE* file, std::string_view memory, std::uint64_t maxText)
    : m_file(file), m_memory(memory), m_maxText(maxText) {}

CGuideBytes::~CGuideBytes() {
  if (m_inflating) inflateEnd(&m_zs);
  if (m_file) std::fclose(m_file);
}

bool CGuideBytes::Refill() {
  if (m_rawPos < m_raw.size()) return true;
  if (m_rawEnd) return false;
  m_rawPos = 0;
  if (!m_file) {
    const std::size_t take = std::min(m_memory.size(), kChunkBytes);
    m_raw.assign(m_memory.substr(0, take));
    m_memory.remove_prefix(take);
  } else {
    m_raw.resize(kChunkBytes);
    const std::size_t got = std::fread(m_raw.data(), 1, m_raw.size(), m_file);
    m_raw.resize(got);
    if (got == 0 && std::ferror(m_file)) m_readError = true;
  }
  if (m_raw.empty()) m_rawEnd = true;
  return !m_raw.empty();
}

GuideBytesStatus CGuideBytes::Finish(GuideBytesStatus status) {
  m_final = status;
  return status;
}

GuideBytesStatus CGuideBytes::Next(std::string& chunk) {
  chunk.clear();
  if (m_final != GuideBytesStatus::kMore) return m_final;
  if (!m_started) {
    m_started = true;
    // Two bytes decide; a file shorter than that is plain text.
    while (m_raw.size() - m_rawPos < 2 && !m_rawEnd) {
      std::string head = m_raw.substr(m_rawPos);
      m_rawPos = m_raw.size();
      if (!Refill()) {
        m_raw = head;
        m_rawPos = 0;
        break;
      }
      m_raw.insert(0, head);
    }
    m_gzip = m_raw.size() - m_rawPos >= 2 && static_cast<unsigned char>(m_raw[m_rawPos]) == 0x1f &&
             static_cast<unsigned char>(m_raw[m_rawPos + 1]) == 0x8b;
    if (m_gzip) {
      if (inflateInit2(&m_zs, 16 + MAX_WBITS) != Z_OK) return Finish(GuideBytesStatus::kBadGzip);
      m_inflating = true;
    }
  }
  GuideBytesStatus status = GuideBytesStatus::kMore;
  if (m_gzip) {
    status = Inflate(chunk);
  } else if (Refill()) {
    chunk.assign(m_raw, m_rawPos, std::string::npos);
    m_rawPos = m_raw.size();
  } else {
    status = m_readError ? GuideBytesStatus::kReadError : GuideBytesStatus::kEnd;
  }
  const std::uint64_t room = m_maxText - std::min(m_maxText, m_textBytes);
  if (chunk.size() > room) {
    // What fits is still delivered: the reader keeps what came before the limit.
    chunk.resize(static_cast<std::size_t>(room));
    m_textBytes += chunk.size();
    return Finish(GuideBytesStatus::kTooLarge);
  }
  m_textBytes += chunk.size();
  return status == GuideBytesStatus::kMore ? status : Finish(status);
}

GuideBytesStatus CGuideBytes::Inflate(std::string& chunk) {
  chunk.resize(kChunkBytes);
  std::size_t filled = 0;
  while (filled < chunk.size()) {
    if (!Refill()) {
      chunk.resize(filled);
      if (m_readError) return GuideBytesStatus::kReadError;
      // Input over: fine only between members.
      if (m_zs.total_in != 0 && filled == 0) return GuideBytesStatus::kBadGzip;
      return filled ? GuideBytesStatus::kMore : GuideBytesStatus::kEnd;
    }
    m_zs.next_in = reinterpret_cast<Bytef*>(m_raw.data() + m_rawPos);
    m_zs.avail_in = static_cast<uInt>(m_raw.size() - m_rawPos);
    m_zs.next_out = reinterpret_cast<Bytef*>(chunk.data() + filled);
    m_zs.avail_out = static_cast<uInt>(chunk.size() - filled);
    const int rc = inflate(&m_zs, Z_NO_FLUSH);
    m_rawPos = m_raw.size() - m_zs.avail_in;
    filled = chunk.size() - m_zs.avail_out;
    if (rc == Z_STREAM_END) {
      // Another member may follow (concatenated gzip files are one stream of text).
      inflateReset(&m_zs);
      m_zs.total_in = 0;
      chunk.resize(filled);
      return GuideBytesStatus::kMore;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      chunk.resize(filled);
      return GuideBytesStatus::kBadGzip;
    }
  }
  return GuideBytesStatus::kMore;
}

}  // namespace vantrel
