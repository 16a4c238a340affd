// A whole file's bytes, through the C library's streams: small and with no
// locale machinery behind it, so a program that reads one logo does not
// carry iostreams.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tk::common {

// The bytes of the file (a UTF-8 name; relative names from the working
// directory). Nothing when it cannot be opened or read (a folder cannot be
// read), is empty, or holds more than max_bytes.
std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& utf8_name, std::int64_t max_bytes);

}  // namespace tk::common
