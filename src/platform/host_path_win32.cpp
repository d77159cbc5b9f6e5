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

// The C runtime's words for the usual failures, so that a message reads as
// on POSIX; anything else in the system's own words.
std::error_code error_of(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    default:
      return std::error_code(static_cast<int>(e), std::system_category());
  }
}

bool is_directory(const std::wstring& wide) {
  const DWORD a = ::GetFileAttributesW(wide.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// CreateDirectoryW makes one level; a missing parent is made first.
std::error_code create_directories(const std::wstring& wide) {
  if (is_directory(wide)) return {};
  if (::CreateDirectoryW(wide.c_str(), nullptr)) return {};
  DWORD e = ::GetLastError();
  if (e == ERROR_PATH_NOT_FOUND) {
    const std::size_t cut = windows_parent_length(wide);
    if (cut == std::wstring::npos) return error_of(e);
    if (const std::error_code parent = create_directories(wide.substr(0, cut))) return parent;
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return {};
    e = ::GetLastError();
  }
  // Made meanwhile by another process: what was asked for is there.
  return is_directory(wide) ? std::error_code() : error_of(e);
}

// A handle that asks nothing of the file but its identity; a folder opens
// only with the backup flag.
struct IdentityHandle {
  HANDLE h;
  explicit IdentityHandle(const std::wstring& wide)
      : h(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  IdentityHandle(const IdentityHandle&) = delete;
  IdentityHandle& operator=(const IdentityHandle&) = delete;
  ~IdentityHandle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  bool info(BY_HANDLE_FILE_INFORMATION* out) const {
    return h != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h, out);
  }
};

uint64_t joined(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

}  // namespace

char host_path_separator() { return '\\'; }

std::filesystem::path host_path(const std::string& path) {
  return std::filesystem::path(wide_host_path(path));
}

std::FILE* open_host_file(const std::string& path, const char* mode) {
  return ::_wfopen(wide_host_path(path).c_str(), to_wide(mode).c_str());
}

int remove_host_file(const std::string& path) { return ::_wremove(wide_host_path(path).c_str()); }

HostEntry host_entry(const std::string& path) {
  const DWORD a = ::GetFileAttributesW(wide_host_path(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return HostEntry::kNone;
  if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) return HostEntry::kDirectory;
  return (a & FILE_ATTRIBUTE_DEVICE) != 0 ? HostEntry::kOther : HostEntry::kFile;
}

std::error_code create_host_directories(const std::string& path) {
  return create_directories(wide_host_path(path));
}

std::error_code rename_host_file(const std::string& from, const std::string& to) {
  if (::MoveFileExW(wide_host_path(from).c_str(), wide_host_path(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING)) {
    return {};
  }
  return error_of(::GetLastError());
}

std::error_code allow_host_execution(const std::string&) { return {}; }

bool same_host_file(const std::string& a, const std::string& b) {
  const IdentityHandle ha(wide_host_path(a));
  const IdentityHandle hb(wide_host_path(b));
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return ha.info(&ia) && hb.info(&ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::vector<std::string> host_directory_names(const std::string& dir) {
  std::wstring pattern = wide_host_path(dir);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = ::FindFirstFileW(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(to_utf8(name));
  } while (::FindNextFileW(h, &found));
  ::FindClose(h);
  return names;
}

std::optional<HostFileStamp> host_file_stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExW(wide_host_path(path).c_str(), GetFileExInfoStandard, &d) ||
      (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return HostFileStamp{static_cast<int64_t>(joined(d.ftLastWriteTime.dwHighDateTime,
                                                   d.ftLastWriteTime.dwLowDateTime)),
                       joined(d.nFileSizeHigh, d.nFileSizeLow)};
}

}  // namespace scenario
