#include <gtest/gtest.h>

#include <set>

#include "test_platform.h"

namespace velk0 {
namespace {

class StopTest : public testing::PlatformTest {};

// Wherever the request to stop comes (before each message, wait and box in
// turn, until the run ends first), on the way out every note that was sent
// is let go and the device is closed; a request before anything sends nothing.
TEST_F(StopTest, ARequestToStopAtAnyMomentLeavesNoNoteOn) {
  bool stopped = true;
  int checks = 0;
  for (; stopped; ++checks) {
    start();
    stop_after(checks);
    stopped = false;
    try {
      run({"#w1", "o3 c d", "@xx", "#t2", "c e g"});
    } catch (const testing::StopRequested&) {
      stopped = true;
    }
    shutdown();
    std::multiset<int> sounding;
    for (const auto& m : midi()) {
      if ((m[0] & 0xF0) == 0x90) sounding.insert(m[1]);
      if ((m[0] & 0xF0) == 0x80 && sounding.count(m[1])) sounding.erase(sounding.find(m[1]));
    }
    EXPECT_TRUE(sounding.empty()) << checks << "\n" << trace();
    EXPECT_EQ(events("open").size(), events("close").size()) << checks;
    if (checks == 0) {
      EXPECT_EQ(trace(), "");
    }
  }
  EXPECT_GT(checks, 20);
}

}  // namespace
}  // namespace velk0
