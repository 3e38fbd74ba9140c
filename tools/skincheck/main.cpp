// vantrel-skin check FOLDER: tells a skin author what the program will make of a skin folder.
// Exit code 0: a complete skin; 1: the program would drop it; 2: it is taken but has faults;
// 64: wrong usage.
#include <cstdio>
#include <cstring>

#include "tools/skincheck/skin_check.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "check") != 0) {
    std::fprintf(stderr, "usage: vantrel-skin check FOLDER\n");
    return 64;
  }
  const vantrel::SkinCheckReport report = vantrel::CheckSkinFolder(argv[2]);
  for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
  if (report.dropped) {
    std::printf("Итог: программа не возьмёт эту папку как шкурку.\n");
    return 1;
  }
  if (report.HasProblems()) {
    std::printf("Итог: шкурка будет принята, но показана с ошибками (%zu).\n", report.problems.size());
    return 2;
  }
  std::printf("Итог: шкурка в порядке.\n");
  return 0;
}
