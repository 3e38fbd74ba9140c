#include "catalogue/playlist/playlist_address.h"

#include <algorithm>
#include <vector>

namespace vantrel {
namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

// Removes "." and ".." segments from a path that starts with "/".
std::string WithoutDotSegments(std::string_view path) {
  std::vector<std::string_view> kept;
  size_t i = 0;
  bool endsInFolder = false;
  while (i < path.size()) {
    size_t next = path.find('/', i + 1);
    if (next == std::string_view::npos) next = path.size();
    const std::string_view segment = path.substr(i + 1, next - i - 1);  // after the "/"
    endsInFolder = segment == "." || segment == "..";
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
    } else if (segment != ".") {
      kept.push_back(segment);
    }
    i = next;
  }
  std::string out;
  for (const auto segment : kept) {
    out += '/';
    out += segment;
  }
  if (endsInFolder || out.empty()) out += '/';
  return out;
}

std::string ResolveAgainstUrl(std::string_view base, std::string_view entry) {
  const std::string scheme = AddressScheme(base);
  const size_t authorityStart = scheme.size() + 1;
  if (entry.starts_with("//")) return scheme + ":" + std::string(entry);
  size_t pathStart = authorityStart;
  if (base.substr(authorityStart).starts_with("//")) {
    pathStart = base.find_first_of("/?#", authorityStart + 2);
    if (pathStart == std::string_view::npos) pathStart = base.size();
  }
  const std::string_view origin = base.substr(0, pathStart);
  // The base's path without its query and fragment.
  std::string_view path = base.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  // The entry's query stays out of dot-segment removal.
  const size_t entryQuery = std::min(entry.find_first_of("?#"), entry.size());
  std::string joined;
  if (entry.starts_with('/')) {
    joined = entry.substr(0, entryQuery);
  } else {
    const size_t slash = path.rfind('/');
    joined = std::string(slash == std::string_view::npos ? std::string_view("/") : path.substr(0, slash + 1));
    joined += entry.substr(0, entryQuery);
  }
  return std::string(origin) + WithoutDotSegments(joined) + std::string(entry.substr(entryQuery));
}

// Length of the scheme before its ":" (0 when none); allocation-free for the reader's loop.
size_t SchemeSize(std::string_view address) {
  if (address.empty() || !IsAlpha(address[0])) return 0;
  size_t i = 1;
  while (i < address.size() && (IsAlpha(address[i]) || (address[i] >= '0' && address[i] <= '9') ||
                                address[i] == '+' || address[i] == '-' || address[i] == '.'))
    ++i;
  if (i >= address.size() || address[i] != ':') return 0;
  if (i == 1 && i + 1 < address.size() && (address[2] == '\\' || address[2] == '/')) return 0;  // C:\ or C:/
  return i;
}

bool SchemeIs(std::string_view address, size_t size, std::string_view lower) {
  if (size != lower.size()) return false;
  for (size_t i = 0; i < size; ++i)
    if (Lower(address[i]) != lower[i]) return false;
  return true;
}

}  // namespace

std::string AddressScheme(std::string_view address) {
  std::string scheme(address.substr(0, SchemeSize(address)));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), Lower);
  return scheme;
}

bool IsForbiddenAddress(std::string_view address) {
  while (!address.empty() && (address.front() == ' ' || address.front() == '\t')) address.remove_prefix(1);
  const size_t size = SchemeSize(address);
  return size > 0 && (SchemeIs(address, size, "javascript") || SchemeIs(address, size, "vbscript") ||
                      SchemeIs(address, size, "data") || SchemeIs(address, size, "about"));
}

bool IsRelativeAddress(std::string_view address) {
  if (address.empty()) return false;
  if (address.size() >= 3 && IsAlpha(address[0]) && address[1] == ':') return false;  // a drive
  return SchemeSize(address) == 0;
}

std::string ResolveAddress(std::string_view base, std::string_view entry) {
  if (base.empty() || !IsRelativeAddress(entry)) return std::string(entry);
  if (!AddressScheme(base).empty()) return ResolveAgainstUrl(base, entry);
  if (entry[0] == '/' || entry[0] == '\\') return std::string(entry);  // an absolute path
  std::string local(entry);
  std::replace(local.begin(), local.end(), '\\', '/');
  const size_t slash = base.rfind('/');
  const std::string folder = slash == std::string_view::npos ? std::string() : std::string(base.substr(0, slash + 1));
  if (folder.starts_with('/')) return WithoutDotSegments(folder + local);
  return folder + local;
}

bool IsWebAddress(std::string_view address) {
  const std::string scheme = AddressScheme(address);
  return scheme == "http" || scheme == "https";
}

}  // namespace vantrel
