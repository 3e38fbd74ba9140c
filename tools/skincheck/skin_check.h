#pragma once
// Checks a skin folder the way the program will read it, for skin authors.
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {

struct SkinCheckReport {
  bool dropped = false;               // the program would not take the folder as a skin
  std::vector<std::string> lines;     // every finding, one per line, in file order
  std::vector<std::string> problems;  // the findings that are faults (a subset of `lines`)
  bool HasProblems() const { return dropped || !problems.empty(); }
};

// Everything wrong with the folder as a skin: the folder's own attributes, every required file
// (missing, not a plain file, not a sound bitmap), button strips that are not five pictures
// wide, and panels too small to carry their background colour.
SkinCheckReport CheckSkinFolder(const std::filesystem::path& folder);

}  // namespace vantrel
