#include <gtest/gtest.h>

#include "tests/catalogue/catalogue_test_support.h"

namespace vantrel {
namespace {

using namespace testing;

CChannel Fav(int id, std::u16string name) {
  return CChannel{id, 2, 128, name, u"mms://" + name, u"http://" + name, u"about " + name, u"genre", u"country"};
}

class Favorites : public ::testing::Test {
 protected:
  std::vector<std::u16string> NamesInFile() {
    CChannelList reader(dir / "channels.dat", dir / "favorites.xml");
    EXPECT_TRUE(reader.LoadFavorites());
    std::vector<std::u16string> names;
    for (const auto& f : reader.favorites) names.push_back(f.name);
    return names;
  }
  TempFolder dir;
  CChannelList list{dir / "channels.dat", dir / "favorites.xml"};
};

// The file has the exact layout other readers expect: attributes id, name, type, URL; then
// description, genre, site_URL, BPS, country, all written, empty ones too; no declaration.
TEST_F(Favorites, FileLayout) {
  list.AddFavorite(CChannel{5, -1, 0, u"Канал \"1\" & <co>", u"mms://x?a=1&b=2", u"", u"", u"", u""});
  ASSERT_TRUE(list.SaveFavorites());
  EXPECT_EQ(ReadBytes(dir / "favorites.xml"),
            "<favorites>\n"
            "\t<channel id=\"5\" name=\"\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB &quot;1&quot; &amp; &lt;co>\" "
            "type=\"-1\" URL=\"mms://x?a=1&amp;b=2\">\n"
            "\t\t<description />\n\t\t<genre />\n\t\t<site_URL />\n\t\t<BPS>0</BPS>\n\t\t<country />\n"
            "\t</channel>\n"
            "</favorites>\n");
}

// Everything written reads back field for field, duplicates included.
TEST_F(Favorites, RoundTrip) {
  list.favorites = {Fav(1, u"один"), Fav(2, u" spaced "), Fav(1, u"same id twice")};
  list.favorites[1].description = u"line\nbreak\ttab  ";
  list.favorites[1].genre = u" ";
  ASSERT_TRUE(list.SaveFavorites());
  CChannelList reader(dir / "channels.dat", dir / "favorites.xml");
  ASSERT_TRUE(reader.LoadFavorites());
  EXPECT_EQ(reader.favorites, list.favorites);
}

// Adding an id already present changes nothing, and saving then still rewrites the file.
TEST_F(Favorites, AddingAPresentId) {
  list.AddFavorite(Fav(1, u"a"));
  list.AddFavorite(Fav(2, u"b"));
  list.AddFavorite(Fav(1, u"renamed"));
  ASSERT_EQ(list.favorites.size(), 2u);
  EXPECT_EQ(list.favorites[0].name, u"a");
  WriteBytes(dir / "favorites.xml", "stale");
  ASSERT_TRUE(list.SaveFavorites());
  EXPECT_EQ(NamesInFile(), (std::vector<std::u16string>{u"a", u"b"}));
}

// Removing the middle row moves the later ones up; removing the last leaves an empty root.
TEST_F(Favorites, RemovingRows) {
  for (int i = 1; i <= 3; ++i) list.AddFavorite(Fav(i, u"f" + Utf8ToUtf16(std::to_string(i))));
  list.RemoveFavorite(1);
  ASSERT_TRUE(list.SaveFavorites());
  EXPECT_EQ(NamesInFile(), (std::vector<std::u16string>{u"f1", u"f3"}));
  list.RemoveFavorite(7);  // past the end: nothing
  list.RemoveFavorite(0);
  list.RemoveFavorite(0);
  ASSERT_TRUE(list.SaveFavorites());
  EXPECT_EQ(ReadBytes(dir / "favorites.xml"), "<favorites />\n");
  EXPECT_TRUE(NamesInFile().empty());
}

// A missing or broken file gives no favourites; a file of another root gives none either.
TEST_F(Favorites, UnreadableFiles) {
  list.favorites = {Fav(1, u"left over")};
  EXPECT_FALSE(list.LoadFavorites());
  EXPECT_TRUE(list.favorites.empty());
  WriteBytes(dir / "favorites.xml", "<favorites><channel id=\"1\"");
  EXPECT_FALSE(list.LoadFavorites());
  WriteBytes(dir / "favorites.xml", "<channels/>");
  EXPECT_FALSE(list.LoadFavorites());
  WriteBytes(dir / "favorites.xml", "<favorites>junk<channel id=\"1\" name=\"n\" type=\"1\"/></favorites>");
  EXPECT_TRUE(list.LoadFavorites());
  EXPECT_TRUE(list.favorites.empty());
}

// A save that cannot be written keeps both the old file and the list.
TEST_F(Favorites, FailedSaveKeepsTheOldFile) {
  list.AddFavorite(Fav(1, u"kept"));
  ASSERT_TRUE(list.SaveFavorites());
  const std::string before = ReadBytes(dir / "favorites.xml");
  CChannelList elsewhere(dir / "channels.dat", dir / "no such folder" / "favorites.xml");
  elsewhere.AddFavorite(Fav(2, u"x"));
  EXPECT_FALSE(elsewhere.SaveFavorites());
  EXPECT_EQ(elsewhere.favorites.size(), 1u);
  std::filesystem::create_directories(dir / "blocked");
  CChannelList blocked(dir / "channels.dat", dir / "blocked");  // the path is a folder
  EXPECT_FALSE(blocked.SaveFavorites());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked"));
  EXPECT_EQ(ReadBytes(dir / "favorites.xml"), before);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << "temporary file left behind";
}

}  // namespace
}  // namespace vantrel
