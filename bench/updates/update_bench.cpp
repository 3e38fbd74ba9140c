// The start-up checks and a catalogue-sized download against the update server on loopback.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/text_codec.h"
#include "tools/server/update_server.h"
#include "updates/update_client.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDownloadBytes = 3'000'000;

// A server folder that answers "1024" to every check and holds one 3 MB file.
class LoopbackServer {
 public:
  LoopbackServer() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    m_root = ::mkdtemp(pattern.data());
    for (const char* page : {"program", "skins", "channels"}) {
      fs::create_directory(m_root / page);
      std::ofstream(m_root / page / "answer.txt") << "1024";
    }
    fs::create_directory(m_root / "files");
    std::ofstream(m_root / "files" / "big.dat", std::ios::binary) << std::string(kDownloadBytes, 'c');
    m_server = std::make_unique<vantrel::server::UpdateServer>(
        vantrel::server::UpdateServerOptions{m_root, "127.0.0.1", 0, &m_log});
    m_server->Start();
  }
  ~LoopbackServer() {
    m_server.reset();
    fs::remove_all(m_root);
  }
  std::u16string Base() const { return vantrel::Utf8ToUtf16(m_server->BaseAddress()); }

 private:
  fs::path m_root;
  std::ostringstream m_log;
  std::unique_ptr<vantrel::server::UpdateServer> m_server;
};

void BM_ThreeChecks(benchmark::State& state) {
  LoopbackServer server;
  const vantrel::UpdateClientInfo client{server.Base(), u"Vantrel 2.0.ru", u"bench"};
  const std::vector<std::u16string> skins{u"/p/skins/Classic", u"/p/skins/Metall", u"/p/skins/Crossy"};
  for (auto _ : state) {
    benchmark::DoNotOptimize(vantrel::CheckProgramOnServer(client));
    benchmark::DoNotOptimize(vantrel::CheckSkinsOnServer(client, skins));
    benchmark::DoNotOptimize(vantrel::CheckChannelsOnServer(client, 7));
  }
}
BENCHMARK(BM_ThreeChecks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DownloadToMemory(benchmark::State& state) {
  LoopbackServer server;
  const std::u16string address = server.Base() + u"files/big.dat";
  for (auto _ : state) {
    const auto body = vantrel::DownloadToMemory(address, u"Vantrel 2.0.ru - bench");
    if (body.bytes.size() != kDownloadBytes) state.SkipWithError("short download");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadBytes));
}
BENCHMARK(BM_DownloadToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
