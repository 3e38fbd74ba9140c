#pragma once
// Shared ground of the recording tests: a scratch folder, UTF-16 names, a clock, and standard
// error captured around a call.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "streamsaver/streamsaver.h"
#include "tests/support/media_server.h"

namespace vantrel::test {

std::u16string U16(const std::string& ascii);
double SecondsSince(std::chrono::steady_clock::time_point from,
                    std::chrono::steady_clock::time_point to = std::chrono::steady_clock::now());
void SleepSeconds(double seconds);
std::string ReadFile(const std::filesystem::path& path);

// Redirects standard error (the descriptor, as the library writes it) into a temporary file.
class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  std::vector<std::string> Lines();  // stops capturing

 private:
  void Restore();
  std::FILE* m_file = nullptr;
  int m_saved = -1;
};

class CaptureTest : public ::testing::Test {
 protected:
  // FFmpeg's own messages are the host process's to route; these tests watch only the
  // library's lines.
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Out(const std::filesystem::path& name) const { return m_dir / name; }
  static std::string Media(const std::string& name) { return MediaDir() + "/" + name; }

  std::filesystem::path m_dir;
};

}  // namespace vantrel::test
