// bench_fltk_bare_first_frame LAUNCH_NS: a bare FLTK window with the same
// controls as the program (its gadget table, menu, font and logo), made
// directly with FLTK widgets, up to its first complete frame. Prints the
// milliseconds since LAUNCH_NS (CLOCK_REALTIME, taken just before the exec).
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/window_layout.h"
#include "toolkit/common/bitmap_loader.h"

namespace {

constexpr int kMenuHeight = 20;
constexpr int kFontSize = 11;
bool exposed = false;

int watch_expose(void* event, void*) {
  if (static_cast<XEvent*>(event)->type == Expose) exposed = true;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const long long launch = std::atoll(argv[1]);
  Fl::set_font(FL_HELVETICA, " Liberation Sans");
  FL_NORMAL_SIZE = kFontSize;
  Fl::background(240, 240, 240);
  Fl::add_system_handler(watch_expose, nullptr);

  auto* window = new Fl_Double_Window(app::kWindowX, app::kWindowY, app::kClientWidth, app::kClientHeight,
                                      std::string(app::kWindowTitle).c_str());
  auto* menu = new Fl_Menu_Bar(0, 0, app::kClientWidth, kMenuHeight);
  menu->add("Varnek/Homepage");
  menu->add("Info/Version 1.0");
  std::vector<unsigned char> logo_pixels;
  for (const app::GadgetRow& row : app::kGadgetTable) {
    const int y = row.y + kMenuHeight;
    const std::string text(row.text);
    switch (row.kind) {
      case app::GadgetKind::Frame: {
        auto* frame = new Fl_Box(FL_ENGRAVED_FRAME, row.x, y, row.w, row.h, nullptr);
        frame->copy_label(text.c_str());
        frame->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        break;
      }
      case app::GadgetKind::Label: {
        auto* label = new Fl_Box((row.flags & tk::kFlagSunken) ? FL_DOWN_BOX : FL_NO_BOX, row.x, y, row.w, row.h, nullptr);
        label->copy_label(text.c_str());
        label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_CLIP);
        break;
      }
      case app::GadgetKind::TextField:
        (new Fl_Input(row.x, y, row.w, row.h))->value("0");
        break;
      case app::GadgetKind::ComboBox: {
        auto* combo = new Fl_Choice(row.x, y, row.w, row.h);
        for (const std::string_view item : row.items) combo->add(std::string(item).c_str());
        combo->value(0);
        break;
      }
      case app::GadgetKind::Button:
        (new Fl_Button(row.x, y, row.w, row.h))->copy_label(text.c_str());
        break;
      case app::GadgetKind::ImageView: {
        auto* view = new Fl_Box(row.x, y, row.w, row.h);
        if (auto logo = tk::common::load_image_file(std::string(app::kLogoFile))) {
          for (const std::uint32_t p : logo->argb) {
            logo_pixels.push_back(static_cast<unsigned char>(p >> 16));
            logo_pixels.push_back(static_cast<unsigned char>(p >> 8));
            logo_pixels.push_back(static_cast<unsigned char>(p));
          }
          view->image(new Fl_RGB_Image(logo_pixels.data(), logo->width, logo->height, 3));
          view->size(logo->width, logo->height);
        }
        break;
      }
    }
  }
  window->end();
  window->show();
  while (!exposed) Fl::wait();
  Fl::flush();
  XSync(fl_display, False);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::printf("%.2f\n", static_cast<double>(now.tv_sec * 1'000'000'000LL + now.tv_nsec - launch) / 1e6);
  return 0;
}
