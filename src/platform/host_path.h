#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The program spells every path as UTF-8 text with the host's separators;
// these give the host its own form of it. On POSIX that is the same bytes.
// On Windows the narrow functions would read the text in the ANSI code page
// and lose every character outside it, so the path goes wide, with the
// extended-length prefix when it is too long for the plain form.

namespace scenario {

/// The separator the host's own paths use ('\\' on Windows), for names the
/// program joins itself. Windows also accepts '/', but an author reading a
/// path back expects the host's spelling.
char host_path_separator();

/// `path` in the host's own form, for std::filesystem.
std::filesystem::path host_path(const std::string& path);

/// std::fopen for `path`; sets errno as it does.
std::FILE* open_host_file(const std::string& path, const char* mode);

/// std::remove for `path`; sets errno as it does.
int remove_host_file(const std::string& path);

}  // namespace scenario
