// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/event_queue.h"

#include <algorithm>
#include <cassert>

namespace qbus::ui {

void EventQueue::Raise(const EventRecord& event) {
  if (suppression_ > 0) return;
  if (event.code < 65536 && !events_.empty() && events_.back() == event) return;
  events_.push_back(event);
}

EventRecord EventQueue::Take() {
  assert(!events_.empty());
  const EventRecord event = events_.front();
  events_.pop_front();
  return event;
}

void EventQueue::DiscardControlEvents(int control) {
  std::erase_if(events_, [control](const EventRecord& e) {
    return e.code == kControlEvent && e.control == control;
  });
}

}  // namespace qbus::ui
