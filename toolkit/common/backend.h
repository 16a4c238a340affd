// The contract between the shared toolkit code and one backend.
//
// Shared code (toolkit/common) owns the event record, the window-event queue
// and the steps of wait_event(); a backend owns the platform and reports what
// its controls do through the record_* / queue_* calls below, from inside
// pump_message(). Nothing here is visible to the program.
#pragma once

namespace tk::common {

// --- provided by the shared code, called by backends -----------------------

// A gadget or menu event (code kEventGadget or kEventMenu) recorded while a
// platform message is handled. A later record overwrites an earlier one that
// wait_event() has not reported yet: of several notifications sent while one
// message is handled, the last counts.
void record_event(int code, int item, int type);

// A window event (close, repaint, move, size, activate ...). Queued first in
// first out; an event equal to the newest queued one (same code and window)
// is not queued again.
void queue_window_event(int code, int window);

// True while window events wait in the queue.
bool has_queued_window_events();

// True while a recorded gadget or menu event waits to be reported.
bool has_recorded_event();

// Forgets the record and the queue (toolkit start and end).
void reset_events();

}  // namespace tk::common

namespace tk::backend {

// --- implemented by every backend, called by the shared wait_event() --------

// Blocks until the next platform message for the program's thread, handles
// it (which may record a gadget or menu event or queue window events) and
// returns the platform's identifier of that message (for example
// kMsgMouseMove). One call handles exactly one message.
//
// Link order: the backend library links ferrant_toolkit_common after itself,
// so define pump_message() in the same source file as init_toolkit() (which
// every program references); otherwise the static link may not find it.
int pump_message();

}  // namespace tk::backend
