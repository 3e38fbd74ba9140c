// vantrel-catalogue guide: what the reader and the matcher make of a guide, for publishers.
#include <unistd.h>

#include <ctime>
#include <ostream>
#include <system_error>

#include "catalogue/guide/guide_store.h"
#include "tools/catalogue/catalogue_tool.h"
#include "updates/guide_fetch.h"

namespace vantrel::tool {
namespace {

// A scratch folder for the guide database and the download, removed with everything in it.
class CScratchFolder {
 public:
  CScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-guide-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~CScratchFolder() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  CScratchFolder(const CScratchFolder&) = delete;
  CScratchFolder& operator=(const CScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

std::string LocalTime(std::int64_t when) {
  const auto t = static_cast<std::time_t>(when);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

void PrintProgramme(const char* label, const GuideProgramme& p, std::ostream& out) {
  out << label << LocalTime(p.start) << " - " << LocalTime(p.stop).substr(11) << "  " << p.title;
  if (!p.subTitle.empty()) out << " / " << p.subTitle;
  if (!p.category.empty()) out << " [" << p.category << "]";
  out << '\n';
}

void PrintReport(const GuideImportReport& report, const std::vector<GuideChannelSummary>& channels,
                 std::ostream& out) {
  out << "document: " << (report.error.empty() ? Describe(report.read.status) : report.error) << '\n';
  out << "channels: " << report.channels << '\n';
  out << "programmes: " << report.programmes << " (" << report.past << " ended before yesterday, not kept)\n";
  for (const GuideChannelSummary& c : channels) {
    out << "  " << c.xmltvId << ':';
    for (std::size_t i = 0; i < c.names.size(); ++i) out << (i ? " / " : " ") << '"' << c.names[i] << '"';
    out << ": " << c.programmes << " programmes\n";
  }
  std::uint64_t dropped = 0;
  for (const auto& [why, count] : report.dropsByReason) dropped += count;
  out << "dropped: " << dropped << '\n';
  for (const auto& [why, count] : report.dropsByReason) out << "  " << why << ": " << count << '\n';
  for (const GuideDroppedProgramme& d : report.drops) {
    out << "  ";
    if (d.line) out << "line " << d.line << ": ";
    out << '"' << d.channel << "\" " << LocalTime(d.start) << " \"" << d.title << "\": " << d.why << '\n';
  }
  if (report.drops.size() < dropped) out << "  ... " << dropped - report.drops.size() << " more\n";
}

int PrintChannel(const CGuideStore& store, const std::string& channel, std::int64_t now, std::ostream& out,
                 std::ostream& err) {
  const GuideMatch match = store.MatchChannel(channel, channel);
  if (!match) {
    err << "vantrel-catalogue: no channel of the guide has the id or name \"" << channel << "\"\n";
    return 1;
  }
  out << "channel \"" << channel << "\": matched by " << (match.rule == GuideMatchRule::kTvgId ? "id" : "name") << '\n';
  const GuideNowNext nowNext = store.NowAndNext(match.channel, now);
  if (nowNext.now) PrintProgramme("now:  ", *nowNext.now, out);
  else out << "now:  nothing\n";
  if (nowNext.next) PrintProgramme("next: ", *nowNext.next, out);
  else out << "next: nothing\n";
  const TimeRange today = LocalDay(now);
  out << "day " << LocalTime(today.from).substr(0, 10) << ":\n";
  for (const GuideProgramme& p : store.Programmes(match.channel, today)) PrintProgramme("  ", p, out);
  return 0;
}

}  // namespace

int GuideCommand(const std::string& fileOrAddress, const std::optional<std::string>& channel, std::int64_t now,
                 std::ostream& out, std::ostream& err) {
  CScratchFolder scratch;
  CGuideStore store;
  if (scratch.Path().empty() || !store.Open(scratch.Path())) {
    err << "vantrel-catalogue: cannot make a scratch guide database: " << store.Error() << '\n';
    return 1;
  }
  const bool web = fileOrAddress.starts_with("http://") || fileOrAddress.starts_with("https://");
  GuideFetchResult fetched;
  if (web) {
    fetched = FetchGuide(fileOrAddress, {}, scratch.Path(), u"vantrel-catalogue");
    if (fetched.status != GuideFetchStatus::kFetched) {
      err << "vantrel-catalogue: " << fileOrAddress << ": " << Describe(fetched.status);
      if (fetched.httpCode) err << " (HTTP " << fetched.httpCode << ')';
      err << '\n';
      return 1;
    }
  }
  GuideImportOptions options;
  options.now = now;
  const GuideImportReport report =
      store.Import(fileOrAddress, web ? fetched.file.Path() : std::filesystem::path(fileOrAddress), options);
  if (!report.imported) {
    err << "vantrel-catalogue: " << fileOrAddress << ": " << report.error << '\n';
    return 1;
  }
  out << "guide: " << fileOrAddress << '\n';
  PrintReport(report, store.Channels(fileOrAddress), out);
  return channel ? PrintChannel(store, *channel, now, out, err) : 0;
}

}  // namespace vantrel::tool
