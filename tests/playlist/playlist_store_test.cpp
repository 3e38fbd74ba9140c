#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "base/file_locations.h"
#include "base/program_path.h"
#include "catalogue/playlist/playlist_store.h"
#include "tests/updates/zip_test_support.h"

namespace vantrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const char kList[] = "#EXTM3U\n#EXTINF:-1 group-title=\"A\",One\nhttp://s/1\n#EXTINF:-1,Two\nrel/2.ts\n";

// An imported file is copied and listed; a second store on the same folder sees it with its
// channels, resolved against the original file's folder; the user's file is never written.
TEST(PlaylistStore, ImportPersistAndRemove) {
  TempFolder dir;
  const auto user = dir / "my list.m3u";
  WriteBytes(user, kList);
  ::chmod(user.c_str(), 0444);
  const auto folder = dir / "data" / "playlists";
  CPlaylist imported;
  {
    CPlaylistStore store(folder);
    ASSERT_TRUE(store.Load());
    const PlaylistImport import = store.ImportFile(user, &imported);
    ASSERT_EQ(import.status, PlaylistImportStatus::kAdded);
    EXPECT_EQ(imported.Size(), 2u);
    EXPECT_EQ(imported.key, user.string());
    ASSERT_EQ(store.Entries().size(), 1u);
    EXPECT_EQ(store.Entries()[0].name, "my list.m3u");
    EXPECT_FALSE(store.Entries()[0].remote);
  }
  EXPECT_EQ(ReadBytes(user), kList);
  std::filesystem::remove(user);  // the copy keeps the playlist

  CPlaylistStore again(folder);
  ASSERT_TRUE(again.Load());
  ASSERT_EQ(again.Entries().size(), 1u);
  const uint32_t id = again.Entries()[0].id;
  const PlaylistReadResult read = again.Read(id);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(read.playlist.Address(1), (dir.path() / "rel/2.ts").string());
  EXPECT_EQ(read.playlist.ChannelId(0), imported.ChannelId(0));  // ids survive the restart

  EXPECT_TRUE(again.Remove(id));
  EXPECT_FALSE(again.Remove(id));
  CPlaylistStore third(folder);
  ASSERT_TRUE(third.Load());
  EXPECT_TRUE(third.Entries().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // the index alone
}

// Importing the same source again replaces its copy under the same id; a refused or HLS
// import leaves the store as it was; ids are not reused after a removal.
TEST(PlaylistStore, ReimportRefusalsAndIds) {
  TempFolder dir;
  CPlaylistStore store(dir / "p");
  ASSERT_TRUE(store.Load());
  const PlaylistImport first = store.ImportFetched("http://h/tv.m3u?k=1", kList, {"\"e1\"", "Mon, 01 Jan 2024 00:00:00 GMT"});
  ASSERT_TRUE(first.Ok());
  EXPECT_EQ(store.Entries()[0].name, "tv.m3u");
  CPlaylist replaced;
  const PlaylistImport second = store.ImportFetched("http://h/tv.m3u?k=1", "http://only/\n", {"\"e2\"", ""}, &replaced);
  EXPECT_EQ(second.status, PlaylistImportStatus::kReplaced);
  EXPECT_EQ(second.id, first.id);
  EXPECT_EQ(replaced.Size(), 1u);
  ASSERT_EQ(store.Entries().size(), 1u);
  EXPECT_EQ(store.Entries()[0].validators.etag, "\"e2\"");

  const PlaylistImport html = store.ApplyFetched(first.id, "<html>login</html>", {"\"e3\"", ""});
  EXPECT_EQ(html.status, PlaylistImportStatus::kRefused);
  EXPECT_EQ(html.refusal, PlaylistRefusal::kHtml);
  EXPECT_EQ(store.Read(first.id).playlist.Size(), 1u);  // the last good copy stays
  EXPECT_EQ(store.Entries()[0].validators.etag, "\"e2\"");
  EXPECT_EQ(store.ImportFetched("http://h/live.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n", {}).status,
            PlaylistImportStatus::kStream);
  EXPECT_EQ(store.ImportFile(dir / "none.m3u").refusal, PlaylistRefusal::kCannotRead);
  EXPECT_EQ(store.Entries().size(), 1u);

  ASSERT_TRUE(store.Remove(first.id));
  const PlaylistImport next = store.ImportFetched("http://h/other.pls", "[playlist]\nFile1=http://r/\n", {});
  ASSERT_TRUE(next.Ok());
  EXPECT_GT(next.id, first.id);
  CPlaylistStore unloaded(dir / "p");  // a change before Load keeps what is there
  ASSERT_TRUE(unloaded.ImportFetched("http://h/third.m3u", "http://t/\n", {}).Ok());
  CPlaylistStore reloaded(dir / "p");
  ASSERT_TRUE(reloaded.Load());
  ASSERT_EQ(reloaded.Entries().size(), 2u);
  EXPECT_TRUE(reloaded.Entries()[0].remote);
  EXPECT_EQ(reloaded.Entries()[0].source, "http://h/other.pls");
  EXPECT_EQ(reloaded.Read(next.id).playlist.format, PlaylistFormat::kPls);
}

// An import prepared on another thread while the store goes on changing is committed whole
// later; the copy kept holds the bytes as read. A prepared import never committed, or refused,
// leaves nothing in the folder.
TEST(PlaylistStore, PreparedElsewhereCommittedLater) {
  TempFolder dir;
  const auto user = dir / "big.m3u";
  WriteBytes(user, kList);
  const auto folder = dir / "p";
  CPlaylistStore store(folder);
  ASSERT_TRUE(store.Load());
  CPreparedImport prepared;
  std::thread worker([&] { prepared = CPlaylistStore::PrepareFile(folder, user); });
  ASSERT_TRUE(store.ImportFetched("http://h/first.m3u", "http://a/\n", {}).Ok());
  worker.join();
  ASSERT_EQ(prepared.status, PlaylistImportStatus::kAdded);
  CPlaylist channels;
  const PlaylistImport import = store.Commit(std::move(prepared), &channels);
  ASSERT_EQ(import.status, PlaylistImportStatus::kAdded);
  EXPECT_EQ(channels.Size(), 2u);
  ASSERT_EQ(store.Entries().size(), 2u);
  EXPECT_EQ(ReadBytes(folder / store.Find(import.id)->copy), kList);
  {
    CPreparedImport dropped = CPlaylistStore::PrepareFile(folder, user);
    ASSERT_EQ(dropped.status, PlaylistImportStatus::kAdded);
    CPreparedImport refused = CPlaylistStore::PrepareBytes(folder, "http://h/x", true, "<html></html>", {});
    EXPECT_EQ(refused.refusal, PlaylistRefusal::kHtml);
  }
  // The index and the two copies.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
  EXPECT_EQ(store.Commit(CPlaylistStore::PrepareFile(folder, dir / "none.m3u")).refusal, PlaylistRefusal::kCannotRead);
}

// A damaged index is not taken as a list; entries naming copies outside the folder or copies
// that are gone are left out; when the index cannot be written nothing changes.
TEST(PlaylistStore, UntrustedIndexAndWriteFailures) {
  TempFolder dir;
  const auto folder = dir / "p";
  std::filesystem::create_directories(folder);
  WriteBytes(folder / "index.xml", "<playlists><playlist");
  WriteBytes(folder / "7.m3u", "http://orphan/\n");
  {
    CPlaylistStore broken(folder);
    EXPECT_FALSE(broken.Load());
    EXPECT_TRUE(broken.Entries().empty());
    // The next change keeps the damaged index aside and never takes an orphaned copy's name.
    const PlaylistImport added = broken.ImportFetched("http://h/n.m3u", "http://n/\n", {});
    ASSERT_TRUE(added.Ok());
    EXPECT_EQ(added.id, 8u);
    EXPECT_EQ(ReadBytes(folder / "index.xml.damaged"), "<playlists><playlist");
    EXPECT_EQ(ReadBytes(folder / "7.m3u"), "http://orphan/\n");
  }
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);

  WriteBytes(dir / "secret.m3u", "http://x/\n");
  WriteBytes(folder / "1.m3u", "http://ok/\n");
  WriteBytes(folder / "index.xml",
             "<playlists next=\"2\"><playlist id=\"1\" name=\"ok\" source=\"/a.m3u\" copy=\"1.m3u\"/>"
             "<playlist id=\"5\" source=\"/b.m3u\" copy=\"../secret.m3u\"/>"
             "<playlist id=\"6\" source=\"/c.m3u\" copy=\"6.m3u\"/>"
             "<playlist id=\"1\" source=\"/d.m3u\" copy=\"1.m3u\"/></playlists>");
  CPlaylistStore store(folder);
  ASSERT_TRUE(store.Load());
  ASSERT_EQ(store.Entries().size(), 1u);
  EXPECT_EQ(store.Entries()[0].source, "/a.m3u");

  // A folder where the index should be: no index can be written over it.
  std::filesystem::remove(folder / "index.xml");
  std::filesystem::create_directory(folder / "index.xml");
  EXPECT_EQ(store.ImportFetched("http://h/x.m3u", "http://y/\n", {}).status, PlaylistImportStatus::kWriteFailed);
  EXPECT_FALSE(std::filesystem::exists(folder / "2.m3u"));  // its copy is taken back

  EXPECT_FALSE(store.Remove(1));
  EXPECT_EQ(store.Entries().size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(folder / "1.m3u"));
}

// The user's playlists live in the user data folder, the program folder of a portable copy.
TEST(PlaylistStore, FolderIsUnderTheUserDataFolder) {
  SetProgramPathForTesting("/opt/vantrel/Vantrel");
  EXPECT_EQ(FileLocation(DataFile::kUserDataFolder), std::filesystem::path("/opt/vantrel"));
  EXPECT_EQ(PlaylistsFolder(), std::filesystem::path("/opt/vantrel/playlists"));
}

}  // namespace
}  // namespace vantrel
