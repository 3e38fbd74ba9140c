// Starts one capture, waits, and returns from main without stopping it, as a program that
// forgets to would. Usage: streamsaver_exit_probe URL FILE SECONDS
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "streamsaver/streamsaver.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string url = argv[1];
  const std::string file = argv[2];
  const std::u16string url16(url.begin(), url.end());
  const std::u16string file16(file.begin(), file.end());
  if (StartCaptureSource(url16.c_str(), file16.c_str(), nullptr) != 0) return 1;
  std::this_thread::sleep_for(std::chrono::duration<double>(std::atof(argv[3])));
  return 0;
}
