#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory_file_system.h"
#include "platform/platform.h"

namespace scenario::test_support {

/// Platform and file calls in the order they happen, one entry each:
/// the call's name, then its arguments ("message_box  Errore n. 1250").
using CallLog = std::vector<std::string>;

/// The host, faked: a program directory of the test's choosing, and every
/// call put into the log instead of onto a screen.
class RecordingPlatform : public Platform {
 public:
  explicit RecordingPlatform(CallLog& log, std::string directory = "C:\\giochi",
                             char separator = '\\')
      : log_(log), directory_(std::move(directory)), separator_(separator) {}

  std::string program_directory() override { return directory_; }
  std::string executable_path() override { return executable; }
  char path_separator() const override { return separator_; }
  void show_window(const std::string& window_title, const std::string& label) override {
    title = window_title;
    log_.push_back("show_window " + label);
  }
  void repaint_window() override { log_.push_back("repaint_window"); }
  void destroy_window() override { log_.push_back("destroy_window"); }
  void message_box(const std::string& text) override { log_.push_back("message_box " + text); }
  void report_unhandled_error(int number, const std::string& description) override {
    log_.push_back("report_unhandled_error " + std::to_string(number) + " " + description);
  }
  void note_recorded_code(int32_t code, int32_t position_m) override {
    log_.push_back("note_recorded_code " + std::to_string(code) + " " + std::to_string(position_m));
  }

  /// The program file the start reads for a scenario payload.
  std::string executable;
  /// The last window's title.
  std::string title;

 private:
  CallLog& log_;
  std::string directory_;
  char separator_;
};

/// Files in memory that also put every replace and delete into the log.
class RecordingFileSystem : public MemoryFileSystem {
 public:
  explicit RecordingFileSystem(CallLog& log) : log_(log) {}
  void replace_file(const std::string& path, std::string_view bytes) override {
    log_.push_back("replace_file " + path);
    MemoryFileSystem::replace_file(path, bytes);
  }
  void remove_file(const std::string& path) override {
    log_.push_back("remove_file " + path);
    MemoryFileSystem::remove_file(path);
  }

 private:
  CallLog& log_;
};

/// The arguments of the logged calls named `name`, in order: the user-visible
/// reports ("report_unhandled_error", "message_box") or any other call.
inline std::vector<std::string> calls_named(const CallLog& log, std::string_view name) {
  std::vector<std::string> out;
  const std::string prefix = std::string(name) + " ";
  for (const std::string& call : log) {
    if (call.rfind(prefix, 0) == 0) out.push_back(call.substr(prefix.size()));
  }
  return out;
}

}  // namespace scenario::test_support
