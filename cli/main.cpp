#include <iostream>
#include <string_view>
#include <vector>

#include "cli/reach_cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int exit_code = cli::run_reach(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "ferrant-reach: cannot write the output\n";
    return exit_code == 0 ? 1 : exit_code;
  }
  return exit_code;
}
