#pragma once
// The threads that call the recording library for the record button. Each start or stop runs
// on a thread of its own, so the caller never waits for a capture to be built or torn down.
// Calls reach the library one at a time and in the order they were asked for: a stop asked
// while its start is still connecting runs after that start, never before it (which would
// leave the capture running with nobody to stop it).
//
// Requests are made from one thread (the UI thread); the workers only read the copies of the
// strings they were given. No Qt here.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel {

// What a recording's HTTP requests carry beside the address; empty members send the library's
// defaults.
struct CaptureHeaders {
  std::u16string userAgent;
  std::u16string referrer;
};

class CaptureWorkers {
 public:
  CaptureWorkers() = default;
  // Does what StopAll does, unless it has been done.
  ~CaptureWorkers();
  CaptureWorkers(const CaptureWorkers&) = delete;
  CaptureWorkers& operator=(const CaptureWorkers&) = delete;

  // StartCaptureSource(url, file), or StartCaptureSourceWithHeaders when `headers` are given;
  // `done` gets the library's result on the worker thread once the call has returned. After
  // StopAll nothing is started and `done` is never called.
  void Start(std::u16string url, std::u16string file, std::function<void(int32_t result)> done,
             CaptureHeaders headers = {});
  // StopCaptureSource(url); the result is of no interest.
  void Stop(std::u16string url);
  // Runs `call` on a thread of its own once every call posted before it has returned, then
  // `done` (when given) with its result on that thread. Dropped after StopAll.
  void Post(std::function<int32_t()> call, std::function<void(int32_t result)> done = nullptr);

  // Stops every capture the library holds, on the calling thread, and returns once no worker
  // is left. A start still waiting on the network is interrupted (it returns E_ABORT); calls
  // not yet begun are dropped. Later requests are dropped too. Costs the stop of the captures
  // plus, while a worker was busy, rounds of up to 100 ms.
  void StopAll();

  // No worker is running or waiting for its turn.
  bool Idle() const;

 private:
  struct Worker {
    std::thread thread;
    bool finished = false;
  };

  void Run(Worker& self, uint64_t ticket, const std::function<int32_t()>& call,
           const std::function<void(int32_t)>& done);
  // Joins the workers that have ended; called with the lock held.
  void ReapFinished(std::unique_lock<std::mutex>& lock);

  mutable std::mutex m_mutex;
  std::condition_variable m_turn;
  uint64_t m_nextTicket = 0;  // handed to the next request
  uint64_t m_serving = 0;     // the request whose call may run now
  int m_pending = 0;          // workers not yet ended
  bool m_stopped = false;
  std::list<Worker> m_workers;  // a list: a running worker keeps a reference to its entry
};

}  // namespace vantrel
