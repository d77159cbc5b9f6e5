#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace scenario {

/// Entries of a writer's line table, indexes 0 .. 1000: at most 1000 lines
/// and the end marker after them.
constexpr size_t kLineTableSize = 1001;

/// The bytes of a text file: every entry before the end marker, unchanged,
/// followed by CR LF. `lines` must hold the end marker within its first
/// kLineTableSize entries; otherwise std::length_error (a data fault of the
/// carried scenario, caught by the tests).
std::string text_file_bytes(std::span<const std::string_view> lines);

/// Writes `lines` to `path` with the replace sequence. Throws FileError.
void write_text_file(FileSystem& fs, const std::string& path,
                     std::span<const std::string_view> lines);

}  // namespace scenario
