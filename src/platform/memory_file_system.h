#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file_system.h"

namespace scenario {

/// Files held in memory. The author tools compile in it so that an author's
/// own texts are never replaced or deleted; tests and the fuzzer use it to
/// see every operation. Paths are plain keys.
class MemoryFileSystem : public FileSystem {
 public:
  bool is_regular_file(const std::string& path) override;
  std::string read_file(const std::string& path) override;
  void replace_file(const std::string& path, std::string_view bytes) override;
  void remove_file(const std::string& path) override;

  /// Puts a file in place without the replace sequence.
  void put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  bool has(const std::string& path) const { return files_.count(path) != 0; }
  const std::map<std::string, std::string>& files() const { return files_; }

  /// Paths whose operations fail with FileError, to exercise failure paths.
  void forbid_write(const std::string& path) { no_write_[path] = true; }
  void forbid_remove(const std::string& path) { no_remove_[path] = true; }

 private:
  std::map<std::string, std::string> files_;
  std::map<std::string, bool> no_write_;
  std::map<std::string, bool> no_remove_;
};

}  // namespace scenario
