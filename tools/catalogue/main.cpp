// vantrel-catalogue: reads and writes the player's channel catalogue file.
//   list FILE       what the player reads from FILE, a catalogue or a playlist (M3U, M3U8,
//                   PLS); exit 1 when it cannot load it
//   pack XML OUT    makes a catalogue file from an XML catalogue
//   unpack FILE     prints the catalogue's XML as UTF-8
#include <iostream>
#include <string_view>

#include "tools/catalogue/catalogue_tool.h"

int main(int argc, char** argv) {
  using namespace vantrel::tool;
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "list" && argc == 3) return ListFile(argv[2], std::cout, std::cerr);
  if (command == "pack" && argc == 4) return PackCatalogueFile(argv[2], argv[3], std::cerr);
  if (command == "unpack" && argc == 3) return UnpackCatalogue(argv[2], std::cout, std::cerr);
  std::cerr << "usage: vantrel-catalogue list FILE | pack XML OUT | unpack FILE\n";
  return 2;
}
