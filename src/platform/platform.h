#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace scenario {

/// What the build run needs of the host. One implementation per host
/// (Win32, POSIX); CMake compiles exactly one of them.
class Platform {
 public:
  virtual ~Platform() = default;

  /// The directory that holds the running executable, as the host reports
  /// it (never the working directory). Throws FileError when it cannot be
  /// found.
  virtual std::string program_directory() = 0;

  /// The full name of the running executable file, as the host reports it.
  /// Throws FileError when it cannot be found.
  virtual std::string executable_path() = 0;

  /// The separator put between the directory text and a file's own name.
  virtual char path_separator() const = 0;

  /// Creates the waiting window holding `label` and shows it without waiting
  /// for it to close.
  virtual void show_window(const std::string& title, const std::string& label) = 0;
  /// Paints the window at once, before any work starts.
  virtual void repaint_window() = 0;
  /// Removes the window; nothing happens when there is none.
  virtual void destroy_window() = 0;

  /// A modal message box with one OK button, no icon and the application's
  /// default title. Returns when it is closed.
  virtual void message_box(const std::string& text) = 0;

  /// The host's standard report of an unhandled error. Returns when it is
  /// dismissed.
  virtual void report_unhandled_error(int number, const std::string& description) = 0;

  /// A code the compile stage recorded without stopping the build. The
  /// window shows none of them; a console host may print it.
  virtual void note_recorded_code(int32_t code, int32_t position_m) = 0;
};

/// The implementation for the host the program was built for.
std::unique_ptr<Platform> make_platform();

}  // namespace scenario
