#include <cstdio>
#include <vector>

#include "platform/host_path.h"
#include "platform/wide_text_win32.h"
#include "platform/windows_path.h"

namespace scenario {
namespace {

// A long relative path is made absolute first: only an absolute path can
// carry the extended-length prefix. GetFullPathNameW takes any length.
std::wstring wide_host_path(const std::string& path) {
  if (utf16_length(path) <= kWindowsPlainPathLimit || is_windows_absolute(path)) {
    return to_wide(windows_long_path(path));
  }
  const std::wstring relative = to_wide(path);
  std::vector<wchar_t> buffer(relative.size() + MAX_PATH);
  for (;;) {
    const DWORD n = ::GetFullPathNameW(relative.c_str(), static_cast<DWORD>(buffer.size()),
                                       buffer.data(), nullptr);
    if (n == 0) return relative;
    if (n < buffer.size()) {
      return to_wide(windows_long_path(to_utf8(std::wstring_view(buffer.data(), n))));
    }
    buffer.resize(n + 1);
  }
}

}  // namespace

char host_path_separator() { return '\\'; }

std::filesystem::path host_path(const std::string& path) {
  return std::filesystem::path(wide_host_path(path));
}

std::FILE* open_host_file(const std::string& path, const char* mode) {
  return ::_wfopen(wide_host_path(path).c_str(), to_wide(mode).c_str());
}

int remove_host_file(const std::string& path) { return ::_wremove(wide_host_path(path).c_str()); }

}  // namespace scenario
