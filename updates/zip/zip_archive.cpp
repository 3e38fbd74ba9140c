#include "updates/zip/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "base/text_codec.h"
#include "updates/zip/zip_entry_stream.h"
#include "updates/zip/zip_format.h"

namespace vantrel {

using namespace zipfmt;

namespace {

std::atomic<uint32_t> g_lastResult{kZipOk};

ZipResult Remember(ZipResult result) {
  g_lastResult.store(result, std::memory_order_relaxed);
  return result;
}

constexpr uint64_t kMaxBack = 0xFFFF;  // the longest stretch searched for the end record
constexpr uint64_t kStep = 1024;
constexpr size_t kNameLimit = 258;     // stored-name bytes kept in an entry description

// Searches the end of the file backwards for the end-of-central-directory signature, in
// overlapping windows so that a signature split between two windows is still seen. The hit
// nearest the end wins; 0 means none (a record at offset 0 cannot be a real archive's).
uint64_t FindEndRecord(int fd, uint64_t fileSize) {
  const uint64_t maxBack = std::min(kMaxBack, fileSize);
  std::vector<unsigned char> window(kStep + 4);
  uint64_t back = 4;
  while (back < maxBack) {
    back = back + kStep > maxBack ? maxBack : back + kStep;
    const uint64_t readPos = fileSize - back;
    const size_t readSize = static_cast<size_t>(std::min<uint64_t>(kStep + 4, fileSize - readPos));
    if (!ReadExactly(fd, fileSize, readPos, window.data(), readSize)) return 0;
    for (size_t i = readSize - 3; i-- > 0;) {
      if (window[i] == 'P' && window[i + 1] == 'K' && window[i + 2] == 5 && window[i + 3] == 6) {
        const uint64_t found = readPos + i;
        if (found != 0) return found;
        return 0;
      }
    }
  }
  return 0;
}

uint32_t AttributesFromExternal(uint32_t a) {
  uint32_t attr = kAttrNormal;
  if ((a & 0x40000000) || (a & 0x10)) attr |= kAttrDirectory;
  if (a & 0x20) attr |= kAttrArchive;
  if (a & 0x02) attr |= kAttrHidden;
  if (!(a & 0x00800000) || (a & 0x01)) attr |= kAttrReadOnly;
  if (a & 0x04) attr |= kAttrSystem;
  return attr;
}

// The first "UT" block of the local extra field replaces the DOS times it carries.
void ApplyUnixTimes(const std::string& extra, ZipEntryInfo& info) {
  const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
  size_t pos = 0;
  while (pos + 4 <= extra.size()) {
    const uint16_t tag = Get16(p + pos);
    const size_t length = Get16(p + pos + 2);
    const size_t start = pos + 4;
    if (tag == kTagUnixTimes) {
      const size_t available = std::min(length, extra.size() - start);
      if (available == 0) return;
      const unsigned flags = p[start];
      size_t at = 1;
      int64_t* targets[] = {&info.modificationTime, &info.accessTime, &info.creationTime};
      for (int bit = 0; bit < 3; ++bit) {
        if (!(flags & (1u << bit))) continue;
        if (at + 4 > available) return;
        *targets[bit] = Get32(p + start + at);
        at += 4;
      }
      return;
    }
    pos = start + length;
  }
}

}  // namespace

ZipResult LastZipResult() { return static_cast<ZipResult>(g_lastResult.load(std::memory_order_relaxed)); }

bool IsUnsafeZipName(std::string_view name) {
  if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return true;
  if (name.size() >= 2 && name[1] == ':') return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() {
  if (m_fd >= 0) {
    m_open.reset();
    ::close(m_fd);
  }
}

ZipResult ZipArchive::Finish(ZipResult result) { return Remember(result); }

std::unique_ptr<ZipArchive> ZipArchive::Open(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Remember(kZipCannotOpen);
    return nullptr;
  }
  std::unique_ptr<ZipArchive> archive(new ZipArchive());
  archive->m_fd = fd;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    Remember(kZipCannotOpen);
    return nullptr;
  }
  archive->m_fileSize = static_cast<uint64_t>(st.st_size);
  const uint64_t endPos = FindEndRecord(fd, archive->m_fileSize);
  unsigned char end[kEndRecordSize];
  if (endPos == 0 || !ReadExactly(fd, archive->m_fileSize, endPos, end, sizeof end)) {
    Remember(kZipCorrupt);
    return nullptr;
  }
  const uint16_t disk = Get16(end + 4);
  const uint16_t centralDisk = Get16(end + 6);
  const uint16_t entriesHere = Get16(end + 8);
  const uint16_t entries = Get16(end + 10);
  const uint64_t centralSize = Get32(end + 12);
  const uint64_t centralOffset = Get32(end + 16);
  if (disk != 0 || centralDisk != 0 || entriesHere != entries || centralOffset + centralSize > endPos) {
    Remember(kZipCorrupt);
    return nullptr;
  }
  archive->m_correction = endPos - (centralOffset + centralSize);
  archive->m_firstCentral = centralOffset + archive->m_correction;
  archive->m_entryCount = entries;
  archive->m_cursorOffset = archive->m_firstCentral;
  CentralEntry first;
  if (entries > 0 && archive->ReadCentral(archive->m_firstCentral, first) != kZipOk) {
    Remember(kZipCorrupt);
    return nullptr;
  }
  if (archive->EntriesOverlap()) {
    Remember(kZipCorrupt);
    return nullptr;
  }
  Remember(kZipOk);
  return archive;
}

