// The house is built in layers: each folder may include only the folders drawn below it, and the
// Qt-free libraries stay free of Qt. These tests read the sources, so a wrong include fails here
// with its file and line, not later as a tangle nobody can untie.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = VANTREL_SOURCE_DIR;

// Who may use whom, as the README's folder map draws it. Folders on top (app, tools, bench,
// tests) may use everything; a folder not named here sits below app and may not include it.
const std::map<std::string, std::set<std::string>> kMayUse = {
    {"resources", {}},
    {"base", {"resources"}},
    {"streamsaver", {}},
    {"updates/zip", {"base"}},
    {"skin", {"base", "resources"}},
    {"catalogue", {"base", "resources", "updates/zip"}},
    {"updates", {"base", "resources", "updates/zip", "catalogue"}},
    {"playback", {"base", "resources", "skin", "catalogue", "streamsaver"}},
    {"desktop", {"base", "resources", "skin", "catalogue", "updates", "updates/zip", "playback"}},
};
const std::set<std::string> kOnTop = {"app", "tools", "bench", "tests"};
const std::set<std::string> kNotCode = {"docs", "cmake", "build", "build-asan"};

struct Include {
  std::string target;  // as written between the quotes or brackets
  bool quoted = false;
  int line = 0;
};

bool IsSource(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc" || ext == ".c";
}

std::vector<Include> IncludesOf(const fs::path& file) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> out;
  std::ifstream in(file);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::smatch m;
    if (std::regex_search(line, m, kInclude)) out.push_back({m[2].str(), m[1].str() == "\"", n});
  }
  return out;
}

// The folder (room) a project path belongs to: the longest known prefix, else its first part.
std::string RoomOf(const std::string& relative) {
  std::string best;
  for (const auto& [room, uses] : kMayUse)
    if (relative.rfind(room + "/", 0) == 0 && room.size() > best.size()) best = room;
  if (!best.empty()) return best;
  return relative.substr(0, relative.find('/'));
}

bool IsFolderOfCode(const std::string& name) {
  return !name.empty() && name[0] != '.' && !kNotCode.count(name) && name.rfind("build", 0) != 0;
}

// Every room below app: the drawn ones and any new top-level folder with sources in it.
std::vector<std::string> RoomsBelowApp() {
  std::set<std::string> rooms;
  for (const auto& [room, uses] : kMayUse) rooms.insert(room);
  for (const auto& entry : fs::directory_iterator(kRoot)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && IsFolderOfCode(name) && !kOnTop.count(name)) rooms.insert(name);
  }
  return {rooms.begin(), rooms.end()};
}

std::vector<fs::path> SourcesUnder(const fs::path& dir) {
  std::vector<fs::path> out;
  if (!fs::is_directory(dir)) return out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file() && IsSource(e.path())) out.push_back(e.path());
  return out;
}

std::string Relative(const fs::path& p) { return fs::relative(p, kRoot).generic_string(); }

bool IsQtHeader(const Include& inc) {
  if (inc.quoted) return false;
  const std::string& t = inc.target;
  return t.size() > 1 && t[0] == 'Q' && (std::isupper(static_cast<unsigned char>(t[1])) || t.rfind("Qt", 0) == 0);
}

// One line of the generated list: target | source dir | sources | link libraries.
struct QtFreeTarget {
  std::string name;
  fs::path sourceDir;
  std::vector<std::string> sources, links;
};

std::vector<std::string> SplitList(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string item;
  while (std::getline(in, item, ';'))
    if (!item.empty()) out.push_back(item);
  return out;
}

std::vector<QtFreeTarget> ReadQtFreeTargets() {
  std::vector<QtFreeTarget> out;
  std::ifstream in(VANTREL_QT_FREE_TARGETS);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '|')) f.push_back(field);
    f.resize(4);
    if (!f[0].empty()) out.push_back({f[0], f[1], SplitList(f[2]), SplitList(f[3])});
  }
  return out;
}

