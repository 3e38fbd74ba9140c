#include "playback/capture_workers.h"

#include <chrono>
#include <vector>

#include "streamsaver/streamsaver.h"

namespace vantrel {

CaptureWorkers::~CaptureWorkers() {
  bool stopped = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    stopped = m_stopped && m_pending == 0 && m_workers.empty();
  }
  if (!stopped) StopAll();
}

void CaptureWorkers::Start(std::u16string url, std::u16string file, std::function<void(int32_t)> done,
                           CaptureHeaders headers) {
  if (headers.userAgent.empty() && headers.referrer.empty()) {
    Post([url = std::move(url), file = std::move(file)] { return StartCaptureSource(url.c_str(), file.c_str(), nullptr); },
         std::move(done));
    return;
  }
  Post(
      [url = std::move(url), file = std::move(file), headers = std::move(headers)] {
        return StartCaptureSourceWithHeaders(url.c_str(), file.c_str(), headers.userAgent.c_str(),
                                             headers.referrer.c_str(), nullptr);
      },
      std::move(done));
}

void CaptureWorkers::Stop(std::u16string url) {
  Post([url = std::move(url)] { return StopCaptureSource(url.c_str(), nullptr); }, nullptr);
}

void CaptureWorkers::Post(std::function<int32_t()> call, std::function<void(int32_t)> done) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_stopped) return;
  ReapFinished(lock);
  const uint64_t ticket = m_nextTicket++;
  ++m_pending;
  Worker& worker = m_workers.emplace_back();
  worker.thread = std::thread([this, &worker, ticket, call = std::move(call), done = std::move(done)] {
    Run(worker, ticket, call, done);
  });
}

void CaptureWorkers::Run(Worker& self, uint64_t ticket, const std::function<int32_t()>& call,
                         const std::function<void(int32_t)>& done) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_turn.wait(lock, [&] { return m_serving == ticket || m_stopped; });
  if (!m_stopped) {
    lock.unlock();
    const int32_t result = call();
    if (done) done(result);
    lock.lock();
  }
  ++m_serving;
  --m_pending;
  self.finished = true;
  m_turn.notify_all();
}

void CaptureWorkers::ReapFinished(std::unique_lock<std::mutex>& lock) {
  std::vector<std::thread> ended;
  for (auto it = m_workers.begin(); it != m_workers.end();) {
    if (it->finished) {
      ended.push_back(std::move(it->thread));
      it = m_workers.erase(it);
    } else {
      ++it;
    }
  }
  // A finished worker only has its return left to do; joining it never waits on the library.
  lock.unlock();
  for (std::thread& thread : ended) thread.join();
  lock.lock();
}

void CaptureWorkers::StopAll() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_stopped = true;
  m_turn.notify_all();
  for (;;) {
    const bool idle = m_pending == 0;
    lock.unlock();
    StopCaptureAllSources(nullptr);
    lock.lock();
    if (idle) break;
    // A start that entered the library just after that stop is interrupted in the next round.
    m_turn.wait_for(lock, std::chrono::milliseconds(100), [&] { return m_pending == 0; });
  }
  std::list<Worker> workers = std::move(m_workers);
  m_workers.clear();
  lock.unlock();
  for (Worker& worker : workers) worker.thread.join();
}

bool CaptureWorkers::Idle() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_pending == 0;
}

}  // namespace vantrel
