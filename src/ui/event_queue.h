// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>

#include "ui/ui_types.h"

namespace qbus::ui {

// The first-in first-out queue of events waiting to be taken, with the suppression counter that
// keeps the program's own changes to controls from raising events.
class EventQueue {
 public:
  // Queues `event`, unless suppression is raised or the newest waiting event is identical to it
  // (identical events that follow each other merge while they wait; codes of 65536 and more
  // never merge).
  void Raise(const EventRecord& event);

  bool Empty() const { return events_.empty(); }

  // Removes and returns the oldest event. The queue must not be empty.
  EventRecord Take();

  // Removes every waiting control event of `control`; other events keep their order.
  void DiscardControlEvents(int control);

  int suppression() const { return suppression_; }

 private:
  friend class SuppressEvents;
  std::deque<EventRecord> events_;
  int suppression_ = 0;
};

// Raises the queue's suppression for its lifetime: events raised meanwhile are dropped.
class SuppressEvents {
 public:
  explicit SuppressEvents(EventQueue& queue) : queue_(queue) { ++queue_.suppression_; }
  ~SuppressEvents() { --queue_.suppression_; }
  SuppressEvents(const SuppressEvents&) = delete;
  SuppressEvents& operator=(const SuppressEvents&) = delete;

 private:
  EventQueue& queue_;
};

}  // namespace qbus::ui
