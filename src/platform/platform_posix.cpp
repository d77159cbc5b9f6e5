#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"

namespace scenario {
namespace {

// Stands in for the window and the message boxes on a console: what a
// Windows user would see is written on standard error.
class PosixPlatform : public Platform {
 public:
  std::string program_directory() override {
    const std::string exe = executable_path();
    const size_t slash = exe.rfind('/');
    // The root directory is reported as "", so that joining with "/"
    // gives "/name".
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
  }

  std::string executable_path() override {
    std::vector<char> buffer(4096);
    for (;;) {
      const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) {
        throw FileError(kErrPathFileAccess, std::string("cannot find the program's directory: ") +
                                                std::strerror(errno));
      }
      if (static_cast<size_t>(n) < buffer.size())
        return std::string(buffer.data(), static_cast<size_t>(n));
      buffer.resize(buffer.size() * 2);
    }
  }

  char path_separator() const override { return '/'; }

  void show_window(const std::string&, const std::string& label) override { label_ = label; }
  void repaint_window() override { std::cerr << label_ << std::endl; }
  void destroy_window() override { label_.clear(); }

  void message_box(const std::string& text) override { std::cerr << text << std::endl; }

  void report_unhandled_error(int number, const std::string& description) override {
    std::cerr << "Run-time error '" << number << "': " << description << std::endl;
  }

  void note_recorded_code(int32_t code, int32_t position_m) override {
    std::cerr << "recorded code " << code << " at " << position_m << " m" << std::endl;
  }

 private:
  std::string label_;
};

}  // namespace

std::unique_ptr<Platform> make_platform() { return std::make_unique<PosixPlatform>(); }

}  // namespace scenario
