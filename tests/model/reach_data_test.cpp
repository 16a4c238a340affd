// Transcription checks of the reach table and the cable catalogue (the modem
// models' limits are checked through the program's model box).
#include <gtest/gtest.h>

#include "model/cable_catalogue.h"
#include "model/reach_table.h"

namespace {

float row(int k) { return model::kReachTable[static_cast<std::size_t>(k)]; }

void expect_steps(int first, int last, float step) {
  for (int k = first; k < last; ++k) EXPECT_EQ(row(k) - row(k + 1), step) << "row " << k;
}

TEST(ReachTable, EndsAndDescent) {
  EXPECT_EQ(row(0), 0);
  EXPECT_EQ(row(1), 7163);
  EXPECT_EQ(row(238), 300);
  for (int k = 1; k < 238; ++k) EXPECT_GE(row(k), row(k + 1)) << "row " << k;
}

TEST(ReachTable, RegularStretches) {
  expect_steps(161, 190, 14);
  EXPECT_EQ(row(190), 1044);
  expect_steps(192, 204, 25);
  EXPECT_EQ(row(204), 700);
  expect_steps(100, 111, 20);
  EXPECT_EQ(row(100), 2420);
  expect_steps(111, 116, 25);
  EXPECT_EQ(row(116), 2075);
}

TEST(ReachTable, Plateaus) {
  struct Plateau { int first, last; float value; };
  const Plateau plateaus[] = {
      {1, 3, 7163},     {36, 40, 4115},   {45, 48, 3810},   {90, 92, 2580},   {93, 96, 2540},
      {119, 120, 2000}, {122, 123, 1950}, {157, 159, 1500}, {160, 161, 1450}, {204, 205, 700},
      {206, 209, 650},  {210, 214, 630},  {215, 219, 610},  {220, 225, 600},  {237, 238, 300}};
  for (const auto& p : plateaus) {
    for (int k = p.first; k <= p.last; ++k) EXPECT_EQ(row(k), p.value) << "row " << k;
    EXPECT_NE(row(p.first - 1), p.value) << "plateau at " << p.first;
    if (p.last < 238) {
      EXPECT_NE(row(p.last + 1), p.value) << "plateau at " << p.first;
    }
  }
}

TEST(CableCatalogue, EntriesInBoxOrder) {
  const char* items[] = {"0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0", "1.1", "1.2", "1.3", "1.4"};
  for (std::size_t i = 0; i < model::kCableCatalogue.size(); ++i) {
    const auto& entry = model::kCableCatalogue[i];
    EXPECT_EQ(entry.box_item, items[i]);
    EXPECT_EQ(entry.cross_section_text.substr(0, 5), "mm = ");
    EXPECT_EQ(entry.resistance_text.substr(0, 19), "Cable Resistance = ");
    if (i > 0) {
      EXPECT_GT(entry.reach_factor, model::kCableCatalogue[i - 1].reach_factor);
    }
    if (i >= 5) {
      EXPECT_EQ(entry.rate_coef, 0.05f);
    }
  }
  const auto& first = model::kCableCatalogue[0];
  EXPECT_EQ(first.cross_section_text, "mm = 0.125mm2 = AWG-26");
  EXPECT_EQ(first.resistance_text, "Cable Resistance = 137 Ohm/km");
  EXPECT_EQ(first.reach_factor, 1.2f);
  EXPECT_EQ(first.ohm_per_m, 0.137f);
  EXPECT_EQ(first.rate_coef, 0.3f);
  EXPECT_EQ(model::kCableCatalogue[1].resistance_text, "Cable Resistance = 87 Ohm/km");
  EXPECT_EQ(model::kCableCatalogue[1].ohm_per_m, 0.0875f);
  EXPECT_EQ(model::kCableCatalogue[7].cross_section_text, "mm = 0.950mm2 ~ AWG-17");
  EXPECT_EQ(model::kCableCatalogue[8].cross_section_text, "mm = 1.131mm2 ~ AWG-17");
  EXPECT_EQ(model::kCableCatalogue[10].reach_factor, 6.875f);
  EXPECT_EQ(model::kCableCatalogue[10].resistance_text, "Cable Resistance = 11 Ohm/km");
}

}  // namespace
