#include "app/program_files.h"

#include <filesystem>
#include <system_error>

#include "app/window_layout.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace app {

std::vector<std::string> logo_paths(std::string_view program_folder) {
  std::vector<std::string> paths{std::string(kLogoFile)};
  if (!program_folder.empty()) {
    // FERRANT_DATA_FROM_PROGRAM: the data folder relative to the installed
    // program's, as the build's install layout puts them.
    paths.push_back(std::string(program_folder) + FERRANT_DATA_FROM_PROGRAM "/" + std::string(kLogoFile));
    paths.push_back(std::string(program_folder) + std::string(kLogoFile));
  }
  return paths;
}

std::string program_folder() {
#if defined(__EMSCRIPTEN__)
  // The page's program has no folder: its logo is the file beside the page.
  return {};
#else
  std::filesystem::path program;
#if defined(_WIN32)
  // Long paths need more than MAX_PATH; a name that fills the buffer was cut.
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  if (length == 0 || length >= name.size()) return {};
  name.resize(length);
  program = name;
#else
  std::error_code error;
  program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
#endif
  const std::u8string folder = program.parent_path().generic_u8string();
  if (folder.empty()) return {};
  return std::string(folder.begin(), folder.end()) + "/";
#endif
}

}  // namespace app