// Entries that share their bytes let a small archive unpack into many times its declared
// content (every central header naming one huge local entry). Each readable entry owns its
// local header, name, extra field and data; no two may share a byte. Entries that cannot be
// read are left out: they fail on their own when asked for.
bool ZipArchive::EntriesOverlap() const {
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  ranges.reserve(static_cast<size_t>(m_entryCount));
  uint64_t offset = m_firstCentral;
  CentralEntry entry;
  for (int i = 0; i < m_entryCount; ++i) {
    if (ReadCentral(offset, entry) != kZipOk) break;  // no later entry can be reached either
    offset += kCentralHeaderSize + entry.nameLength + entry.extraLength + entry.commentLength;
    uint64_t dataOffset = 0;
    if (CheckLocalHeader(m_fd, m_fileSize, m_correction, entry, dataOffset, nullptr) != kZipOk) continue;
    ranges.emplace_back(uint64_t{entry.localOffset} + m_correction, dataOffset + entry.compressedSize);
  }
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 1; i < ranges.size(); ++i) {
    if (ranges[i].first < ranges[i - 1].second) return true;
  }
  return false;
}

ZipResult ZipArchive::ReadCentral(uint64_t offset, CentralEntry& e) const {
  unsigned char h[kCentralHeaderSize];
  if (!ReadExactly(m_fd, m_fileSize, offset, h, sizeof h) || Get32(h) != kCentralSignature) return kZipCorrupt;
  e.versionMadeBy = Get16(h + 4);
  e.flags = Get16(h + 8);
  e.method = Get16(h + 10);
  e.dosTime = Get16(h + 12);
  e.dosDate = Get16(h + 14);
  e.crc = Get32(h + 16);
  e.compressedSize = Get32(h + 20);
  e.uncompressedSize = Get32(h + 24);
  e.nameLength = Get16(h + 28);
  e.extraLength = Get16(h + 30);
  e.commentLength = Get16(h + 32);
  e.externalAttributes = Get32(h + 38);
  e.localOffset = Get32(h + 42);
  e.name.resize(e.nameLength);
  if (!ReadExactly(m_fd, m_fileSize, offset + kCentralHeaderSize, e.name.data(), e.nameLength)) return kZipCorrupt;
  return kZipOk;
}

ZipResult ZipArchive::WalkTo(int index, CentralEntry& entry) {
  if (index < m_cursorIndex) {
    m_cursorIndex = 0;
    m_cursorOffset = m_firstCentral;
  }
  while (m_cursorIndex < index) {
    const ZipResult r = ReadCentral(m_cursorOffset, entry);
    if (r != kZipOk) return r;
    m_cursorOffset += kCentralHeaderSize + entry.nameLength + entry.extraLength + entry.commentLength;
    ++m_cursorIndex;
  }
  return ReadCentral(m_cursorOffset, entry);
}

ZipResult ZipArchive::Describe(int index, ZipEntryInfo& info, CentralEntry& entry) {
  if (index == m_cachedIndex) {
    info = m_cachedInfo;
    entry = *m_cachedEntry;
    return kZipOk;
  }
  ZipResult r = WalkTo(index, entry);
  if (r != kZipOk) return r;
  uint64_t dataOffset = 0;
  std::string extra;
  r = CheckLocalHeader(m_fd, m_fileSize, m_correction, entry, dataOffset, &extra);
  if (r != kZipOk) return r;

  ZipEntryInfo d;
  d.index = index;
  std::string_view shown(entry.name);
  shown = shown.substr(0, std::min(shown.find('\0'), kNameLimit));
  d.name = (entry.flags & kFlagUtf8Name) ? Utf8ToUtf16(shown) : Cp1251ToUtf16(shown);
  d.attributes = AttributesFromExternal(entry.externalAttributes);
  if ((entry.versionMadeBy >> 8) == kHostUnix) d.unixMode = entry.externalAttributes >> 16;
  d.modificationTime = d.accessTime = d.creationTime = DosToUnixTime(entry.dosDate, entry.dosTime);
  ApplyUnixTimes(extra, d);
  d.compressedSize = entry.compressedSize;
  d.uncompressedSize = entry.uncompressedSize;

  m_cachedIndex = index;
  m_cachedInfo = d;
  m_cachedEntry = std::make_unique<CentralEntry>(entry);
  info = std::move(d);
  return kZipOk;
}

ZipResult ZipArchive::GetEntry(int index, ZipEntryInfo& info) {
  if (m_fd < 0) return Finish(kZipNotOpen);
  if (index < -1 || index >= m_entryCount) return Finish(kZipBadArgument);
  if (index == -1) {
    info = ZipEntryInfo{};
    info.index = m_entryCount;
    return Finish(kZipOk);
  }
  CloseEntry();
  CentralEntry entry;
  return Finish(Describe(index, info, entry));
}

void ZipArchive::CloseEntry() {
  m_open.reset();
  m_openIndex = -1;
}

ZipResult ZipArchive::Close() {
  if (m_fd < 0) return Finish(kZipNotOpen);
  CloseEntry();
  ::close(m_fd);
  m_fd = -1;
  return Finish(kZipOk);
}

}  // namespace vantrel
