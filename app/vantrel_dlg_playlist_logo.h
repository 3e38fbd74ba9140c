#pragma once
// The logo of a playlist channel in the details pane. It shows once its picture is in the
// cache; until then, and for channels without one, nothing shows. Pictures not cached yet are
// fetched in the background, one at a time, the one shown last first; a picture that fails
// (no answer, not a picture, too large, not decodable) is not asked for again this run.
// Used on the UI thread; its one worker never touches a widget.
#include <QLabel>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace vantrel {

class CChannelLogo : public QLabel {
  Q_OBJECT

 public:
  // The largest picture shown; larger ones are scaled down, keeping their shape.
  static constexpr QSize kMaxSize{96, 56};
  // Decoded pictures beyond this many pixels a side are refused as no logo.
  static constexpr int kMaxSide = 4096;

  // `cacheFolder`: where pictures are kept (the user data folder's logos/).
  CChannelLogo(std::filesystem::path cacheFolder, QWidget* parent);
  // Ends a fetch under way and waits for the worker.
  ~CChannelLogo() override;

  // Shows the logo at `address` (UTF-8 text of a playlist's tvg-logo); empty shows none.
  void ShowLogo(const QString& address);
  // Fits the logo shown to the description box again, after the box changed its height.
  void Fit();
  // The address shown or awaited; empty when none.
  const QString& Address() const { return m_address; }

 signals:
  // The label changed: a logo appeared or went. The pane makes room for it.
  void LogoChanged(bool shown);

 private:
  bool ShowCached();
  void Clear();
  void Run();
  void Fetched(const QString& address, bool cached);

  const std::filesystem::path m_folder;
  QString m_address;
  std::set<QString> m_failed;  // UI thread only

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::string> m_queue;  // newest first
  bool m_stopping = false;
  std::atomic<bool> m_cancel{false};
  std::thread m_worker;
};

// Whether `bytes` decode as a picture of at most kMaxSide pixels a side; any thread.
bool IsUsableLogo(const std::string& bytes);

}  // namespace vantrel
