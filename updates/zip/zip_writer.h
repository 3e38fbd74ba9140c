#pragma once
// A small zip writer: stored or deflated entries, optional Unix modes and "UT" times, built in
// memory. Used to publish catalogues and skin packs and to make archives for tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct ZipWriterEntry {
  std::string name;       // bytes as stored; a folder's name ends in '/'
  std::string data;       // uncompressed content (empty for a folder)
  bool deflate = true;
  bool folder = false;
  uint32_t unixMode = 0;  // st_mode bits; non-zero marks the archive as made on Unix
  int64_t modified = 315532800;  // seconds since 1970 UTC, stored as DOS time and in "UT"
  bool utf8Name = false;         // marks the name as UTF-8 (general-purpose flag bit 11)
  std::string extra;             // extra field to store instead of the "UT" block, when set
};

class ZipWriter {
 public:
  // Where each record landed, so that tests can damage one field on purpose.
  struct Layout {
    std::vector<size_t> local;    // local header offsets
    std::vector<size_t> central;  // central header offsets
    size_t endRecord = 0;
  };

  explicit ZipWriter(int level = -1) : m_level(level) {}

  // False when the entry cannot be stored (over 4 GiB, a name over 65,535 bytes, deflate error).
  bool Add(const ZipWriterEntry& entry);
  // The whole archive: entries, central directory, end record and the comment (cut to 65,535).
  // Call once, after the last Add.
  std::string Finish(std::string_view comment = {});
  const Layout& GetLayout() const { return m_layout; }

 private:
  int m_level;
  std::string m_body;
  std::string m_central;
  uint16_t m_count = 0;
  Layout m_layout;
};

// Deflates `data` as a raw stream (no zlib header); empty on failure.
bool DeflateRaw(std::string_view data, int level, std::string& out);

}  // namespace vantrel
