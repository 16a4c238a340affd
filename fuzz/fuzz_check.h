// Invariant checks for the fuzz targets: a failed check prints what was
// expected and aborts, so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void fail(std::string_view what, const std::string& detail = {}) {
  std::fprintf(stderr, "invariant broken: %.*s%s%s\n", static_cast<int>(what.size()), what.data(),
               detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}

inline void check(bool ok, std::string_view what, const std::string& detail = {}) {
  if (!ok) fail(what, detail);
}

inline void check_equal(const std::string& actual, const std::string& expected,
                        std::string_view what) {
  if (actual != expected) fail(what, "shows \"" + actual + "\", expected \"" + expected + "\"");
}

}  // namespace fuzz
