#include "app/vantrel_dlg_guide_worker.h"

namespace vantrel {

CGuideWorker::CGuideWorker(std::filesystem::path folder) : m_folder(std::move(folder)), m_thread([this] { Run(); }) {}

CGuideWorker::~CGuideWorker() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closing = true;
    m_jobs.clear();
  }
  m_wake.notify_all();
  m_thread.join();
}

void CGuideWorker::Post(Job job) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closing) return;
    m_jobs.push_back(std::move(job));
  }
  m_wake.notify_one();
}

void CGuideWorker::Run() {
  // Opened on this thread, which alone uses it.
  CGuideStore store;
  bool opened = false;
  const std::function<bool()> cancelled = [this] {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closing;
  };
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
      if (m_closing) return;
      job = std::move(m_jobs.front());
      m_jobs.pop_front();
    }
    // A database that could not be opened (busy, folder not writable) is tried again with
    // the next job rather than given up for the run.
    if (!opened) opened = store.Open(m_folder);
    job(opened ? &store : nullptr, cancelled);
  }
}

}  // namespace vantrel
