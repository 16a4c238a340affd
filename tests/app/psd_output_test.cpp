// The chart's values as ferrant-reach writes them (CSV, JSON) and the chart
// as an SVG picture. Every baserate's picture is checked with xmllint by the
// psd_svg_well_formed test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "chart/psd.h"
#include "chart/psd_svg.h"
#include "cli/output.h"
#include "cli/psd_output.h"

namespace {

std::string csv(int baserate) {
  std::string out;
  cli::append_psd_csv(out, baserate);
  return out;
}

std::string json(int baserate) {
  std::string out;
  cli::append_psd_json(out, baserate);
  return out;
}

// The values checked against the PSD formula evaluated in double by hand.
TEST(PsdOutput, CsvAndJsonOfBaserate1) {
  const std::string table = csv(1);
  EXPECT_TRUE(table.starts_with("frequency_khz,PAM-4,PAM-8,PAM-16\n"
                                "10,-32.17,-30.02,-30.22\n"
                                "20,-32.32,-39.72,-67.43\n"
                                "30,-34.14,-69.04,-79.61\n"))
      << table.substr(0, 130);
  EXPECT_TRUE(table.ends_with("\n750,-100.58,-100.58,-100.58\n"));
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 75);

  const std::string lines = json(1);
  EXPECT_TRUE(lines.starts_with("{\"frequency_khz\":10,\"PAM-4\":-32.17,\"PAM-8\":-30.02,\"PAM-16\":-30.22}\n"
                                "{\"frequency_khz\":20,"));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 75);
}

TEST(PsdOutput, Baserate0GivesTheFrequencyAxisAlone) {
  const std::string table = csv(0);
  EXPECT_TRUE(table.starts_with("frequency_khz\n10\n20\n")) << table.substr(0, 40);
  EXPECT_TRUE(table.ends_with("\n750\n"));
  EXPECT_TRUE(json(0).starts_with("{\"frequency_khz\":10}\n{\"frequency_khz\":20}\n"));
  // The highest baserate runs to 3000 kHz.
  EXPECT_TRUE(csv(238).ends_with("\n3000,-107.96\n"));
}

TEST(PsdOutput, FixedDecimalsRoundHalfToEvenWithoutNegativeZero) {
  const std::pair<double, const char*> cases[] = {
      {-41.234, "-41.23"}, {0.125, "0.12"},     {0.375, "0.38"},  {-0.125, "-0.12"},
      {-0.00390625, "0.00"}, {-110.5, "-110.50"}, {7.0, "7.00"}, {0.05, "0.05"},
  };
  for (const auto& [value, text] : cases) {
    std::string out;
    cli::append_fixed(out, value, 2);
    EXPECT_EQ(out, text) << value;
  }
}

// The segments a path's "M x y L x y ..." data draws.
std::vector<chart::Segment> path_segments(const std::string& d) {
  std::vector<chart::Segment> segments;
  int x = 0;
  int y = 0;
  std::size_t i = 0;
  const auto number = [&] {
    const std::size_t end = d.find_first_of(" ML", i);
    const int value = std::stoi(d.substr(i, end - i));
    i = end == std::string::npos ? d.size() : end;
    return value;
  };
  while (i < d.size()) {
    const char command = d[i++];
    const int nx = number();
    ++i;  // the blank between x and y
    const int ny = number();
    if (command == 'L') segments.push_back({x, y, nx, ny});
    x = nx;
    y = ny;
  }
  return segments;
}

// The d attributes of the picture's paths, in order.
std::vector<std::string> path_data(const std::string& svg) {
  std::vector<std::string> paths;
  for (std::size_t at = svg.find(" d=\""); at != std::string::npos; at = svg.find(" d=\"", at + 1)) {
    const std::size_t begin = at + 4;
    paths.push_back(svg.substr(begin, svg.find('"', begin) - begin));
  }
  return paths;
}

TEST(PsdSvg, DrawsTheWindowsLinesTextsAndLegendsInItsOrder) {
  for (const int baserate : {0, 10, 110}) {
    const float rate = static_cast<float>(baserate * 64);
    const std::string svg = chart::psd_chart_svg(rate);
    const chart::PsdTable table = chart::psd_table(rate);
    EXPECT_TRUE(svg.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "));
    EXPECT_NE(svg.find("width=\"385\" height=\"285\" viewBox=\"300 30 385 285\""), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n"));

    // The grid, then one path per curve with exactly the window's segments.
    const std::vector<std::string> paths = path_data(svg);
    ASSERT_EQ(paths.size(), 1 + table.curves.size()) << baserate;
    EXPECT_EQ(path_segments(paths[0]), std::vector<chart::Segment>(chart::kGridLines.begin(), chart::kGridLines.end()));
    for (std::size_t c = 0; c < table.curves.size(); ++c) {
      EXPECT_EQ(path_segments(paths[c + 1]),
                chart::trace_segments(rate, table.curves[c].constellation->bits_per_symbol, table.scale))
          << baserate << " " << table.curves[c].constellation->legend;
    }

    const auto count = [&](const std::string& what) {
      std::size_t n = 0;
      for (std::size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
      return n;
    };
    EXPECT_EQ(count("<text "), chart::axis_texts(table.scale).size() + table.curves.size()) << baserate;
  }

  // Each legend on its colour (r, g, b) before its curve, the next legend
  // after that curve.
  const std::string svg = chart::psd_chart_svg(640.0f);
  const std::size_t pam8 = svg.find("<rect x=\"620\" y=\"55\" width=\"46\" height=\"16\" fill=\"#00ff00\"/>");
  const std::size_t pam8_curve = svg.find("stroke=\"#00ff00\"");
  const std::size_t pam16 = svg.find("<rect x=\"620\" y=\"75\" width=\"52\" height=\"16\" fill=\"#ff3c3c\"/>");
  ASSERT_NE(pam16, std::string::npos);
  EXPECT_LT(pam8, pam8_curve);
  EXPECT_LT(pam8_curve, pam16);
  EXPECT_NE(svg.find("<text x=\"305\" y=\"48\" textLength=\"96\" lengthAdjust=\"spacing\">PSD (dBm/Hz)</text>"),
            std::string::npos);
}

}  // namespace
