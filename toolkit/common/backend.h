// The contract between the shared toolkit code and one backend.
//
// The shared code (toolkit/common) decides behaviour: the toolkit's life
// cycle and last_error() texts, the image table and load_bitmap(), the event
// record, the window-event queue and the steps of wait_event(), the start-up
// window events, tab order and combo-box matching (gadget_table.h, combo.h),
// and, for the backends that keep the window's drawing in a canvas, the
// drawing operations (canvas_drawing.cpp).
// A backend translates: it opens the platform, makes and frees platform
// pictures, and reports what its controls do through the record_* / queue_*
// calls below, from inside pump_message(). Nothing here is visible to the
// program.
//
// Link: the shared core is compiled into each backend's own library
// (ferrant_toolkit_core objects, and ferrant_toolkit_canvas_drawing ones for
// a canvas-keeping backend), so the core and the hooks it calls always
// resolve each other whatever the link order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/canvas.h"
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

// Ends a drawing phase without presenting it, for close_platform() of a
// backend that draws through the shared canvas drawing.
void forget_drawing_phase();

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

// The bytes of a file the program names (load_bitmap()), at most
// common::kMaxImageFileBytes; nothing when there is no such file. The
// desktop backends read the file system (common::read_file_bytes()); the
// page hands over the files it fetched from beside it.
std::optional<std::vector<std::uint8_t>> file_bytes(const std::string& name);

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

// Shows the hint (a balloon with title and text) beside the text field, in
// place of one that shows; the backend ends it by itself after
// `milliseconds` and then calls common::forget_field_hint().
void show_field_hint(int gadget, std::string_view title, std::string_view text, int milliseconds);
// Ends the hint that shows.
void hide_field_hint();

// --- implemented by the backends that keep the window's drawing in a canvas
// (all but Win32, which draws natively), called by the shared drawing
// operations (canvas_drawing.cpp) ------------------------------------------

// The canvas of that window, nullptr when there is none (no such window, or
// nothing to paint on). Asked on every drawing call; the result is not kept.
common::Canvas* window_canvas(int window);

// A drawing phase on a window with a canvas ended: bring its touched area
// [x0, x1) x [y0, y1) of the canvas to the screen. Called even when the area
// is empty (x0 >= x1 or y0 >= y1).
void present_drawing(int x0, int y0, int x1, int y1);

// A box or a text was just painted into the window's canvas (arguments as
// draw_box() and draw_text() had them, `end` the x after the text), for a
// backend that describes the drawing in other ways too.
void box_drawn(int x, int y, int w, int h);
void text_drawn(int x, int y, int end, std::string_view text);

}  // namespace tk::backend
