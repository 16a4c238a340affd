// The desktop drivers' files: real files in the temporary folder.
#include <filesystem>

#include "tests/toolkit/bmp_file.h"
#include "tests/toolkit/conformance/driver.h"

namespace conformance {

std::string place_file(std::string_view name, const std::vector<std::uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / (std::string(backend_name()) + "-" + std::string(name));
  bmp::write(path, bytes);
  return path.string();
}

void remove_placed_file(const std::string& placed) { std::filesystem::remove(placed); }

}  // namespace conformance
