#include <cstdio>

#include "platform/host_path.h"

namespace scenario {

char host_path_separator() { return '/'; }

std::filesystem::path host_path(const std::string& path) { return std::filesystem::path(path); }

std::FILE* open_host_file(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

int remove_host_file(const std::string& path) { return std::remove(path.c_str()); }

}  // namespace scenario
