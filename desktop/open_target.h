#pragma once
// What `Vantrel URL|FILE` asks to open. An address with a scheme ("http://...", "rtmp://...")
// is a stream address; anything else names a local file, taken relative to the folder the
// program was started in ("file://" addresses are local files too). The main window plays a
// stream address at once; a local file goes through its file hook, where a reader of playlist
// files can claim it before it is played as it is.
#include <QString>

namespace vantrel {

struct OpenTarget {
  enum class Kind {
    kNone,           // nothing to open
    kStreamAddress,  // `location` is the address to play
    kLocalFile,      // `location` is an absolute path of an existing file
    kMissingFile,    // `location` is the absolute path of a file that is not there
  };
  Kind kind = Kind::kNone;
  QString location;
  QString name;  // what to call it: the file's name, or the address
  bool playlist = false;  // named as a playlist (.m3u, .m3u8, .pls): imported, not played as is
};

OpenTarget ResolveOpenTarget(const QString& argument, const QString& workingFolder);

// The message for a file that is not there.
QString MissingFileText(const QString& path);

}  // namespace vantrel
