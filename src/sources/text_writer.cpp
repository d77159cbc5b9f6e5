#include "sources/text_writer.h"

#include <array>
#include <stdexcept>

#include "sources/scenario_data.h"

namespace scenario {

std::string text_file_bytes(std::span<const std::string_view> lines) {
  // The line table: filled from index 0, the end marker after the last line.
  std::array<std::string_view, kLineTableSize> table{};
  size_t n = 0;
  for (; n < lines.size() && n < kLineTableSize; ++n) {
    table[n] = lines[n];
    if (lines[n] == kEndMarker) break;
  }
  if (n == lines.size() || n == kLineTableSize) {
    throw std::length_error("line table without its end marker in its first 1001 entries");
  }
  std::string bytes;
  for (size_t i = 0; table[i] != kEndMarker; ++i) {
    bytes.append(table[i]);
    bytes.append("\r\n");
  }
  return bytes;
}

void write_text_file(FileSystem& fs, const std::string& path,
                     std::span<const std::string_view> lines) {
  fs.replace_file(path, text_file_bytes(lines));
}

}  // namespace scenario
