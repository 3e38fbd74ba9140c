#pragma once
// The guide's worker thread: fetches, imports and prunes one job after another with a guide
// store of its own, so the window's store goes on answering from the previous guide meanwhile.
// Jobs run in the order posted. Closing asks the running job to stop (fetches and imports
// poll the flag) and drops the queued ones, so the window never waits on a slow server.
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue/guide/guide_store.h"

namespace vantrel {

class CGuideWorker {
 public:
  // `store`: nullptr when the guide database cannot be opened; `cancelled` turns true when the
  // worker is closing.
  using Job = std::function<void(CGuideStore* store, const std::function<bool()>& cancelled)>;

  explicit CGuideWorker(std::filesystem::path folder);
  ~CGuideWorker();
  CGuideWorker(const CGuideWorker&) = delete;
  CGuideWorker& operator=(const CGuideWorker&) = delete;

  void Post(Job job);
  const std::filesystem::path& Folder() const { return m_folder; }

 private:
  void Run();

  const std::filesystem::path m_folder;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Job> m_jobs;
  bool m_closing = false;
  std::thread m_thread;  // last: started once the rest exists
};

}  // namespace vantrel
