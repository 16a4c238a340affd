// ferrant-prerender TEMPLATE OUTPUT: writes the page OUTPUT from the page
// template TEMPLATE with the program's window at its start in place of the
// line "<!-- the prerendered window -->": the window the browser backend
// builds (toolkit/web/page.js), as HTML, so that the page is complete the
// moment it is read. The window is the program's own: it runs on the
// headless backend up to its first wait, from the working folder (which
// holds the logo), and what it shows then is written out: the menu bar, every
// gadget with its start text, the accessible names, and the drawing and the
// logo as pictures over their canvases (data-start-picture), which the page
// drops once the program shows its own.
//
// The markup follows page.js element by element (the web end-to-end test
// compares the two); when the program starts, page.js adopts these elements
// instead of building its own.
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/accessibility.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/typing.h"
#include "toolkit/headless/driver.h"
#include "tools/replay_runner.h"

namespace {

namespace headless = tk::headless;
using tk::GadgetKind;

constexpr std::string_view kMarker = "<!-- the prerendered window -->";

std::string escaped(std::string_view text, bool attribute) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      default: out += c;
    }
  }
  return out;
}
std::string text_of(std::string_view text) { return escaped(text, false); }
std::string attr(std::string_view text) {
  std::string quoted(1, '"');
  quoted += escaped(text, true);
  quoted += '"';
  return quoted;
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) << 16 |
                            (i + 1 < bytes.size() ? static_cast<std::uint32_t>(bytes[i + 1]) << 8 : 0u) |
                            (i + 2 < bytes.size() ? static_cast<std::uint32_t>(bytes[i + 2]) : 0u);
    out += kDigits[n >> 18 & 63];
    out += kDigits[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// RGBA pixels as a PNG data address, with a palette when they have at most
// 256 colours (the drawing and the logo do: a third of the bytes); empty
// when libpng cannot write them.
std::string png_address(int width, int height, const std::vector<std::uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  std::map<std::uint32_t, std::uint8_t> palette;
  std::vector<std::uint8_t> indexes;
  for (std::size_t i = 0; i + 3 < rgba.size() && palette.size() <= 256; i += 4) {
    std::uint32_t colour = 0;
    for (std::size_t k = 0; k < 4; ++k) colour = colour << 8 | rgba[i + k];
    const auto [entry, added] = palette.emplace(colour, static_cast<std::uint8_t>(palette.size()));
    indexes.push_back(entry->second);
  }
  std::vector<std::uint8_t> colour_map;
  const void* pixels = rgba.data();
  if (palette.size() <= 256) {
    colour_map.resize(palette.size() * 4);
    for (const auto& [colour, index] : palette) {
      for (std::size_t k = 0; k < 4; ++k) colour_map[index * 4u + k] = static_cast<std::uint8_t>(colour >> (24 - 8 * k));
    }
    image.format |= PNG_FORMAT_FLAG_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(palette.size());
    pixels = indexes.data();
  }
  const void* map = colour_map.empty() ? nullptr : colour_map.data();
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, map) == 0) return {};
  std::vector<std::uint8_t> bytes(size);
  if (png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, map) == 0) return {};
  bytes.resize(size);
  return "data:image/png;base64," + base64(bytes);
}

std::string style_box(const headless::Rect& r) {
  return "left: " + std::to_string(r.x) + "px; top: " + std::to_string(r.y) + "px; width: " + std::to_string(r.w) +
         "px; height: " + std::to_string(r.h) + "px;";
}

// The accessible outline as page.js shows it: per element its role
// attribute, aria-hidden and aria-label, per frame its members.
struct Access {
  bool in_tree = false;
  tk::common::AccessibleRole role = tk::common::AccessibleRole::Text;
  std::string name;
  std::vector<std::size_t> members;  // a frame's, indices in reading order
  std::string news;                  // a frame's
};

