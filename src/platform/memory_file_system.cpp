#include "platform/memory_file_system.h"

namespace scenario {

bool MemoryFileSystem::is_regular_file(const std::string& path) { return has(path); }

std::string MemoryFileSystem::read_file(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) throw FileError(kErrFileNotFound, "cannot open '" + path + "'");
  return it->second;
}

void MemoryFileSystem::replace_file(const std::string& path, std::string_view bytes) {
  if (no_write_.count(path) != 0) {
    throw FileError(kErrPermissionDenied, "cannot create '" + path + "'");
  }
  files_[path] = std::string(bytes);
}

void MemoryFileSystem::remove_file(const std::string& path) {
  if (no_remove_.count(path) != 0) {
    throw FileError(kErrPermissionDenied, "cannot delete '" + path + "'");
  }
  if (files_.erase(path) == 0) throw FileError(kErrFileNotFound, "cannot delete '" + path + "'");
}

}  // namespace scenario
