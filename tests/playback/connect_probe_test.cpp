#include "playback/connect_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/media_server.h"

namespace vantrel {
namespace {

// Waits until `done` holds; false after 20 s.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

// Lets the probe look at the server at least twice as it is now.
void LetProbeLook(const CConnectProbe& probe) {
  const int tries = probe.Tries();
  ASSERT_TRUE(WaitFor([&] { return probe.Tries() >= tries + 2; }));
}

// A server that goes away and comes back is noticed each time it is back (by name as well,
// trying each of its addresses); one that never went away (its stream failed for another
// reason) is never "back".
TEST(ConnectProbe, NoticesEachReturnOfTheServer) {
  test::MediaServer server;
  CConnectProbe steady("127.0.0.1", server.Port());
  LetProbeLook(steady);
  EXPECT_EQ(steady.Returns(), 0);

  server.StopListening();
  CConnectProbe probe("localhost", server.Port());
  LetProbeLook(probe);
  EXPECT_EQ(probe.Returns(), 0);
  server.ListenAgain();
  EXPECT_TRUE(WaitFor([&] { return probe.Returns() == 1; }));
  server.StopListening();
  LetProbeLook(probe);
  server.ListenAgain();
  EXPECT_TRUE(WaitFor([&] { return probe.Returns() == 2; }));
}

// A name that does not resolve gives no returns and no trouble; the probe ends without
// waiting for its thread.
TEST(ConnectProbe, UnresolvableHost) {
  CConnectProbe probe("no-such-host.invalid", 80);
  LetProbeLook(probe);
  EXPECT_EQ(probe.Returns(), 0);
}

}  // namespace
}  // namespace vantrel
