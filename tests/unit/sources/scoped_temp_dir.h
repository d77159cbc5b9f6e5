#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace scenario {

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes. For the few tests whose point is
/// what really lands on disk.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate = base / ("scenario_test_" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("no fresh temporary directory");
  }
  ~ScopedTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Full name of `name` inside the directory.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace scenario
