// vantrel-demo-skin SOURCE.zip NAME DEGREES OUT.zip: makes the skin pack NAME from the pack
// SOURCE with every colour's hue turned by DEGREES.
#include <charconv>
#include <iostream>
#include <string>

#include "catalogue/file_replace.h"
#include "tools/demo/skin_recolour.h"

int main(int argc, char** argv) {
  double degrees = 0;
  const std::string turn = argc == 5 ? argv[3] : "";
  if (argc != 5 || std::from_chars(turn.data(), turn.data() + turn.size(), degrees).ptr != turn.data() + turn.size()) {
    std::cerr << "usage: vantrel-demo-skin SOURCE.zip NAME DEGREES OUT.zip\n";
    return 2;
  }
  std::string problem;
  const auto pack = vantrel::demo::DeriveSkinPack(argv[1], argv[2], degrees, problem);
  if (!pack) {
    std::cerr << "vantrel-demo-skin: " << problem << '\n';
    return 1;
  }
  if (!vantrel::ReplaceFileContents(argv[4], *pack)) {
    std::cerr << "vantrel-demo-skin: " << argv[4] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