// No file of a room below app includes "app/...", and each drawn room includes only the rooms
// it may use.
TEST(Layering, RoomsIncludeOnlyWhatIsBelowThem) {
  std::vector<std::string> faults;
  for (const std::string& room : RoomsBelowApp()) {
    const auto drawn = kMayUse.find(room);
    for (const fs::path& file : SourcesUnder(kRoot / room)) {
      const std::string rel = Relative(file);
      if (RoomOf(rel) != room) continue;  // updates/zip files are checked as their own room
      for (const Include& inc : IncludesOf(file)) {
        if (!inc.quoted) continue;
        const std::string target = RoomOf(inc.target);
        if (target == room || !fs::exists(kRoot / inc.target)) continue;
        const bool allowed = drawn != kMayUse.end() ? drawn->second.count(target) > 0 : target != "app" &&
                             !kOnTop.count(target);
        if (!allowed)
          faults.push_back(rel + ":" + std::to_string(inc.line) + ": " + room + " may not use " + target +
                           " (\"" + inc.target + "\")");
      }
    }
  }
  for (const auto& f : faults) ADD_FAILURE() << f;
}

// The Qt-free libraries (the core and the recording library) neither link Qt nor include a Qt
// header, directly or through a project header they include.
TEST(Layering, QtFreeLibrariesStayFreeOfQt) {
  const std::vector<QtFreeTarget> targets = ReadQtFreeTargets();
  ASSERT_GE(targets.size(), 5u) << "the generated target list is missing: " << VANTREL_QT_FREE_TARGETS;
  std::set<std::string> qtFree;
  for (const auto& t : targets) qtFree.insert(t.name);

  std::vector<std::string> faults;
  for (const auto& t : targets) {
    for (const std::string& lib : t.links) {
      if (lib.find("Qt") != std::string::npos || lib.find("mpv") != std::string::npos)
        faults.push_back(t.name + " links " + lib);
      else if (lib.rfind("vantrel_", 0) == 0 && !qtFree.count(lib))
        faults.push_back(t.name + " links " + lib + ", which is not Qt-free");
    }
    // Walk the project headers reachable from the target's sources.
    std::vector<fs::path> todo;
    for (const std::string& s : t.sources) {
      const fs::path p = fs::path(s).is_absolute() ? fs::path(s) : t.sourceDir / s;
      if (IsSource(p)) todo.push_back(p);
    }
    std::set<fs::path> seen;
    while (!todo.empty()) {
      const fs::path file = todo.back();
      todo.pop_back();
      if (!seen.insert(fs::weakly_canonical(file)).second) continue;
      for (const Include& inc : IncludesOf(file)) {
        if (IsQtHeader(inc))
          faults.push_back(t.name + ": " + Relative(file) + ":" + std::to_string(inc.line) + " includes <" +
                           inc.target + ">");
        else if (inc.quoted && fs::exists(kRoot / inc.target))
          todo.push_back(kRoot / inc.target);
      }
    }
    EXPECT_FALSE(seen.empty()) << t.name << " has no sources listed";
  }
  for (const auto& f : faults) ADD_FAILURE() << f;
}

// The checks above must see something to be worth anything: the tree has the drawn rooms, and a
// known upward include would be caught.
TEST(Layering, CheckerSeesTheTree) {
  for (const char* room : {"base", "resources", "skin", "catalogue", "updates", "playback", "streamsaver", "app"})
    EXPECT_TRUE(fs::is_directory(kRoot / room)) << room;
  EXPECT_EQ(RoomOf("updates/zip/zip_archive.h"), "updates/zip");
  EXPECT_EQ(RoomOf("updates/update_client.h"), "updates");
  EXPECT_EQ(RoomOf("app/vantrel_dlg.h"), "app");
  EXPECT_FALSE(SourcesUnder(kRoot / "base").empty());
  EXPECT_TRUE(IsQtHeader({"QString", false, 1}));
  EXPECT_TRUE(IsQtHeader({"QtTest", false, 1}));
  EXPECT_FALSE(IsQtHeader({"queue", false, 1}));
  EXPECT_FALSE(IsQtHeader({"Q", false, 1}));
}

}  // namespace
