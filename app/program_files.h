// The files the program reads besides its own code: where the logo is looked
// for. A program started from a terminal in any folder still finds the logo
// installed with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The logo's paths in the order they are tried: the working directory (the
// file name alone, so a logo there always wins), the installed data folder
// beside the program's (<prefix>/share/ferrant-calc for a program in
// <prefix>/bin), the program's own folder. `program_folder` ends with a
// separator; when it is empty only the working directory is tried.
std::vector<std::string> logo_paths(std::string_view program_folder);

// The folder holding the running program, as UTF-8 with a trailing "/";
// empty when the system does not say.
std::string program_folder();

}  // namespace app