class PageWriter {
 public:
  PageWriter() : gadgets_(headless::gadgets_in_creation_order()), parts_(headless::drawing_descriptions()) {
    std::vector<tk::common::AccessibleGadget> outline_input;
    for (const auto& g : gadgets_) {
      const bool holds_text = g.kind != GadgetKind::TextField && g.kind != GadgetKind::ComboBox;
      outline_input.push_back({g.number, g.kind, g.rect.x, g.rect.y, g.rect.w, g.rect.h,
                               holds_text ? std::string_view(g.text) : std::string_view(), g.flags});
    }
    for (const auto& part : parts_) {
      outline_input.push_back({tk::kAnonymous, GadgetKind::ImageView, part.rect.x, part.rect.y, part.rect.w,
                               part.rect.h, part.text, 0});
    }
    access_.resize(outline_input.size());
    const tk::common::AccessibleOutline outline = tk::common::accessible_outline(outline_input);
    for (const auto& node : outline.nodes) {
      Access& a = access_[node.gadget];
      a.in_tree = true;
      a.role = node.role;
      a.name = node.name;
      (node.group < 0 ? top_level_ : access_[static_cast<std::size_t>(node.group)].members).push_back(node.gadget);
    }
    for (const auto& [frame, news] : outline.news) access_[frame].news = news;
  }

  std::string window() const {
    const std::string title = headless::window_title();
    std::string out = "<div data-window=\"\" class=\"window\" role=\"region\" aria-label=" + attr(title) +
                      " data-prerendered=" + attr(typing_rules()) + ">";
    out += "<div class=\"caption\"><h1 data-window-title=\"\">" + text_of(title) +
           "</h1><button data-window-close=\"\" aria-label=\"Close\" title=\"Close\" tabindex=\"-1\">\u00d7</button></div>";
    out += "<div role=\"menubar\" data-menu-bar=\"\" class=\"menubar\">";
    const auto menu = headless::menu();
    for (std::size_t i = 0; i < menu.size(); ++i) {
      out += "<div role=\"menuitem\" aria-haspopup=\"true\" aria-expanded=\"false\" class=\"title\" data-menu-title=\"" +
             std::to_string(i) + "\">" + text_of(menu[i].text) + "<div role=\"menu\" class=\"menu\" aria-label=" +
             attr(menu[i].text) + " hidden=\"\">";
      for (const auto& item : menu[i].items) {
        out += "<div role=\"menuitem\" data-menu-item=\"" + std::to_string(item.item) + "\">" + text_of(item.text) +
               "</div>";
      }
      out += "</div></div>";
    }
    out += "</div>";
    const int width = headless::canvas_width(), height = headless::canvas_height();
    out += "<div data-client=\"\" class=\"client\"" + owns(top_level_, "") + " style=\"width: " +
           std::to_string(width) + "px; height: " + std::to_string(height) + "px;\">";
    for (std::size_t i = 0; i < gadgets_.size(); ++i) out += gadget(i);
    for (std::size_t i = 0; i < parts_.size(); ++i) out += part(i);
    out += "<canvas data-drawing=\"\" aria-hidden=\"true\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\" style=\"width: " + std::to_string(width) + "px; height: " +
           std::to_string(height) + "px;\"></canvas>";
    const headless::Picture drawing = headless::drawing_picture();
    out += start_picture({0, 0, width, height}, png_address(drawing.width, drawing.height, drawing.rgba), 2);
    out += "<div data-context-menu=\"\" role=\"menu\" class=\"menu context\" tabindex=\"-1\" "
           "aria-label=\"Context menu\" hidden=\"\"></div>";
    out += "<div data-field-hint=\"\" role=\"alert\" class=\"hint\" id=\"ferrant-hint\" hidden=\"\">"
           "<div class=\"hint-title\"></div><div class=\"hint-text\"></div></div>";
    out += "</div></div>";
    return out;
  }

 private:
  // Element ids count up from 1 in creation order, gadgets then parts, as
  // page.js registers them.
  static std::string element_id(std::size_t index) { return "ferrant-element-" + std::to_string(index + 1); }

