// Loading the largest catalogue the program reads (655,360 bytes of Base64 text), whole and by
// its parts, beside pugixml parsing the same XML on its own.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/text_codec.h"
#include "catalogue/base64.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/channel_list.h"
#include "catalogue/xml_document.h"
#include "updates/zip/zip_archive.h"

namespace vantrel {
namespace {

std::string ChannelXml(int i) {
  const std::string n = std::to_string(i);
  // About 168 bytes a channel, a typical catalogue entry.
  return "<channel id=\"" + n + "\" name=\"\xCA\xE0\xED\xE0\xEB \xED\xEE\xEC\xE5\xF0 " + n + "\" type=\"" + std::to_string(i % 3) +
         "\" URL=\"mms://stream" + std::to_string(i % 40) + ".tv.ru/live/channel-" + n + "\"><genre>\xC6\xE0\xED\xF0 " +
         std::to_string(i % 12) + "</genre><country>\xD1\xF2\xF0\xE0\xED\xE0 " + std::to_string(i % 45) +
         "</country><BPS>" + std::to_string(100 + i % 400) + "</BPS></channel>\n";
}

struct Fixture {
  std::filesystem::path dir;
  std::filesystem::path file;
  std::string xml;       // Windows-1251 text
  std::string base64;    // the member's text
  int channels = 0;

  Fixture() {
    dir = std::filesystem::temp_directory_path() / ("vantrel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    file = dir / "channels.dat";
    const std::string head = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<channels version=\"100\">\n";
    const std::string tail = "</channels>\n";
    std::string body;
    for (int i = 0;; ++i) {
      const std::string next = ChannelXml(i);
      if (PackedTextSize(head.size() + body.size() + next.size() + tail.size()) > kCatalogueBufferSize) break;
      body += next;
      channels = i + 1;
    }
    xml = head + body + tail;
    std::string archive;
    PackCatalogue(xml, archive);
    std::ofstream(file, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
    base64 = Base64Encode(xml, 76, "\r\n");
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void BM_LoadChannels(benchmark::State& state) {
  CChannelList list(Data().file, {});
  for (auto _ : state) benchmark::DoNotOptimize(list.LoadChannels());
  state.counters["channels"] = static_cast<double>(list.channels.size());
  state.counters["base64_bytes"] = static_cast<double>(Data().base64.size());
  state.counters["xml_bytes"] = static_cast<double>(Data().xml.size());
}
BENCHMARK(BM_LoadChannels)->Unit(benchmark::kMillisecond);

void BM_Part1_Unzip(benchmark::State& state) {
  auto buffer = std::make_unique_for_overwrite<char[]>(kCatalogueBufferSize);
  for (auto _ : state) {
    auto archive = ZipArchive::Open(Data().file);
    benchmark::DoNotOptimize(archive->ExtractToMemory(0, buffer.get(), kCatalogueBufferSize));
  }
}
BENCHMARK(BM_Part1_Unzip)->Unit(benchmark::kMillisecond);

void BM_Part2_Base64(benchmark::State& state) {
  auto buffer = std::make_unique_for_overwrite<char[]>(kCatalogueBufferSize);
  for (auto _ : state) benchmark::DoNotOptimize(Base64Decode(Data().base64, buffer.get()));
}
BENCHMARK(BM_Part2_Base64)->Unit(benchmark::kMillisecond);

void BM_Part3_CodePage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Cp1251ToUtf8(Data().xml));
}
BENCHMARK(BM_Part3_CodePage)->Unit(benchmark::kMillisecond);

void BM_Part4_Parse(benchmark::State& state) {
  const std::string text = Cp1251ToUtf8(Data().xml);
  for (auto _ : state) benchmark::DoNotOptimize(XmlLoadUtf8Text(text));
}
BENCHMARK(BM_Part4_Parse)->Unit(benchmark::kMillisecond);

void BM_Part5_ReadAndIndex(benchmark::State& state) {
  const XmlDocument document = XmlLoadUtf8Text(Cp1251ToUtf8(Data().xml));
  CChannelList list({}, {});
  for (auto _ : state) benchmark::DoNotOptimize(list.LoadCatalogueDocument(*document));
}
BENCHMARK(BM_Part5_ReadAndIndex)->Unit(benchmark::kMillisecond);

// pugixml alone on the same XML in UTF-8, its native form.
void BM_PugixmlAlone(benchmark::State& state) {
  const std::string utf8 = Cp1251ToUtf8(Data().xml);
  for (auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_buffer(utf8.data(), utf8.size()));
  }
  state.counters["xml_bytes"] = static_cast<double>(utf8.size());
}
BENCHMARK(BM_PugixmlAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel
