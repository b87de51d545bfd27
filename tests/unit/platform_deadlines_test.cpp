#include <gtest/gtest.h>

#include "platform/common/deadlines.h"

namespace velk0::platform {
namespace {

TEST(Deadlines, FollowOnWhileRecentAndStartAfreshAfterAPause) {
  Deadlines deadlines(50);
  EXPECT_EQ(deadlines.next(7000, 250), 7250u);  // the first starts from now
  // 3 spent sending messages since the deadline: not added to the note.
  EXPECT_EQ(deadlines.next(7253, 500), 7750u);
  EXPECT_EQ(deadlines.next(7800, 500), 8250u);  // exactly at the limit: still recent
  // The program waited in a box in between: the next note is not cut short.
  EXPECT_EQ(deadlines.next(8301, 500), 8801u);
  EXPECT_EQ(deadlines.next(20000, 1000), 21000u);
}

TEST(Deadlines, TheLongestWaitDoesNotOverflow) {
  Deadlines deadlines(50000);
  EXPECT_EQ(deadlines.next(0, 0xFFFFFFFFull * 1000), 0xFFFFFFFFull * 1000);
}

}  // namespace
}  // namespace velk0::platform
