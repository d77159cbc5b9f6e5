#include "platform/windows_path.h"

#include <vector>

namespace scenario {
namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

bool is_drive_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool is_drive_absolute(std::string_view p) {
  return p.size() >= 3 && is_drive_letter(p[0]) && p[1] == ':' && is_separator(p[2]);
}

// "\\?\..." and "\\.\...": already in the form Windows passes on unchanged.
bool is_device_path(std::string_view p) {
  return p.size() >= 4 && is_separator(p[0]) && is_separator(p[1]) &&
         (p[2] == '?' || p[2] == '.') && is_separator(p[3]);
}

bool is_unc(std::string_view p) {
  return p.size() >= 3 && is_separator(p[0]) && is_separator(p[1]) && !is_separator(p[2]) &&
         !is_device_path(p);
}

// The names between separators, with "." and ".." resolved and the empty
// names of doubled separators dropped.
std::vector<std::string_view> resolved_names(std::string_view rest) {
  std::vector<std::string_view> names;
  size_t i = 0;
  while (i <= rest.size()) {
    size_t end = i;
    while (end < rest.size() && !is_separator(rest[end])) ++end;
    std::string_view name = rest.substr(i, end - i);
    const bool last = end >= rest.size();
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      // Windows drops a single trailing dot from any name, and every
      // trailing dot and space from the last one; a name of dots alone
      // ("...") is a real name and stays.
      if (name.find_first_not_of('.') != std::string_view::npos) {
        if (last) {
          while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
        } else if (name.back() == '.') {
          name.remove_suffix(1);
        }
      }
      if (!name.empty()) names.push_back(name);
    }
    i = end + 1;
  }
  return names;
}

}  // namespace

std::size_t utf16_length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > utf8.size()) n = 1;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
        n = 1;
        break;
      }
    }
    // Characters past U+FFFF take a surrogate pair.
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return units;
}

bool is_windows_absolute(std::string_view path) { return is_drive_absolute(path) || is_unc(path); }

std::string windows_long_path(const std::string& path) {
  if (utf16_length(path) <= kWindowsPlainPathLimit || is_device_path(path)) return path;
  std::string out;
  std::string_view rest;
  if (is_drive_absolute(path)) {
    out = "\\\\?\\";
    out += path.substr(0, 2);
    rest = std::string_view(path).substr(3);
  } else if (is_unc(path)) {
    // The server and the share are the root: ".." never leaves them.
    std::string_view p = std::string_view(path).substr(2);
    std::vector<std::string_view> root;
    while (root.size() < 2) {
      while (!p.empty() && is_separator(p.front())) p.remove_prefix(1);
      size_t end = 0;
      while (end < p.size() && !is_separator(p[end])) ++end;
      if (end == 0) return path;
      root.push_back(p.substr(0, end));
      p.remove_prefix(end);
    }
    out = "\\\\?\\UNC\\";
    out += root[0];
    out += '\\';
    out += root[1];
    rest = p;
  } else {
    return path;
  }
  const std::vector<std::string_view> names = resolved_names(rest);
  if (names.empty()) out += '\\';
  for (std::string_view name : names) {
    out += '\\';
    out += name;
  }
  return out;
}

std::size_t windows_parent_length(std::wstring_view p) {
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  // The root, its separator included: "X:\", "\\server\share\", either
  // behind the prefix, or a lone "\".
  std::size_t root = 0;
  bool unc = false;
  if (p.starts_with(L"\\\\?\\UNC\\")) {
    root = 8;
    unc = true;
  } else if (p.size() >= 4 && separator(p[0]) && separator(p[1]) &&
             (p[2] == L'?' || p[2] == L'.') && separator(p[3])) {
    root = 4;
  } else if (p.size() >= 2 && separator(p[0]) && separator(p[1])) {
    root = 2;
    unc = true;
  }
  if (unc) {
    for (int name = 0; name < 2; ++name) {
      while (root < p.size() && !separator(p[root])) ++root;
      if (root < p.size()) ++root;
    }
  } else if (root + 1 < p.size() && p[root + 1] == L':') {
    root += 2;
    if (root < p.size() && separator(p[root])) ++root;
  } else if (root == 0 && !p.empty() && separator(p[0])) {
    root = 1;
  }
  const std::size_t end = p.find_last_not_of(L"\\/");
  if (end == std::wstring_view::npos || end < root) return std::wstring_view::npos;
  const std::size_t cut = p.find_last_of(L"\\/", end);
  if (cut == std::wstring_view::npos || cut < root) return std::wstring_view::npos;
  return cut;
}

std::string without_long_prefix(const std::string& path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0 && is_drive_absolute(std::string_view(path).substr(4))) {
    return path.substr(4);
  }
  return path;
}

}  // namespace scenario
