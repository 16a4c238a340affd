// Memory soak: the program on the headless backend for many loop passes,
// mostly mouse movements with random user actions mixed in (typing and
// pasting into the fields, picks, clicks other than Quit, focus moves, tabs,
// repaints, the version menu item). Prints the resident memory (VmRSS) after
// a warm-up and at the end, and exits with 1 if it grew by more than a small
// constant, or if the program's state ever left its ranges or the program
// ended. scripts/soak builds and runs it.
//
//   ferrant_soak [--passes N] [--seed S]     (defaults: 1000000 passes, seed 1)
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_layout.h"
#include "model/cable_catalogue.h"
#include "model/reach.h"
#include "tests/reliability/soak_input.h"
#include "toolkit/headless/driver.h"
#include "tools/replay_runner.h"
#include "tools/replay_script.h"

namespace {

namespace hl = tk::headless;
using replay::Action;
using soak::Random;

constexpr std::int64_t kDefaultPasses = 1'000'000;
constexpr std::int64_t kMinWarmUpPasses = 2'000;
constexpr std::int64_t kAllowedGrowthKiB = 1024;

// Resident set size in KiB, from /proc/self/status; nullopt where there is none.
std::optional<std::int64_t> resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6));
  }
  return std::nullopt;
}

// One random user action; mouse movements make most of the passes.
replay::Command random_action(Random& random, const std::vector<int>& clickable) {
  replay::Command command;
  const int roll = random.below(100);
  const int field = random.below(2) == 0 ? app::kBaserateField : app::kDistanceField;
  if (roll < 70) {
    command.action = Action::Move;
    command.number = 1 + random.below(40);
  } else if (roll < 76) {
    command.action = Action::Type;
    command.gadget = field;
    command.text = soak::random_digits(random);
  } else if (roll < 82) {
    command.action = Action::Paste;
    command.gadget = field;
    command.text = soak::random_paste(random);
  } else if (roll < 84) {
    command.action = Action::Clear;
    command.gadget = field;
  } else if (roll < 89) {
    static constexpr std::array<int, 3> kBoxes = {app::kDiameterBox1, app::kDiameterBox2,
                                                  app::kModelBox};
    command.action = Action::Pick;
    command.gadget = kBoxes[static_cast<std::size_t>(random.below(kBoxes.size()))];
    command.number = random.below(13) - 1;  // a few indices out of range too
  } else if (roll < 91) {
    command.action = Action::OpenClose;
    command.gadget = random.below(2) == 0 ? app::kDiameterBox1 : app::kModelBox;
  } else if (roll < 94) {
    command.action = Action::Click;
    command.gadget = clickable[static_cast<std::size_t>(random.below(clickable.size()))];
  } else if (roll < 95) {
    command.action = Action::Focus;
    command.gadget = clickable[static_cast<std::size_t>(random.below(clickable.size()))];
  } else if (roll < 97) {
    command.action = random.below(2) == 0 ? Action::Tab : Action::Backtab;
  } else if (roll < 99) {
    command.action = Action::Repaint;
  } else {
    command.action = Action::Menu;
    command.number = 3;  // "Version 1.0"; the home page would record a URL per visit
  }
  return command;
}

bool state_in_range(const app::ProgramState& s) {
  return s.baserate >= 0 && s.baserate <= model::kMaxBaserate && s.target_distance_m >= 0 &&
         s.target_distance_m <= model::kMaxDistanceM && s.pass_count >= 0 && s.pass_count < 100;
}

int usage() {
  std::fprintf(stderr, "usage: ferrant_soak [--passes N] [--seed S]  (N at least %lld)\n",
               static_cast<long long>(2 * kMinWarmUpPasses));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t passes = kDefaultPasses;
  std::uint64_t seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return usage();
    const std::string value = argv[++i];
    try {
      if (arg == "--passes") {
        passes = std::stoll(value);
      } else if (arg == "--seed") {
        seed = std::stoull(value);
      } else {
        return usage();
      }
    } catch (const std::exception&) {
      return usage();
    }
  }
  if (passes < 2 * kMinWarmUpPasses) return usage();
  const std::int64_t warm_up = std::max(kMinWarmUpPasses, passes / 10);

  replay::Session session;
  if (!session.start()) {
    std::fprintf(stderr, "soak: %s\n", session.error().c_str());
    return 1;
  }
  std::vector<int> clickable;
  for (const int number : hl::gadget_numbers()) {
    if (number != app::kQuitButton) clickable.push_back(number);
  }

  Random random(seed);
  std::ostringstream ignored;
  std::optional<std::int64_t> rss_after_warm_up;
  std::int64_t actions = 0;
  const auto started = std::chrono::steady_clock::now();
  while (session.passes() < passes) {
    session.play(random_action(random, clickable), ignored);
    ++actions;
    if (!session.running() || !state_in_range(session.state())) {
      std::fprintf(stderr, "soak: %s after %lld passes (seed %llu, action %lld)\n",
                   session.running() ? "state out of range" : "the program ended",
                   static_cast<long long>(session.passes()), static_cast<unsigned long long>(seed),
                   static_cast<long long>(actions));
      return 1;
    }
    if (!rss_after_warm_up && session.passes() >= warm_up) rss_after_warm_up = resident_kib();
  }
  const std::optional<std::int64_t> rss_at_end = resident_kib();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::printf("soak: %lld passes (%lld actions, seed %llu) in %.1f s\n",
              static_cast<long long>(session.passes()), static_cast<long long>(actions),
              static_cast<unsigned long long>(seed), seconds);
  if (!rss_after_warm_up || !rss_at_end) {
    std::printf("soak: no /proc/self/status here; memory not measured\n");
    return 0;
  }
  const std::int64_t growth = *rss_at_end - *rss_after_warm_up;
  std::printf("soak: VmRSS after %lld warm-up passes %lld KiB, at the end %lld KiB, growth %lld KiB"
              " (limit %lld KiB)\n",
              static_cast<long long>(warm_up), static_cast<long long>(*rss_after_warm_up),
              static_cast<long long>(*rss_at_end), static_cast<long long>(growth),
              static_cast<long long>(kAllowedGrowthKiB));
  if (growth > kAllowedGrowthKiB) {
    std::fprintf(stderr, "soak: resident memory grew by %lld KiB\n", static_cast<long long>(growth));
    return 1;
  }
  return 0;
}
