// The zip reader on arbitrary bytes: open, walk every entry, extract each to memory, then walk
// back and extract in reverse (the cursor rewinds, the description cache is reused).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_input_file.h"
#include "updates/zip/zip_archive.h"

namespace {

using namespace vantrel;

// Extracts entry `index` whole; the bytes delivered never exceed the declared size.
void Drain(ZipArchive& archive, int index, uint64_t declared) {
  std::vector<unsigned char> buffer(4096);
  uint64_t total = 0;
  for (;;) {
    size_t delivered = 0;
    const ZipResult r = archive.ExtractToMemory(index, buffer.data(), buffer.size(), &delivered);
    fuzz::Expect(delivered <= buffer.size());
    total += delivered;
    if (r != kZipMore) break;
  }
  fuzz::Expect(total <= declared);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::InputFile file;
  auto archive = ZipArchive::Open(file.Write(data, size));
  if (!archive) return 0;
  ZipEntryInfo info;
  fuzz::Expect(archive->GetEntry(-1, info) == kZipOk && info.index == archive->EntryCount());
  std::vector<uint64_t> declared(static_cast<size_t>(archive->EntryCount()), UINT32_MAX);
  for (int i = 0; i < archive->EntryCount(); ++i) {
    if (archive->GetEntry(i, info) != kZipOk) continue;
    declared[static_cast<size_t>(i)] = info.uncompressedSize;
    Drain(*archive, i, info.uncompressedSize);
  }
  for (int i = archive->EntryCount(); i-- > 0;) {
    archive->GetEntry(i, info);
    Drain(*archive, i, declared[static_cast<size_t>(i)]);
  }
  fuzz::Expect(archive->GetEntry(archive->EntryCount(), info) == kZipBadArgument);
  archive->Close();
  return 0;
}
