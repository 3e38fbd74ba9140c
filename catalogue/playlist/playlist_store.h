#pragma once
// The user's playlists: each imported playlist is kept as a copy of its bytes in the playlists
// folder (the user data folder's playlists/), listed with its source in an index file that is
// replaced atomically. The user's own file is never written. Qt-free; one owner thread (the
// UI's): the background refresh fetches elsewhere and hands its result to ApplyFetched.
//
// Folder layout:
//   playlists/index.xml   <playlists next="N"><playlist id=".." name=".." source=".."
//                          remote="1" copy="N.m3u" etag=".." modified=".."/>...</playlists>
//   playlists/N.m3u       the bytes as last read (extension from the source: m3u, m3u8, pls)
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/playlist/playlist.h"

namespace vantrel {

// HTTP validators of the copy, for the conditional GET of the next refresh.
struct PlaylistValidators {
  std::string etag;          // the ETag header's value as sent, quotes included
  std::string lastModified;  // the Last-Modified header's value as sent
};

struct CPlaylistEntry {
  std::uint32_t id = 0;  // never reused within one folder
  std::string name;      // shown in the views: the file name or the address's last segment
  std::string source;    // the address (remote) or the original file's absolute path
  bool remote = false;   // came from an address: refreshed in the background
  std::string copy;      // file name of the copy inside the playlists folder
  PlaylistValidators validators;
};

enum class PlaylistImportStatus {
  kAdded,      // new entry
  kReplaced,   // the same source was there: its copy and channels are replaced
  kStream,     // an HLS playlist: nothing kept, the caller plays the source address
  kRefused,    // see `refusal`
  kWriteFailed,  // the copy or the index could not be written; nothing changed
};

struct PlaylistImport {
  PlaylistImportStatus status = PlaylistImportStatus::kRefused;
  PlaylistRefusal refusal = PlaylistRefusal::kNone;
  std::uint32_t id = 0;  // the entry, when added or replaced
  bool Ok() const { return status == PlaylistImportStatus::kAdded || status == PlaylistImportStatus::kReplaced; }
};

// An import made ready away from the store's owner thread: read, checked, parsed, and its
// copy written under a temporary name inside the playlists folder. CPlaylistStore::Commit takes
// it in on the owner thread; dropped uncommitted, it removes its temporary copy. Move-only.
class CPreparedImport {
 public:
  CPreparedImport() = default;
  ~CPreparedImport();
  CPreparedImport(CPreparedImport&& other) noexcept;
  CPreparedImport& operator=(CPreparedImport&& other) noexcept;
  CPreparedImport(const CPreparedImport&) = delete;
  CPreparedImport& operator=(const CPreparedImport&) = delete;

  // kAdded: ready to commit; otherwise kStream, kRefused (see refusal) or kWriteFailed, which
  // Commit hands back unchanged.
  PlaylistImportStatus status = PlaylistImportStatus::kRefused;
  PlaylistRefusal refusal = PlaylistRefusal::kNone;
  std::string source;
  bool remote = false;
  PlaylistValidators validators;
  CPlaylist playlist;  // parsed, its key the source
  std::filesystem::path staged;  // the temporary copy; empty once committed
};

class CPlaylistStore {
 public:
  // `folder` is the playlists folder; PlaylistsFolder() gives the user's.
  explicit CPlaylistStore(std::filesystem::path folder);

  const std::filesystem::path& Folder() const { return m_folder; }
  // Reads the index. A missing index is an empty store; entries whose copy is missing are
  // dropped from the list (the index is not rewritten until the next change). False only when
  // an index exists and cannot be read as one; the store is then empty, and the next change
  // moves the damaged index aside (index.xml.damaged) before writing a new one. Changes made
  // before any Load load first.
  bool Load();
  const std::vector<CPlaylistEntry>& Entries() const { return m_entries; }
  const CPlaylistEntry* Find(std::uint32_t id) const;
  const CPlaylistEntry* FindSource(std::string_view source) const;

  // Parses an entry's copy with its source as base and key. Refusal kCannotRead when the id is
  // unknown or the copy is gone.
  PlaylistReadResult Read(std::uint32_t id) const;

  // Imports a file the user chose: read, checked, copied. On success `playlist` (when given)
  // receives the parsed channels, so the caller need not read the copy again.
  PlaylistImport ImportFile(const std::filesystem::path& file, CPlaylist* playlist = nullptr);
  // Imports bytes fetched from `address`, with the validators of that answer.
  PlaylistImport ImportFetched(std::string_view address, std::string bytes, const PlaylistValidators& validators,
                               CPlaylist* playlist = nullptr);
  // A refresh's outcome for a remote entry: new bytes replace the copy (when they parse; a
  // refused body keeps the old copy and returns its refusal), validators are kept.
  PlaylistImport ApplyFetched(std::uint32_t id, std::string bytes, const PlaylistValidators& validators,
                              CPlaylist* playlist = nullptr);

  // The two halves of ImportFile and ImportFetched. The Prepare functions touch no store (any
  // thread, `folder` being the store's Folder()); the copy is written and flushed while the
  // bytes are parsed. Commit, on the owner thread, only renames the copy into place and
  // writes the index; `playlist` (when given) receives the parsed channels.
  static CPreparedImport PrepareFile(const std::filesystem::path& folder, const std::filesystem::path& file);
  static CPreparedImport PrepareBytes(const std::filesystem::path& folder, std::string_view source, bool remote,
                                      std::string bytes, const PlaylistValidators& validators);
  PlaylistImport Commit(CPreparedImport prepared, CPlaylist* playlist = nullptr);

  // Removes the entry and its copy; false when there is no such id or the index cannot be
  // written (then nothing changed).
  bool Remove(std::uint32_t id);

 private:
  bool SaveIndex();

  std::filesystem::path m_folder;
  std::vector<CPlaylistEntry> m_entries;
  std::uint32_t m_nextId = 1;
  bool m_loaded = false;
  bool m_indexDamaged = false;
};

// FileLocation(DataFile::kPlaylists).
std::filesystem::path PlaylistsFolder();

}  // namespace vantrel
