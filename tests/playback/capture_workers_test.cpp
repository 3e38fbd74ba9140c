// The worker threads behind the record button: one library call at a time, in the order asked,
// and nothing more once the window has stopped everything.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <mutex>
#include <string>
#include <thread>

#include "playback/capture_workers.h"

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

// Calls that write their names in the order they return; a gated call holds on until the gate
// opens.
struct Journal {
  std::mutex mutex;
  std::string order;
  std::atomic<bool> gatedEntered{false};

  std::function<int32_t()> Call(char name, int32_t result, std::latch* gate = nullptr) {
    return [this, name, result, gate] {
      if (gate != nullptr) {
        gatedEntered = true;
        gate->wait();
      }
      std::lock_guard<std::mutex> lock(mutex);
      order += name;
      return result;
    };
  }
  std::string Order() {
    std::lock_guard<std::mutex> lock(mutex);
    return order;
  }
};

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) std::this_thread::sleep_for(5ms);
  return condition();
}

}  // namespace

// A stop asked while its start is still busy runs after that start, never beside or before it;
// each caller hears its own call's result.
TEST(CaptureWorkersTest, CallsRunOneAtATimeInOrder) {
  Journal journal;
  std::latch gate(1);
  std::string results;  // written by one worker at a time
  const auto note = [&](int32_t r) { results += std::to_string(r); };
  CaptureWorkers workers;
  workers.Post(journal.Call('A', 1, &gate), note);
  workers.Post(journal.Call('B', 2), note);
  workers.Post(journal.Call('C', 3), note);
  // Time for a wrongly unordered call to overtake; the right order does not depend on it.
  std::this_thread::sleep_for(50ms);
  gate.count_down();
  ASSERT_TRUE(WaitFor([&] { return workers.Idle(); }));
  EXPECT_EQ(journal.Order(), "ABC");
  EXPECT_EQ(results, "123");
}

// StopAll waits for the call under way, drops those not begun (their callers hear nothing) and
// refuses later ones.
TEST(CaptureWorkersTest, StopAllDropsWhatHasNotBegun) {
  Journal journal;
  std::latch gate(1);
  std::atomic<int> heard{0};
  CaptureWorkers workers;
  workers.Post(journal.Call('A', 0, &gate));
  workers.Post(journal.Call('B', 0), [&](int32_t) { ++heard; });
  ASSERT_TRUE(WaitFor([&] { return journal.gatedEntered.load(); }));
  std::thread opener([&] {
    std::this_thread::sleep_for(100ms);
    gate.count_down();
  });
  workers.StopAll();
  opener.join();
  workers.Post(journal.Call('D', 0), [&](int32_t) { ++heard; });
  EXPECT_TRUE(workers.Idle());
  EXPECT_EQ(journal.Order(), "A");
  EXPECT_EQ(heard, 0);
}
