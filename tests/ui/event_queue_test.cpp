// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include "ui/window_metrics.h"

namespace qbus::ui {
namespace {

std::vector<EventRecord> Drain(EventQueue& queue) {
  std::vector<EventRecord> events;
  while (!queue.Empty()) events.push_back(queue.Take());
  return events;
}

TEST(EventQueue, MergesOnlyIdenticalEventsThatFollowEachOther) {
  EventQueue queue;
  queue.Raise({kControlEvent, 3, 0, 4});
  queue.Raise({kControlEvent, 3, 0, 4});  // merged
  queue.Raise({kControlEvent, 3, 0, 5});  // another type
  queue.Raise({kControlEvent, 3, 0, 4});  // not the newest any more
  queue.Raise({70000, 0, 0, 0});
  queue.Raise({70000, 0, 0, 0});  // codes above 65535 never merge
  EXPECT_EQ(Drain(queue), (std::vector<EventRecord>{{kControlEvent, 3, 0, 4},
                                                    {kControlEvent, 3, 0, 5},
                                                    {kControlEvent, 3, 0, 4},
                                                    {70000, 0, 0, 0},
                                                    {70000, 0, 0, 0}}));
  queue.Raise({kControlEvent, 3, 0, 4});
  EXPECT_EQ(queue.Take(), (EventRecord{kControlEvent, 3, 0, 4})) << "merging only while waiting";
}

TEST(EventQueue, SuppressionDropsEventsAndNestsAndEndsWithItsScope) {
  EventQueue queue;
  {
    SuppressEvents outer(queue);
    {
      SuppressEvents inner(queue);
      queue.Raise({kControlEvent, 1, 0, 0});
      EXPECT_EQ(queue.suppression(), 2);
    }
    queue.Raise({kControlEvent, 2, 0, 0});
  }
  EXPECT_TRUE(queue.Empty());
  queue.Raise({kControlEvent, 3, 0, 0});
  EXPECT_FALSE(queue.Empty());
}

TEST(EventQueue, DiscardRemovesOnlyTheControlEventsOfOneControl) {
  EventQueue queue;
  queue.Raise({kControlEvent, 8, 0, 0});
  queue.Raise({kControlEvent, 9, 0, 0});
  queue.Raise({kCloseEvent, 0, 0, 0});
  queue.Raise({kControlEvent, 8, 0, 4});
  queue.Raise({12345, 8, 0, 0});
  queue.Raise({kControlEvent, 10, 0, 0});
  queue.DiscardControlEvents(8);
  EXPECT_EQ(Drain(queue), (std::vector<EventRecord>{{kControlEvent, 9, 0, 0},
                                                    {kCloseEvent, 0, 0, 0},
                                                    {12345, 8, 0, 0},
                                                    {kControlEvent, 10, 0, 0}}));
}

TEST(WindowMetrics, CentringLimitsTheOuterSizeToTheScreenAndTruncates) {
  EXPECT_EQ(CentredPosition(1920, 1080, 1006, 459).x, 457);
  EXPECT_EQ(CentredPosition(1920, 1080, 1006, 459).y, 310);
  EXPECT_EQ(CentredPosition(1025, 769, 1000, 430).x, 12);
  EXPECT_EQ(CentredPosition(1025, 769, 1000, 430).y, 169);
  EXPECT_EQ(CentredPosition(800, 600, 1006, 459).x, 0) << "wider than the screen";
  EXPECT_EQ(CentredPosition(800, 600, 1006, 459).y, 70);
  EXPECT_EQ(CentredPosition(1280, 400, 1006, 459).x, 137);
  EXPECT_EQ(CentredPosition(1280, 400, 1006, 459).y, 0) << "taller than the screen";
}

TEST(WindowMetrics, FontHeightsRoundHalfAwayFromZero) {
  EXPECT_EQ(FontPixelHeight(7, 96), 9);    // 9.33
  EXPECT_EQ(FontPixelHeight(9, 96), 12);   // 12
  EXPECT_EQ(FontPixelHeight(5, 120), 8);   // 8.33
  EXPECT_EQ(FontPixelHeight(7, 120), 12);  // 11.67
  EXPECT_EQ(FontPixelHeight(3, 144), 6);   // 6
  EXPECT_EQ(FontPixelHeight(1, 36), 1);    // 0.5 rounds up
  EXPECT_EQ(FontPixelHeight(-1, 36), -1);  // and away from zero below it
}

}  // namespace
}  // namespace qbus::ui