  std::string owns(const std::vector<std::size_t>& members, const std::string& news_id) const {
    std::string ids;
    const auto add = [&ids](const std::string& id) {
      if (!ids.empty()) ids += ' ';
      ids += id;
    };
    for (const std::size_t m : members) add(element_id(m));
    if (!news_id.empty()) add(news_id);
    return ids.empty() ? std::string() : " aria-owns=" + attr(ids);
  }

  // The role, hidden and name attributes the outline gives element `index`.
  std::string access_attributes(std::size_t index) const {
    const Access& a = access_[index];
    if (!a.in_tree) return " aria-hidden=\"true\"";
    using Role = tk::common::AccessibleRole;
    std::string out;
    if (a.role == Role::Result) out += " role=\"img\"";
    if (a.role != Role::Text && !a.name.empty()) out += " aria-label=" + attr(a.name);
    return out;
  }

  std::string gadget(std::size_t index) const {
    const headless::GadgetView& g = gadgets_[index];
    const std::string id = element_id(index);
    const std::string common = "data-gadget=\"" + std::to_string(g.number) + "\" data-kind=\"" +
                               std::to_string(static_cast<int>(g.kind)) + "\" data-flags=\"" +
                               std::to_string(g.flags) + "\"" +
                               (tk::common::takes_focus(g.kind) ? " data-takes-focus=\"\"" : "");
    const std::string placed = " style=\"" + style_box(g.rect) + "\"";
    switch (g.kind) {
      case GadgetKind::Frame: {
        const std::string news_id = "ferrant-news-" + std::to_string(index + 1);
        return "<div " + common + " class=\"frame\" role=\"group\" id=\"" + id + "\"" + access_attributes(index) +
               owns(access_[index].members, news_id) + placed + "><span class=\"frame-caption\" aria-hidden=\"true\">" +
               text_of(g.text) + "</span><div class=\"news\" role=\"status\" aria-live=\"polite\" id=\"" + news_id +
               "\">" + text_of(access_[index].news) + "</div></div>";
      }
      case GadgetKind::Label:
        return "<div " + common + " class=\"label" + ((g.flags & tk::kFlagSunken) != 0 ? " sunken" : "") +
               "\" id=\"" + id + "\"" + access_attributes(index) + placed + ">" + text_of(g.text) + "</div>";
      case GadgetKind::TextField:
        return "<input " + common + " class=\"field\" type=\"text\" maxlength=\"32767\" autocomplete=\"off\" "
               "spellcheck=\"false\"" + ((g.flags & tk::kFlagNumber) != 0 ? " inputmode=\"numeric\"" : "") +
               " id=\"" + id + "\"" + access_attributes(index) + placed + " value=" + attr(g.text) + ">";
      case GadgetKind::ComboBox: {
        const std::string list_id = "ferrant-list-" + std::to_string(index + 1);
        const bool shown = g.selected >= 0 && g.selected < static_cast<int>(g.items.size());
        std::string out = "<div " + common + " class=\"combo\" tabindex=\"0\" role=\"combobox\" aria-expanded=\"false\" "
                          "aria-controls=\"" + list_id + "\" id=\"" + id + "\"" +
                          (shown ? " aria-activedescendant=\"" + list_id + "-" + std::to_string(g.selected) + "\"" : "") +
                          access_attributes(index) + placed + "><span class=\"shown\">" +
                          (shown ? text_of(g.items[static_cast<std::size_t>(g.selected)]) : "") +
                          "</span><span class=\"arrow\" aria-hidden=\"true\"></span><div role=\"listbox\" class=\"list\" id=\"" +
                          list_id + "\" hidden=\"\">";
        for (std::size_t i = 0; i < g.items.size(); ++i) {
          out += "<div role=\"option\" aria-selected=\"" +
                 std::string(static_cast<int>(i) == g.selected ? "true" : "false") + "\" data-index=\"" +
                 std::to_string(i) + "\" id=\"" + list_id + "-" + std::to_string(i) + "\">" + text_of(g.items[i]) +
                 "</div>";
        }
        return out + "</div></div>";
      }
      case GadgetKind::Button:
        return "<button " + common + " class=\"button\" id=\"" + id + "\"" + access_attributes(index) + placed + ">" +
               text_of(g.text) + "</button>";
      case GadgetKind::ImageView: {
        const tk::common::DecodedImage* image = tk::common::find_image(g.bitmap);
        std::string out = "<canvas " + common + " class=\"image\" width=\"" + std::to_string(g.rect.w) +
                          "\" height=\"" + std::to_string(g.rect.h) + "\" role=\"img\" id=\"" + id + "\"" +
                          access_attributes(index) + placed + "></canvas>";
        if (image != nullptr) {
          std::vector<std::uint8_t> rgba;
          for (const std::uint32_t argb : image->argb) {
            rgba.insert(rgba.end(), {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                     static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
          }
          out += start_picture(g.rect, png_address(image->width, image->height, rgba), 0);
        }
        return out;
      }
    }
    return {};
  }

  std::string part(std::size_t index) const {
    const std::size_t element = gadgets_.size() + index;
    return "<div class=\"described\" role=\"img\" id=\"" + element_id(element) + "\"" + access_attributes(element) +
           " style=\"" + style_box(parts_[index].rect) + "\"></div>";
  }

  // A picture shown over a canvas until the program shows the canvas's own.
  static std::string start_picture(const headless::Rect& r, const std::string& address, int z_index) {
    if (address.empty()) return {};
    return "<img data-start-picture=\"\" alt=\"\" src=\"" + address + "\" style=\"" + style_box(r) +
           (z_index != 0 ? " z-index: " + std::to_string(z_index) + ";" : "") + " pointer-events: none;\">";
  }

  // Which typed characters the fields take before the program runs, by
  // their flags, as regular-expression character classes: the page's inline
  // script holds input to the program's own rule (field_takes_typed()).
  std::string typing_rules() const {
    std::map<std::uint32_t, std::string> rules;
    for (const auto& g : gadgets_) {
      if (g.kind != GadgetKind::TextField || rules.count(g.flags) != 0) continue;
      std::string ranges;
      char32_t first = 0;
      bool in_range = false;
      char hex[16];
      for (char32_t c = 0x20; c <= 0x110000; ++c) {
        const bool takes = c < 0x110000 && tk::common::field_takes_typed(g.flags, c);
        if (takes && !in_range) {
          first = c;
          in_range = true;
        } else if (!takes && in_range) {
          std::snprintf(hex, sizeof hex, "\\u{%X}", static_cast<unsigned>(first));
          ranges += hex;
          std::snprintf(hex, sizeof hex, "-\\u{%X}", static_cast<unsigned>(c - 1));
          ranges += hex;
          in_range = false;
        }
      }
      rules[g.flags] = "[" + ranges + "]";
    }
    std::string json = "{";
    for (const auto& [flags, rule] : rules) {
      std::string quoted;
      for (const char c : rule) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
      if (json.size() > 1) json += ',';
      json += '"';
      json += std::to_string(flags);
      json += "\":\"";
      json += quoted;
      json += '"';
    }
    return json + "}";
  }

  std::vector<headless::GadgetView> gadgets_;
  std::vector<headless::DrawingDescription> parts_;
  std::vector<Access> access_;
  std::vector<std::size_t> top_level_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: ferrant-prerender TEMPLATE OUTPUT (from the folder that holds the logo)\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  std::string page = read.str();
  const std::size_t at = page.find(kMarker);
  if (!in || at == std::string::npos) {
    std::fprintf(stderr, "ferrant-prerender: %s: cannot read it, or it lacks the line %s\n", argv[1],
                 std::string(kMarker).c_str());
    return 1;
  }
  replay::Session session;
  if (!session.start()) {
    std::fprintf(stderr, "ferrant-prerender: the program did not start: %s\n", session.error().c_str());
    return 1;
  }
  page.replace(at, kMarker.size(), PageWriter().window());
  std::ofstream out(argv[2], std::ios::binary);
  out << page;
  out.close();
  if (!out) {
    std::fprintf(stderr, "ferrant-prerender: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
