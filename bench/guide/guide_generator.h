#pragma once
// A generated guide of the size big publishers ship: `channels` channels over `days` days,
// programmes of 30 to 120 minutes with Russian titles and descriptions, gzip-compressed as
// it is written (the text is never held whole).
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace vantrel::bench {

inline std::string GuideTime(std::int64_t utc) {
  const auto t = static_cast<std::time_t>(utc + 3 * 3600);
  std::tm fields{};
  gmtime_r(&t, &fields);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S +0300", &fields);
  return text;
}

struct GeneratedGuide {
  std::uint64_t programmes = 0;
  std::uint64_t xmlBytes = 0;
};

inline GeneratedGuide WriteGeneratedGuide(const std::filesystem::path& file, int channels, int days, std::int64_t from) {
  static constexpr int kMinutes[] = {30, 45, 60, 90, 120, 60, 45, 105};
  static const char* kTitles[] = {"Новости", "Доброе утро", "Художественный фильм «Дорога домой»", "Футбол. Премьер-лига",
                                  "Время покажет", "Документальный цикл «Планета»", "Вечерний концерт", "Погода"};
  GeneratedGuide made;
  gzFile out = gzopen(file.c_str(), "wb6");
  auto put = [&](const std::string& text) {
    gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
    made.xmlBytes += text.size();
  };
  put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv generator-info-name=\"bench\">\n");
  for (int c = 0; c < channels; ++c)
    put("  <channel id=\"ch" + std::to_string(c) + ".tv\">\n    <display-name lang=\"ru\">Канал " + std::to_string(c) +
        "</display-name>\n    <display-name lang=\"en\">Channel " + std::to_string(c) + "</display-name>\n  </channel>\n");
  const std::int64_t until = from + std::int64_t{days} * 86400;
  for (int c = 0; c < channels; ++c) {
    int k = c;
    for (std::int64_t start = from; start < until; ++k) {
      const std::int64_t stop = start + kMinutes[k % 8] * 60;
      const std::string title = kTitles[(k * 3 + c) % 8];
      put("  <programme start=\"" + GuideTime(start) + "\" stop=\"" + GuideTime(stop) + "\" channel=\"ch" +
          std::to_string(c) + ".tv\">\n    <title lang=\"ru\">" + title + "</title>\n    <sub-title lang=\"ru\">Выпуск " +
          std::to_string(k) + "</sub-title>\n    <desc lang=\"ru\">" + title +
          ": передача о самом важном за день, гости студии отвечают на вопросы."
          "</desc>\n    <category lang=\"ru\">Разное</category>\n  </programme>\n");
      ++made.programmes;
      start = stop;
    }
  }
  put("</tv>\n");
  gzclose(out);
  return made;
}

}  // namespace vantrel::bench
