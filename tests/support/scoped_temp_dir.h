#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace scenario::test_support {

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes. For the tests whose point is what
/// really lands on disk. Portable: the unit suite also runs under Wine.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = base / ("scenario_test_" + std::to_string(random()));
      // create_directory is false when the name exists: another test's.
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate.string();
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

  const std::string& path() const { return path_; }
  /// Full name of `name` inside the directory.
  std::string operator/(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
  }

 private:
  std::string path_;
};

}  // namespace scenario::test_support
