#include <gtest/gtest.h>

#include <sstream>

#include "tests/guide/guide_server.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

constexpr std::int64_t kHour = 3600;

struct ToolRun {
  int code;
  std::string out, err;
};

ToolRun Guide(const std::string& source, std::optional<std::string> channel = std::nullopt) {
  std::ostringstream out, err;
  setenv("TZ", "UTC", 1);
  tzset();
  const int code = tool::GuideCommand(source, channel, kDay0 + 90 * 60, out, err);
  return {code, out.str(), err.str()};
}

const std::string kGuide = GuideDoc(
    ChannelXml("first.ru", "Первый канал") + ChannelXml("empty", "Пустой") +
    ProgrammeXml("first.ru", kDay0 + kHour, kDay0 + 2 * kHour, "Новости", 0) +
    ProgrammeXml("first.ru", kDay0 + 2 * kHour, kDay0 + 3 * kHour, "Кино", 0) +
    ProgrammeXml("first.ru", kDay0 + 2 * kHour, kDay0 + 4 * kHour, "Двойник", 0) +
    ProgrammeXml("first.ru", kDay0 + 5 * kHour, kDay0 + 4 * kHour, "Назад", 0) +
    ProgrammeXml("first.ru", kDay0 + 30 * kHour, kDay0 + 31 * kHour, "Завтра", 0));

// The report names every channel with its programme count and every dropped programme with
// its reason; with a channel it adds now/next and that day's list.
TEST(GuideTool, ReportsChannelsDropsAndOneChannel) {
  TempFolder dir;
  WriteBytes(dir / "guide.xml.gz", Gzip(kGuide));
  const ToolRun run = Guide((dir / "guide.xml.gz").string(), "ПЕРВЫЙ-КАНАЛ");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("document: complete\nchannels: 2\nprogrammes: 3 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  first.ru: \"Первый канал\": 3 programmes\n  empty: \"Пустой\": 0 programmes\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("dropped: 2\n"), std::string::npos);
  EXPECT_NE(run.out.find("\"first.ru\" 2026-12-09 02:00 \"Двойник\": overlaps an earlier programme of its channel"),
            std::string::npos);
  EXPECT_NE(run.out.find("line 9: \"first.ru\" 2026-12-09 05:00 \"Назад\": stops before it starts"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("matched by name\nnow:  2026-12-09 01:00 - 02:00  Новости\nnext: 2026-12-09 02:00 - 03:00  Кино\n"
                         "day 2026-12-09:\n  2026-12-09 01:00 - 02:00  Новости\n  2026-12-09 02:00 - 03:00  Кино\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("Завтра\n"), std::string::npos);
}

// Refusals exit non-zero with one line: no such file, not a guide, no such channel, an
// address that fails. An address that works is read like a file.
TEST(GuideTool, RefusesWithOneLine) {
  TempFolder dir;
  WriteBytes(dir / "page.html", "<html><body>Not found</body></html>");
  for (const std::string& bad : {(dir / "none.xml").string(), (dir / "page.html").string()}) {
    const ToolRun run = Guide(bad);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  CGuideServer server(kGuide);
  const ToolRun missing = Guide(server.Url("/none"));
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("(HTTP 404)"), std::string::npos);
  const ToolRun web = Guide(server.Url("/guide.xml.gz"), "first.ru");
  EXPECT_EQ(web.code, 0) << web.err;
  EXPECT_NE(web.out.find("matched by id\nnow:  2026-12-09 01:00 - 02:00  Новости\n"), std::string::npos);
  const ToolRun nobody = Guide(server.Url("/guide.xml"), "Второй канал");
  EXPECT_EQ(nobody.code, 1);
  EXPECT_NE(nobody.err.find("Второй канал"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
