#pragma once

// UTF-8 and UTF-16 at the Win32 boundary: the program keeps UTF-8 text, the
// wide functions take UTF-16. Only the *_win32 units include this.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace scenario {

/// UTF-16 for UTF-8 text; a malformed byte becomes U+FFFD.
inline std::wstring to_wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

/// UTF-8 for UTF-16 text; an unpaired surrogate becomes U+FFFD.
inline std::string to_utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace scenario
