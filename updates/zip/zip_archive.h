#pragma once
// Read-only zip archive reader: stored and deflated entries, no zip64, no encryption, one disk.
//
// Archives are untrusted input. Every size, offset and count is checked against the file before
// it is used; inflating never produces more than an entry's declared size; no two entries may
// share their bytes, so all of an archive never unpacks to more than the sum of its declared
// sizes; entry names that are absolute or hold ".." are never extracted. Every operation
// stores its result in a process-wide variable as well (LastZipResult). Not thread-safe: one
// archive is used by one thread.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace vantrel {

enum ZipResult : uint32_t {
  kZipOk = 0x00000000,
  kZipCannotOpen = 0x00000200,     // the archive or a target file cannot be opened or created
  kZipWriteFailed = 0x00000400,    // reading, inflating, checking or writing an entry failed (to a file)
  kZipMore = 0x00000600,           // memory extraction delivered bytes; the entry stays open
  kZipCorrupt = 0x00000700,        // a header is broken or local and central headers disagree
  kZipBadExtra = 0x00000800,       // the local extra field cannot be read
  kZipBadArgument = 0x00010000,    // index out of range
  kZipNotOpen = 0x00080000,        // the reader was closed
  kZipAlreadyOpen = 0x01000000,    // kept for callers that test the whole code set
  kZipInflateFailed = 0x05000000,  // reading, inflating or checking failed (to memory)
};

// The result of the last zip operation of the process.
ZipResult LastZipResult();

// Windows attribute words, the form entry attributes are reported in.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;

struct ZipEntryInfo {
  int index = 0;            // for index -1: the entry count, every other field zero
  std::u16string name;      // stored name, at most 258 units (longer names are cut)
  uint32_t attributes = 0;  // kAttr* word derived from the stored attributes
  uint32_t unixMode = 0;    // st_mode bits when the archive was made on Unix, else 0
  int64_t accessTime = 0;   // seconds since 1970-01-01 UTC
  int64_t creationTime = 0;
  int64_t modificationTime = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
};

class ZipEntryStream;

class ZipArchive {
 public:
  // Opens an archive on disk; null when it cannot be opened or is not a readable archive
  // (the reason is in LastZipResult). Data in front of the archive is allowed; entries whose
  // headers or data share bytes with another entry's are not (kZipCorrupt).
  static std::unique_ptr<ZipArchive> Open(const std::filesystem::path& file);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  int EntryCount() const { return m_entryCount; }

  // index -1 gives the entry count in info.index; 0..count-1 describe that entry. Asking for
  // the same index twice reads nothing the second time.
  ZipResult GetEntry(int index, ZipEntryInfo& info);

  // Writes entry `index` to `destination`, replacing an existing file (a symbolic link there is
  // replaced, not followed). A folder entry creates the folder `destination` names. Missing
  // parent folders are created only for a relative destination without "..". Size, CRC-32 and
  // the declared length are checked at the end: a mismatch gives kZipWriteFailed and leaves
  // what was written. Modification and access times are set on regular files.
  ZipResult ExtractToFile(int index, const std::filesystem::path& destination);

  // Fills `buffer` with up to `size` bytes of entry `index`. kZipMore when bytes came: the
  // entry stays open and the next call for the same index continues it (also when the whole
  // entry fitted). kZipOk when nothing was left (the entry's size and CRC-32 then checked out),
  // kZipInflateFailed on damage. `delivered`, when given, receives the byte count; nothing is
  // written after the data.
  ZipResult ExtractToMemory(int index, void* buffer, size_t size, size_t* delivered = nullptr);

  // Releases the file; later calls give kZipNotOpen. The destructor closes too.
  ZipResult Close();

  struct CentralEntry;

 private:
  ZipArchive();
  ZipResult Finish(ZipResult result);
  ZipResult ReadCentral(uint64_t offset, CentralEntry& entry) const;
  ZipResult WalkTo(int index, CentralEntry& entry);
  ZipResult Describe(int index, ZipEntryInfo& info, CentralEntry& entry);
  bool EntriesOverlap() const;
  void CloseEntry();

  int m_fd = -1;
  uint64_t m_fileSize = 0;
  uint64_t m_correction = 0;  // bytes in front of the archive's own offsets
  uint64_t m_firstCentral = 0;
  int m_entryCount = 0;
  int m_cursorIndex = 0;
  uint64_t m_cursorOffset = 0;
  std::unique_ptr<ZipEntryStream> m_open;  // entry being extracted to memory
  int m_openIndex = -1;
  std::unique_ptr<CentralEntry> m_cachedEntry;
  ZipEntryInfo m_cachedInfo;
  int m_cachedIndex = -1;
};

// True for stored names that must never reach the file system: absolute paths, drive-letter
// paths and names holding a ".." component ('/' and '\' both count as separators).
bool IsUnsafeZipName(std::string_view storedName);

}  // namespace vantrel
