#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// The program spells every path as UTF-8 text with the host's separators;
// these give the host its own form of it. On POSIX that is the same bytes.
// On Windows the narrow functions would read the text in the ANSI code page
// and lose every character outside it, so the path goes wide, with the
// extended-length prefix when it is too long for the plain form.

namespace scenario {

/// The separator the host's own paths use ('\\' on Windows), for names the
/// program joins itself. Windows also accepts '/', but an author reading a
/// path back expects the host's spelling.
char host_path_separator();

/// `path` in the host's own form, for opening streams. Not for
/// std::filesystem's queries: see below.
std::filesystem::path host_path(const std::string& path);

/// std::fopen for `path`; sets errno as it does.
std::FILE* open_host_file(const std::string& path, const char* mode);

/// std::remove for `path`; sets errno as it does.
int remove_host_file(const std::string& path);

// The questions below are asked here rather than of std::filesystem: on
// Windows its queries (status, exists, create_directories, permissions,
// file_size, equivalent, remove, rename) go through the C runtime's stat,
// and the msvcrt.dll that MinGW links refuses any path holding '?' as a
// wildcard. Every path with the extended-length prefix "\\?\" would look
// missing there. The Win32 unit asks the wide Win32 functions directly.

/// What `path` names on disk.
enum class HostEntry { kNone, kFile, kDirectory, kOther };

/// kNone when nothing by that name can be seen, kFile for an ordinary file,
/// kDirectory for a folder, kOther for the rest (a device, a pipe). Symbolic
/// links are followed on POSIX; on Windows the entry itself counts.
HostEntry host_entry(const std::string& path);

/// Creates `path` and the folders above it that are missing. An existing
/// folder is no error; an existing file of that name is.
std::error_code create_host_directories(const std::string& path);

/// Renames `from` to `to`, replacing a file `to` atomically where the host
/// can.
std::error_code rename_host_file(const std::string& from, const std::string& to);

/// Lets the file be started as a program: the execute bits on POSIX.
/// Windows decides that by the file's name, so there it does nothing.
std::error_code allow_host_execution(const std::string& path);

/// True when `a` and `b` name the same file (a link, another spelling);
/// false when either is missing.
bool same_host_file(const std::string& a, const std::string& b);

/// The names in folder `dir`, without "." and "..", in no particular order;
/// empty when it cannot be read.
std::vector<std::string> host_directory_names(const std::string& dir);

/// What tells a saved file without reading it: its last write time in the
/// host's own units, and its size.
struct HostFileStamp {
  int64_t written = 0;
  uint64_t size = 0;
  bool operator==(const HostFileStamp&) const = default;
};

/// Nothing when `path` is missing or is a folder.
std::optional<HostFileStamp> host_file_stamp(const std::string& path);

}  // namespace scenario
