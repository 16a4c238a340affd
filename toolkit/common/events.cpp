// The event record, the window-event queue and wait_event(), shared by every
// backend. A backend reports what its controls do through record_event() and
// queue_window_event() while tk::backend::pump_message() handles a message.
#include <deque>

#include "toolkit/common/backend.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

struct QueuedWindowEvent {
  int code;
  int window;
};

struct PendingEvent {
  int code = 0;
  int item = 0;
  int type = kTypeNone;
};

// The toolkit's one event record. The program runs on one thread; nothing
// here is touched from any other.
struct EventState {
  bool has_pending = false;
  PendingEvent pending;              // recorded, not yet reported
  int item = 0;                      // event_gadget() / event_menu_item()
  int type = kTypeNone;              // event_type()
  int window = 0;                    // event_window()
  std::deque<QueuedWindowEvent> window_events;
};

EventState& state() {
  static EventState events;
  return events;
}

}  // namespace

namespace common {

void record_event(int code, int item, int type) {
  // A focus move ends the hint of a field that refused a character.
  if (code == kEventGadget && (type == kTypeFocusGained || type == kTypeFocusLost ||
                               type == kTypeComboSetFocus || type == kTypeComboKillFocus)) {
    dismiss_field_hint();
  }
  EventState& events = state();
  events.pending = PendingEvent{code, item, type};
  events.has_pending = true;
}

void record_text_change(int gadget) {
  record_event(kEventGadget, gadget, kTypeEditUpdate);
  record_event(kEventGadget, gadget, kTypeEditChange);
}

void queue_window_opened(int window) {
  queue_window_event(kEventSize, window);
  queue_window_event(kEventMove, window);
  queue_window_event(kEventActivate, window);
}

void queue_window_event(int code, int window) {
  auto& queue = state().window_events;
  if (!queue.empty() && queue.back().code == code && queue.back().window == window) {
    return;
  }
  queue.push_back(QueuedWindowEvent{code, window});
}

bool has_queued_window_events() { return !state().window_events.empty(); }

bool has_recorded_event() { return state().has_pending; }

void reset_events() { state() = EventState{}; }

}  // namespace common

int wait_event() {
  EventState& events = state();
  events.type = kTypeNone;

  if (!events.window_events.empty()) {
    const QueuedWindowEvent next = events.window_events.front();
    events.window_events.pop_front();
    events.window = next.window;
    // A window event takes precedence and swallows a gadget or menu event
    // recorded before this wait (for example by set_gadget_text).
    events.has_pending = false;
    return next.code;
  }

  const int message = backend::pump_message();
  if (events.has_pending) {
    events.has_pending = false;
    events.item = events.pending.item;
    events.type = events.pending.type;
    return events.pending.code;
  }
  return message;
}

int event_gadget() { return state().item; }
int event_menu_item() { return state().item; }
int event_type() { return state().type; }
int event_window() { return state().window; }

}  // namespace tk
