#pragma once
// The user's playlists as the main window shows them: the playlist store, each playlist's
// channels as records the views, the player, the recorder and the favourites take, and the
// fetches that run off the UI thread (opening an address, the refresh at start-up). Results
// of the workers are posted back to the UI thread; the shelf is used on that thread only.
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/channel.h"
#include "catalogue/channel_tree.h"

namespace vantrel {

class CPlaylist;
class CPlaylistStore;
class CPlaylistRefresh;
struct PlaylistFetch;
struct OpenedPlaylist;

// One playlist: its store id, its title and its channels in file order.
struct ShownPlaylist {
  uint32_t id = 0;
  std::u16string title;
  std::vector<CChannel> channels;
};

class CPlaylistShelf : public QObject {
  Q_OBJECT

 public:
  explicit CPlaylistShelf(QObject* parent = nullptr);
  ~CPlaylistShelf() override;

  // Reads the user's playlists folder and every kept playlist. A copy that no longer reads is
  // left out and said so through Failed.
  void Load();
  // Asks every playlist that came from an address for a newer copy, on a thread of its own.
  // Start-up does not wait for it; each new copy arrives through Changed.
  void StartRefresh();
  // Opens a playlist file or address (http, https). Both are read, parsed and copied into the
  // store on worker threads; the result arrives on this thread (Changed, PlayStream or Failed).
  // Files come in in the order they were opened. True when the text names a file or an
  // address; a file's refusal arrives later through Failed.
  bool Open(const QString& fileOrAddress);
  bool IsFetching() const { return m_fetching; }
  // Some opened file is still being read.
  bool IsReadingFile() const { return m_filesPending > 0; }
  // Removes the playlist at `position` and its kept copy.
  bool Remove(size_t position);

  const std::vector<ShownPlaylist>& Playlists() const { return m_shown; }
  // The playlists as the tree and the search take them; spans into Playlists().
  std::vector<ChannelSource> Sources() const;

 signals:
  // The playlists changed: every record handed out before is gone.
  void AboutToChange();
  void Changed();
  // An address that is a stream, not a list: it plays at once.
  void PlayStream(const QString& address);
  // Something could not be opened, with the reason in the user's words.
  void Failed(const QString& message);

 private:
  void Show(uint32_t id, const CPlaylist& playlist);
  void Show(uint32_t id, std::vector<CChannel> channels);
  void OpenFile(const QString& path);
  void TakeIn(const QString& source, OpenedPlaylist& opened);
  void ImportFetched(const QString& address, const PlaylistFetch& fetch, OpenedPlaylist& opened, uint64_t generation);
  void ApplyRefresh(uint32_t id, PlaylistFetch fetch);
  void JoinOpenWorker();

  std::unique_ptr<CPlaylistStore> m_store;
  std::vector<ShownPlaylist> m_shown;
  bool m_fetching = false;
  std::atomic<bool> m_cancelOpen{false};
  std::thread m_openWorker;
  uint64_t m_openGeneration = 0;  // the address open whose answer is awaited
  // The last file open's worker; each joins the one before it, so results come in order.
  std::thread m_fileWorker;
  int m_filesPending = 0;
  // Last: stopped and joined first.
  std::unique_ptr<CPlaylistRefresh> m_refresh;
};

}  // namespace vantrel
