#include "tests/streamsaver/capture_fixture.h"

#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace vantrel::test {

std::u16string U16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

double SecondsSince(std::chrono::steady_clock::time_point from,
                    std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void SleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

StderrCapture::StderrCapture() {
  std::fflush(stderr);
  m_file = std::tmpfile();
  m_saved = dup(2);
  dup2(fileno(m_file), 2);
}

StderrCapture::~StderrCapture() {
  Restore();
  if (m_file != nullptr) std::fclose(m_file);
}

void StderrCapture::Restore() {
  if (m_saved < 0) return;
  std::fflush(stderr);
  dup2(m_saved, 2);
  close(m_saved);
  m_saved = -1;
}

std::vector<std::string> StderrCapture::Lines() {
  Restore();
  std::rewind(m_file);
  std::vector<std::string> lines;
  std::string line;
  for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file)) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void CaptureTest::SetUpTestSuite() { av_log_set_level(AV_LOG_QUIET); }

void CaptureTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "streamsaver-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  m_dir = pattern;
}

void CaptureTest::TearDown() {
  StopCaptureAllSources(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}

}  // namespace vantrel::test
