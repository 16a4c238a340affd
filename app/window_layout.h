// The main window: its gadget numbers, the gadget table in creation order,
// the combo box items and the menu.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "model/cable_catalogue.h"
#include "toolkit/toolkit.h"

// The project's VERSION (top-level CMakeLists.txt), given by the build.
#ifndef FERRANT_VERSION
#error "FERRANT_VERSION must be defined by the build"
#endif

namespace app {

inline constexpr std::string_view kWindowTitle = "Ferrant Transmission Calculation";
inline constexpr int kMainWindow = 0;
inline constexpr int kWindowX = 10;
inline constexpr int kWindowY = 0;
inline constexpr int kClientWidth = 700;
inline constexpr int kClientHeight = 680;

inline constexpr std::string_view kHomePageUrl = "https://www.varnek.example/";
inline constexpr std::string_view kLogoFile = "Varnek.bmp";
inline constexpr int kLogoImage = 0;

// --- gadget numbers the program refers to ----------------------------------
// Inputs.
inline constexpr int kBaserateField = 0;
inline constexpr int kDiameterBox1 = 1;
inline constexpr int kDistanceField = 2;
inline constexpr int kDiameterBox2 = 3;
inline constexpr int kModelBox = 4;
inline constexpr int kQuitButton = 9;
inline constexpr int kLogoView = 13;
// Labels written after creation.
inline constexpr int kLineSpeedLabel = 102;
inline constexpr int kCrossSectionLabel1 = 106;
inline constexpr int kFerrantMetresLabel = 108;
inline constexpr int kFerrantFeetLabel = 110;
inline constexpr int kPellionMetresLabel = 112;
inline constexpr int kPellionFeetLabel = 114;
inline constexpr int kDistanceFeetLabel = 117;
inline constexpr int kCrossSectionLabel2 = 119;
inline constexpr int kPossibleBaserateLabel = 125;
inline constexpr int kPossibleLineSpeedLabel = 127;
inline constexpr int kCableResistanceLabel1 = 200;
inline constexpr int kUpperOhmLabel1 = 201;
inline constexpr int kLowerOhmLabel1 = 202;
inline constexpr int kCableResistanceLabel2 = 203;
inline constexpr int kUpperOhmLabel2 = 204;
inline constexpr int kLowerOhmLabel2 = 205;

// Written into the model box at start: no item has this text, so the box
// starts without a selection (and the model limit at its start value).
inline constexpr std::string_view kModelBoxStartText = "Tamsel2+";

// --- layout -----------------------------------------------------------------
// Panel rows are placed from a running y: panel 1's frame at 20, its rows 30
// below it and 50 apart; panel 2's frame 100 below panel 1's last row step.
inline constexpr int kPanel1FrameY = 20;
inline constexpr int kFrameToFirstRow = 30;
inline constexpr int kRowStep = 50;
inline constexpr int kRowsPerPanel = 4;
inline constexpr int kPanelGap = 100;
inline constexpr int kPanel1RowY = kPanel1FrameY + kFrameToFirstRow;
inline constexpr int kPanel2FrameY = kPanel1RowY + kRowsPerPanel * kRowStep + kPanelGap;
inline constexpr int kPanel2RowY = kPanel2FrameY + kFrameToFirstRow;
inline constexpr int kLayoutEndY = kPanel2RowY + kRowsPerPanel * kRowStep;
static_assert(kPanel2FrameY == 350 && kLayoutEndY == 580);

// Within a row: the caption at the row's y, the input or result box 16 below,
// the labels beside it 18 below.
constexpr int caption_y(int first_row_y, int row) { return first_row_y + row * kRowStep; }
constexpr int box_y(int first_row_y, int row) { return caption_y(first_row_y, row) + 16; }
constexpr int side_y(int first_row_y, int row) { return caption_y(first_row_y, row) + 18; }

using tk::GadgetKind;

struct GadgetRow {
  GadgetKind kind;
  int number;  // tk::kAnonymous for the frames
  int x, y, w, h;
  std::string_view text;  // at creation; empty for none
  std::uint32_t flags;    // labels and text fields
  std::span<const std::string_view> items;  // combo boxes, appended in order
};

inline constexpr std::array<std::string_view, 11> kDiameterItems = [] {
  std::array<std::string_view, 11> items{};
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = model::kCableCatalogue[i].box_item;
  return items;
}();

inline constexpr std::array<std::string_view, 4> kModelItems = [] {
  std::array<std::string_view, 4> items{};
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = model::kModemModels[i].name;
  return items;
}();

inline constexpr std::string_view kRowMeter = "Meter = ";
inline constexpr std::string_view kLineSpeedCaption = "x 64kbit/s = DSL Line Speed =";
inline constexpr std::string_view kDiameterCaption = "Enter Cable Diameter: 0.4mm .. 1.4mm";
inline constexpr std::string_view kStartResistanceText = "Cable Resistance = 137 Ohm/km";
inline constexpr std::string_view kStartOhmText = "0 Ohm";

namespace rows {
using K = GadgetKind;
inline constexpr int P1 = kPanel1RowY;
inline constexpr int P2 = kPanel2RowY;
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kNum = tk::kFlagNumber;
inline constexpr std::uint32_t kSunk = tk::kFlagSunken;
inline constexpr std::span<const std::string_view> kNoItems{};
}  // namespace rows

// Every gadget of the window, in creation order. Start-up creates the rows up
// to the Quit button, then the logo view with the loaded bitmap, and the six
// resistance labels (the last rows) among its initial texts.
inline constexpr std::array<GadgetRow, 46> kGadgetTable = [] {
  using namespace rows;
  return std::array<GadgetRow, 46>{{
      // Panel 1: baserate and cable to distance.
      {K::Frame, tk::kAnonymous, 10, kPanel1FrameY, 680, 300, "Baserate/Cable ---> Distance ...", kNone, kNoItems},
      {K::Label, 100, 20, caption_y(P1, 0), 200, 16, "Enter Baserate: 3 .. 238", kNone, kNoItems},
      {K::TextField, kBaserateField, 20, box_y(P1, 0), 30, 20, "", kNum, kNoItems},
      {K::Label, 101, 55, side_y(P1, 0), 150, 16, kLineSpeedCaption, kNone, kNoItems},
      {K::Label, kLineSpeedLabel, 205, side_y(P1, 0), 70, 16, "", kNone, kNoItems},
      {K::Label, 104, 20, caption_y(P1, 1), 200, 16, kDiameterCaption, kNone, kNoItems},
      {K::ComboBox, kDiameterBox1, 20, box_y(P1, 1), 50, 20, "", kNone, kDiameterItems},
      {K::Label, kCrossSectionLabel1, 75, side_y(P1, 1), 150, 16, "mm", kNone, kNoItems},
      {K::Label, 107, 20, caption_y(P1, 2), 260, 16, "Possible Distance for Ferrant_II,III,IV", kNone, kNoItems},
      {K::Label, kFerrantMetresLabel, 20, box_y(P1, 2), 50, 20, "", kSunk, kNoItems},
      {K::Label, 109, 75, side_y(P1, 2), 150, 16, kRowMeter, kNone, kNoItems},
      {K::Label, kFerrantFeetLabel, 115, side_y(P1, 2), 100, 16, "", kNone, kNoItems},
      {K::Label, 111, 20, caption_y(P1, 3), 260, 16, "Possible Distance for Pellion", kNone, kNoItems},
      {K::Label, kPellionMetresLabel, 20, box_y(P1, 3), 50, 20, "", kSunk, kNoItems},
      {K::Label, 113, 75, side_y(P1, 3), 150, 16, kRowMeter, kNone, kNoItems},
      {K::Label, kPellionFeetLabel, 115, side_y(P1, 3), 100, 16, "", kNone, kNoItems},
      // Panel 2: distance and cable to baserate.
      {K::Frame, tk::kAnonymous, 10, kPanel2FrameY, 290, 300, "Distance/Cable ---> Baserate ...", kNone, kNoItems},
      {K::Label, 115, 20, caption_y(P2, 0), 200, 16, "Enter Distance: 0 .. 30000 Meter", kNone, kNoItems},
      {K::TextField, kDistanceField, 20, box_y(P2, 0), 50, 20, "", kNum, kNoItems},
      {K::Label, 116, 75, side_y(P2, 0), 150, 16, "Meter = 0 Feet", kNone, kNoItems},
      {K::Label, kDistanceFeetLabel, 115, side_y(P2, 0), 100, 16, "", kNone, kNoItems},
      {K::Label, 118, 20, caption_y(P2, 1), 200, 16, kDiameterCaption, kNone, kNoItems},
      {K::ComboBox, kDiameterBox2, 20, box_y(P2, 1), 50, 20, "", kNone, kDiameterItems},
      {K::Label, kCrossSectionLabel2, 75, side_y(P2, 1), 150, 16, "mm", kNone, kNoItems},
      {K::Label, 120, 20, caption_y(P2, 2), 200, 16, "Enter Modem Type: Tamsel1 .. Tamsel3", kNone, kNoItems},
      {K::ComboBox, kModelBox, 20, box_y(P2, 2), 85, 20, "", kNone, kModelItems},
      {K::Label, 121, 75, side_y(P2, 2), 150, 16, "", kNone, kNoItems},
      {K::Label, 124, 20, caption_y(P2, 3), 260, 16, "Possible Baserate", kNone, kNoItems},
      {K::Label, kPossibleBaserateLabel, 20, box_y(P2, 3), 30, 20, "", kSunk, kNoItems},
      {K::Label, 126, 55, side_y(P2, 3), 150, 16, kLineSpeedCaption, kNone, kNoItems},
      {K::Label, kPossibleLineSpeedLabel, 205, side_y(P2, 3), 80, 16, "", kNone, kNoItems},
      // Disclaimer.
      {K::Label, 300, 350, 400, 300, 16, "The distance/baserate results show realistic values !", kNone, kNoItems},
      {K::Label, 301, 350, 416, 300, 16, "In real installations the result could differ, because of", kNone, kNoItems},
      {K::Label, 302, 360, 432, 300, 16, "\u2022 noisy environment", kNone, kNoItems},
      {K::Label, 303, 360, 448, 300, 16, "\u2022 differencies in cables with same diameter", kNone, kNoItems},
      {K::Label, 304, 360, 464, 300, 16, "\u2022 bad installation", kNone, kNoItems},
      {K::Label, 305, 360, 480, 300, 16, "\u2022 multipair transmission", kNone, kNoItems},
      {K::Label, 306, 360, 496, 300, 16, "\u2022 and much more...", kNone, kNoItems},
      {K::Button, kQuitButton, 605, 625, 72, 24, "Quit", kNone, kNoItems},
      // The logo; with a bitmap the view takes the bitmap's size.
      {K::ImageView, kLogoView, 438, 530, 10, 30, "", kNone, kNoItems},
      // Loop resistance labels of panel 1, then panel 2 (330 pixels lower).
      {K::Label, kCableResistanceLabel1, 20, 255, 200, 16, kStartResistanceText, kNone, kNoItems},
      {K::Label, kUpperOhmLabel1, 125, 275, 50, 16, kStartOhmText, kNone, kNoItems},
      {K::Label, kLowerOhmLabel1, 125, 302, 50, 16, kStartOhmText, kNone, kNoItems},
      {K::Label, kCableResistanceLabel2, 20, 585, 200, 16, kStartResistanceText, kNone, kNoItems},
      {K::Label, kUpperOhmLabel2, 125, 605, 50, 16, kStartOhmText, kNone, kNoItems},
      {K::Label, kLowerOhmLabel2, 125, 632, 50, 16, kStartOhmText, kNone, kNoItems},
  }};
}();

// Index of a numbered gadget's row in kGadgetTable (the table's size if none).
constexpr std::size_t row_index(int number) {
  for (std::size_t i = 0; i < kGadgetTable.size(); ++i) {
    if (kGadgetTable[i].number == number) return i;
  }
  return kGadgetTable.size();
}

// --- menu -------------------------------------------------------------------
inline constexpr int kMenuBar = 0;
inline constexpr int kHomePageItem = 0;
inline constexpr int kVersionItem = 3;

// The window's context menu: the one item copies both panels' inputs and
// answers as text, the lines `ferrant-reach distance` and `baserate` print.
inline constexpr int kCopyResultsItem = 4;
inline constexpr std::string_view kCopyResultsText = "Copy results\tCtrl+Shift+C";

// The logo's name for screen readers.
inline constexpr std::string_view kLogoName = "Varnek logo";

struct MenuEntry {
  bool is_title;
  int item;  // items only
  std::string_view text;
};

inline constexpr std::array<MenuEntry, 4> kMenu{{
    {true, 0, "Varnek"},
    {false, kHomePageItem, "Homepage"},
    {true, 0, "Info"},
    {false, kVersionItem, "Version " FERRANT_VERSION},
}};

}  // namespace app
