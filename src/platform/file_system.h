#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario {

/// A failed file operation: the error's number and description, as the
/// build run reports an unhandled error.
class FileError : public std::runtime_error {
 public:
  FileError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

// Error numbers of FileError, fixed so that both builds report the same.
constexpr int kErrFileNotFound = 53;
constexpr int kErrPermissionDenied = 70;
constexpr int kErrPathFileAccess = 75;
constexpr int kErrPathNotFound = 76;
constexpr int kErrDeviceIo = 57;
/// Not a file fault: anything else that ends the run unexpectedly.
constexpr int kErrInternal = 51;

/// What the build needs of files. Paths are full names as the build joins
/// them (directory text, separator, own name).
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// True when `path` names an ordinary file (not a directory).
  virtual bool is_regular_file(const std::string& path) = 0;

  /// The whole content. Throws FileError when the file cannot be read.
  virtual std::string read_file(const std::string& path) = 0;

  /// Replaces the file: open for binary access (creating it), close, delete,
  /// create anew, write `bytes`, close. Throws FileError at the first step
  /// that fails; an earlier file of that name may then be gone or partial.
  virtual void replace_file(const std::string& path, std::string_view bytes) = 0;

  /// Deletes the file. Throws FileError when it cannot be deleted.
  virtual void remove_file(const std::string& path) = 0;
};

/// The real disk, through the standard library only.
class DiskFileSystem : public FileSystem {
 public:
  bool is_regular_file(const std::string& path) override;
  std::string read_file(const std::string& path) override;
  void replace_file(const std::string& path, std::string_view bytes) override;
  void remove_file(const std::string& path) override;
};

}  // namespace scenario
