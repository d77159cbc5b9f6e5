#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/console.h"
#include "platform/wide_text_win32.h"

namespace scenario {

std::vector<std::string> program_arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    // Cannot happen short of memory exhaustion; the narrow copy is still
    // right for every name within the code page.
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(to_utf8(wide[i]));
  ::LocalFree(wide);
  return args;
}

void use_utf8_console() {
  // Only the console window reads this; output into a pipe or a file is
  // the bytes as written, UTF-8 already.
  ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace scenario
