#include "catalogue/catalogue_file.h"

#include <cstring>
#include <memory>

#include "base/text_codec.h"
#include "catalogue/base64.h"
#include "updates/zip/zip_archive.h"
#include "updates/zip/zip_writer.h"

namespace vantrel {

namespace {
constexpr size_t kLineLength = 76;
constexpr std::string_view kLineBreak = "\r\n";
}  // namespace

std::string Cp1251ToUtf8(std::string_view text) {
  // Each byte's UTF-8 form (at most three bytes) from the code page table, made once.
  struct Table {
    char bytes[256][3];
    uint8_t size[256];
    Table() {
      for (int b = 0; b < 256; ++b) {
        const std::string utf8 = Utf16ToUtf8(Cp1251ToUtf16(std::string(1, static_cast<char>(b))));
        size[b] = static_cast<uint8_t>(utf8.size());
        std::memcpy(bytes[b], utf8.data(), utf8.size());
      }
    }
  };
  static const Table table;
  std::string out(text.size() * 3, '\0');
  char* p = out.data();
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80) {
      *p++ = c;
    } else {
      std::memcpy(p, table.bytes[b], 3);
      p += table.size[b];
    }
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

CatalogueStatus ReadCatalogueText(const std::filesystem::path& file, std::string& text) {
  text.clear();
  auto archive = ZipArchive::Open(file);
  if (!archive) return CatalogueStatus::kCannotOpen;
  if (archive->EntryCount() != 1) return CatalogueStatus::kNotOneMember;
  auto member = std::make_unique_for_overwrite<char[]>(kCatalogueBufferSize);
  size_t delivered = 0;
  archive->ExtractToMemory(0, member.get(), kCatalogueBufferSize, &delivered);
  archive->Close();
  std::string_view base64(member.get(), delivered);
  base64 = base64.substr(0, base64.find('\0'));
  // The decoded text never exceeds three quarters of the Base64, so one buffer of the same
  // fixed size holds it.
  auto decoded = std::make_unique_for_overwrite<char[]>(kCatalogueBufferSize);
  const size_t size = Base64Decode(base64, decoded.get());
  const char* zero = static_cast<const char*>(std::memchr(decoded.get(), 0, size));
  text.assign(decoded.get(), zero ? static_cast<size_t>(zero - decoded.get()) : size);
  return CatalogueStatus::kOk;
}

size_t PackedTextSize(size_t byteCount) {
  const size_t encoded = (byteCount + 2) / 3 * 4;
  return encoded + (encoded ? (encoded - 1) / kLineLength * kLineBreak.size() : 0);
}

bool PackCatalogue(std::string_view text, std::string& archive) {
  if (PackedTextSize(text.size()) > kCatalogueBufferSize) return false;
  ZipWriter writer(9);
  ZipWriterEntry member;
  member.name = "channels.txt";
  member.data = Base64Encode(text, kLineLength, kLineBreak);
  member.unixMode = 0100644;
  if (!writer.Add(member)) return false;
  archive = writer.Finish();
  return true;
}

}  // namespace vantrel
