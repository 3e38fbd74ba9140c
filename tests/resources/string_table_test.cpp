#include "resources/string_table.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

namespace vantrel {
namespace {

// The texts users see are the exact ones, reachable by id; unknown ids give nothing.
TEST(StringTable, TextsById) {
  EXPECT_EQ(LoadResString(res::IDS_VERSION), u"Vantrel 2.0.ru");
  EXPECT_EQ(LoadResString(res::IDS_NEW_CHANNELS_LABEL), u"Доступно новых каналов: ");
  EXPECT_EQ(LoadResString(res::IDS_RECORD_UNSUPPORTED), u"Запись канала выбранного типа невозможна.");
  // The build names a server, or none at all.
  const std::u16string_view server = LoadResString(res::IDS_UPDATE_SERVER);
  EXPECT_TRUE(server.empty() || (server.starts_with(u"http") && server.ends_with(u"/")));
  EXPECT_TRUE(LoadResString(133).empty());
  EXPECT_TRUE(LoadResString(0).empty());
  int present = 0;
  for (int id = 129; id <= 162; ++id) present += !LoadResString(id).empty();
  EXPECT_EQ(present, server.empty() ? 25 : 26);
}

}  // namespace
}  // namespace vantrel
