// The contract between the shared toolkit code and one backend.
//
// The shared code (toolkit/common) decides behaviour: the toolkit's life
// cycle and last_error() texts, the image table and load_bitmap(), the event
// record, the window-event queue and the steps of wait_event(), the start-up
// window events, tab order and combo-box matching (gadget_table.h, combo.h).
// A backend translates: it opens the platform, makes and frees platform
// pictures, and reports what its controls do through the record_* / queue_*
// calls below, from inside pump_message(). Nothing here is visible to the
// program.
//
// Link: the shared core is compiled into each backend's own library
// (ferrant_toolkit_core objects), so the core and the hooks it calls always
// resolve each other whatever the link order.
#pragma once

#include <string>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/messages.h"
#include "toolkit/toolkit.h"

namespace tk::common {

// --- provided by the shared code, called by backends -----------------------

// A gadget or menu event (code kEventGadget or kEventMenu) recorded while a
// platform message is handled. A later record overwrites an earlier one that
// wait_event() has not reported yet: of several notifications sent while one
// message is handled, the last counts.
void record_event(int code, int item, int type);

// A text field's content changed: EN_UPDATE then EN_CHANGE (the one
// reported), whether the user typed or the program wrote the text.
void record_text_change(int gadget);

// A window event (close, repaint, move, size, activate ...). Queued first in
// first out; an event equal to the newest queued one (same code and window)
// is not queued again.
void queue_window_event(int code, int window);

// The window events of a window just created and shown, the same on every
// backend: its size, its move, its activation. A backend calls this once the
// window is up and queues none of these itself during its creation.
void queue_window_opened(int window);

// True while window events wait in the queue.
bool has_queued_window_events();

// True while a recorded gadget or menu event waits to be reported.
bool has_recorded_event();

// Forgets the record and the queue.
void reset_events();

// Whether init_toolkit() succeeded and close_toolkit() has not run since.
bool toolkit_ready();

// For create_window(): true when the toolkit is ready, else false with
// last_error() saying that init_toolkit() comes first.
bool window_may_open();

// Sets the text last_error() gives.
void set_last_error(std::string text);

// The decoded pixels of a loaded image, nullptr for kNoBitmap or a handle no
// loaded image has (any more).
const DecodedImage* find_image(Bitmap handle);

}  // namespace tk::common

namespace tk::backend {

// --- implemented by every backend, called by the shared code ----------------

// Reaches the windowing system. False, with the reason in `error`, when it
// cannot. Called by init_toolkit() only while the toolkit is closed.
bool open_platform(std::string& error);

// Destroys the window with its gadgets and menu, ends a drawing phase and
// forgets the platform messages not yet handled. The platform itself may
// stay connected for a later open_platform().
void close_platform();

// Makes the platform's picture of decoded pixels: the handle load_bitmap()
// returns and image views show. kNoBitmap when it cannot.
Bitmap make_image(const common::DecodedImage& image);

// Frees a picture made by make_image(). Image views that show it show
// nothing from then on.
void free_image(Bitmap image);

// Blocks until the next platform message for the program's thread, handles
// it (which may record a gadget or menu event or queue window events) and
// returns the platform's identifier of that message (for example
// kMsgMouseMove). One call handles exactly one message.
int pump_message();

}  // namespace tk::backend
