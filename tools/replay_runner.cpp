#include "tools/replay_runner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "app/app.h"
#include "cli/output.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace replay {
namespace {

namespace hl = tk::headless;

void append_field(std::string& out, std::string_view name, const std::string& value, bool& first) {
  if (!first) out += ", ";
  first = false;
  out += json_string(name);
  out += ": ";
  out += value;
}

}  // namespace

std::string json_string(std::string_view utf8) {
  std::string out;
  cli::append_json_string(out, utf8);
  return out;
}

std::string json_float(float value) {
  if (!std::isfinite(value)) return "null";  // JSON has no infinities
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool Session::start() {
  if (!tk::init_toolkit()) {
    error_ = "cannot open the window: " + tk::last_error();
    return false;
  }
  started_ = true;
  if (!app::start_up(state_)) {
    error_ = "cannot open the window: " + tk::last_error();
    return false;
  }
  running_ = true;
  app::begin_pass(state_);
  settle();
  return true;
}

Session::~Session() {
  if (started_) app::end_program();
}

void Session::settle() {
  while (running_ && hl::has_pending()) {
    const int event = tk::wait_event();
    ++passes_;
    if (app::finish_pass(state_, event)) {
      app::begin_pass(state_);
    } else {
      running_ = false;
      exit_code_ = 0;
    }
  }
}

bool Session::focus_and_select(int gadget) {
  if (!hl::exists(gadget)) return false;
  hl::focus(gadget);
  settle();
  if (!running_ || hl::focused_gadget() != gadget) return false;
  hl::select_all(gadget);
  return true;
}

bool Session::play(const Command& command, std::ostream& out) {
  if (command.action == Action::Dump) {
    out << dump_json() << '\n';
    return true;
  }
  if (command.action == Action::Png) return save_png(command.text);
  if (!running_) return true;

  const auto fits_int = [](std::int64_t v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
  };
  switch (command.action) {
    case Action::Type:
      if (focus_and_select(command.gadget)) hl::type_text(command.text);
      break;
    case Action::Paste:
      if (focus_and_select(command.gadget)) hl::paste(command.text);
      break;
    case Action::Clear:
      if (focus_and_select(command.gadget)) hl::delete_selection();
      break;
    case Action::Pick:
      if (fits_int(command.number)) hl::pick(command.gadget, static_cast<int>(command.number));
      break;
    case Action::OpenClose: hl::open_close(command.gadget); break;
    case Action::Click: hl::click(command.gadget); break;
    case Action::Focus: hl::focus(command.gadget); break;
    case Action::Tab: hl::tab(); break;
    case Action::Backtab: hl::backtab(); break;
    case Action::Menu:
      if (fits_int(command.number)) hl::choose_menu(static_cast<int>(command.number));
      break;
    case Action::Move:
      // In slices, so that a long run does not queue all its messages at once.
      for (std::int64_t left = command.number; left > 0 && running_;) {
        const int slice = static_cast<int>(std::min<std::int64_t>(left, 1000));
        hl::move_mouse(slice);
        settle();
        left -= slice;
      }
      break;
    case Action::Repaint: hl::system_repaint(); break;
    case Action::Close: hl::close_box(); break;
    case Action::Dump:
    case Action::Png: break;
  }
  settle();
  return true;
}

bool Session::save_png(const std::string& path) {
  if (hl::save_png(path, picture_dpi_)) return true;
  error_ = tk::last_error();
  return false;
}

std::string Session::dump_json() const {
  std::string out = "{";
  bool first = true;
  append_field(out, "running", running_ ? "true" : "false", first);
  append_field(out, "exit_code", exit_code_ ? std::to_string(*exit_code_) : "null", first);
  append_field(out, "passes", std::to_string(passes_), first);

  std::string gadgets = "{";
  bool first_gadget = true;
  for (int number : hl::gadget_numbers()) {
    std::string entry = "{";
    bool first_entry = true;
    append_field(entry, "text", json_string(hl::text(number)), first_entry);
    if (hl::kind(number) == hl::GadgetKind::ImageView) {
      const hl::Rect size = hl::image_size(number);
      append_field(entry, "width", std::to_string(size.w), first_entry);
      append_field(entry, "height", std::to_string(size.h), first_entry);
    } else {
      append_field(entry, "state", std::to_string(hl::state(number)), first_entry);
    }
    entry += "}";
    append_field(gadgets, std::to_string(number), entry, first_gadget);
  }
  gadgets += "}";
  append_field(out, "gadgets", gadgets, first);

  std::string urls = "[";
  bool first_url = true;
  for (const std::string& url : hl::opened_urls()) {
    if (!first_url) urls += ", ";
    first_url = false;
    urls += json_string(url);
  }
  urls += "]";
  append_field(out, "urls", urls, first);

  const app::ProgramState& s = state_;
  std::string state = "{";
  bool first_var = true;
  const auto integer = [&](std::string_view name, std::int32_t value) {
    append_field(state, name, std::to_string(value), first_var);
  };
  const auto real = [&](std::string_view name, float value) {
    append_field(state, name, json_float(value), first_var);
  };
  integer("baserate", s.baserate);
  real("reach_factor", s.reach_factor);
  real("ohm_per_m", s.ohm_per_m);
  real("rate_coef", s.rate_coef);
  real("distance_m", s.distance_m);
  integer("max_baserate", s.max_baserate);
  real("target_distance_m", s.target_distance_m);
  real("reach_factor_2", s.reach_factor_2);
  real("ohm_per_m_2", s.ohm_per_m_2);
  real("rate_coef_2", s.rate_coef_2);
  real("line_rate_kbps", s.line_rate_kbps);
  integer("pass_count", s.pass_count);
  integer("current_event", s.current_event);
  integer("quit_flag", s.quit_flag);
  integer("layout_y", s.layout_y);
  real("pellion_distance_m", s.pellion_distance_m);
  integer("possible_baserate", s.possible_baserate);
  state += "}";
  append_field(out, "state", state, first);
  out += "}";
  return out;
}

}  // namespace replay
