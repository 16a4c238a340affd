// A fresh headless toolkit with a window for every test, and helpers that
// pump the message queue like the program's event loop does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace toolkit_test {

struct Event {
  int code;
  int item;
  int type;
  bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{" << e.code << ", " << e.item << ", " << e.type << "}";
}

// The event a wait_event() returns; item and type only for gadget and menu
// events (-1 otherwise, so expectations stay short).
inline Event next_event() {
  const int code = tk::wait_event();
  if (code == tk::kEventGadget || code == tk::kEventMenu) {
    return Event{code, tk::event_gadget(), tk::event_type()};
  }
  return Event{code, -1, -1};
}

// Every wait_event() return until nothing is pending.
inline std::vector<Event> drain() {
  std::vector<Event> events;
  while (tk::headless::has_pending()) {
    events.push_back(next_event());
  }
  return events;
}

inline Event gadget_event(int gadget, int type) { return Event{tk::kEventGadget, gadget, type}; }
inline Event raw(int message) { return Event{message, -1, -1}; }

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit());
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "Test window", tk::kStyleMainWindow));
  }
  void TearDown() override { tk::headless::reset(); }

  // The window's own start-up events, so that tests begin idle.
  void settle() { drain(); }
};

}  // namespace toolkit_test
