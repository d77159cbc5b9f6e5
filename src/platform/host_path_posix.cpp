#include <cstdio>

#include "platform/host_path.h"

namespace scenario {

namespace fs = std::filesystem;

char host_path_separator() { return '/'; }

std::filesystem::path host_path(const std::string& path) { return std::filesystem::path(path); }

std::FILE* open_host_file(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

int remove_host_file(const std::string& path) { return std::remove(path.c_str()); }

HostEntry host_entry(const std::string& path) {
  std::error_code ec;
  const fs::file_status s = fs::status(path, ec);
  if (ec || !fs::exists(s)) return HostEntry::kNone;
  if (fs::is_regular_file(s)) return HostEntry::kFile;
  return fs::is_directory(s) ? HostEntry::kDirectory : HostEntry::kOther;
}

std::error_code create_host_directories(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return ec;
}

std::error_code rename_host_file(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return ec;
}

std::error_code allow_host_execution(const std::string& path) {
  std::error_code ec;
  fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
  return ec;
}

bool same_host_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

std::vector<std::string> host_directory_names(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

std::optional<HostFileStamp> host_file_stamp(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return HostFileStamp{static_cast<int64_t>(written.time_since_epoch().count()), size};
}

}  // namespace scenario
