#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host_path.h"

namespace scenario {
namespace {

int number_for_errno(int err) {
  switch (err) {
    case ENOENT:
      return kErrFileNotFound;
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrPermissionDenied;
    case EIO:
    case ENOSPC:
      return kErrDeviceIo;
    default:
      return kErrPathFileAccess;
  }
}

[[noreturn]] void fail(const char* what, const std::string& path, int err) {
  throw FileError(number_for_errno(err),
                  std::string(what) + " '" + path + "': " + std::strerror(err));
}

// A FILE* that closes itself, so that every path out of a step closes what
// it opened.
struct File {
  std::FILE* f = nullptr;
  bool open = false;
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (open) std::fclose(f);
  }
  void set(std::FILE* file) {
    f = file;
    open = file != nullptr;
  }
  int close() {
    open = false;
    return std::fclose(f);
  }
};

// A directory in a file's place: the C runtimes disagree on the reason
// (POSIX says "is a directory", Windows "permission denied"), so it is told
// apart here and both builds report the same number.
void refuse_directory(const char* what, const std::string& path) {
  if (host_entry(path) == HostEntry::kDirectory) {
    throw FileError(kErrPathFileAccess, std::string(what) + " '" + path + "': is a directory");
  }
}

}  // namespace

bool DiskFileSystem::is_regular_file(const std::string& path) {
  return host_entry(path) == HostEntry::kFile;
}

std::string DiskFileSystem::read_file(const std::string& path) {
  refuse_directory("cannot open", path);
  File file;
  // Binary mode: the readers see the CR LF line ends themselves.
  file.set(open_host_file(path, "rb"));
  if (!file.open) fail("cannot open", path, errno);
  // Read straight into the string, sized from the file's length when it can
  // be told; a file that grows meanwhile is still read to its end.
  size_t chunk = 4096;
  if (std::fseek(file.f, 0, SEEK_END) == 0) {
    const long length = std::ftell(file.f);
    if (length > 0) chunk = static_cast<size_t>(length) + 1;
    std::rewind(file.f);
  }
  std::string content;
  for (;;) {
    const size_t before = content.size();
    content.resize(before + chunk);
    const size_t n = std::fread(content.data() + before, 1, chunk, file.f);
    content.resize(before + n);
    if (n < chunk) break;
  }
  if (std::ferror(file.f) != 0) fail("cannot read", path, EIO);
  return content;
}

void DiskFileSystem::replace_file(const std::string& path, std::string_view bytes) {
  refuse_directory("cannot create", path);
  {
    // Open for binary access creates the file without touching its content;
    // it fails here, before anything is deleted, when the directory does not
    // let us create or write the file.
    File probe;
    probe.set(open_host_file(path, "ab"));
    if (!probe.open) fail("cannot create", path, errno);
    if (probe.close() != 0) fail("cannot close", path, errno);
  }
  if (remove_host_file(path) != 0) fail("cannot delete", path, errno);
  File out;
  out.set(open_host_file(path, "wb"));
  if (!out.open) fail("cannot create", path, errno);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.f) != bytes.size()) {
    fail("cannot write", path, errno != 0 ? errno : EIO);
  }
  if (out.close() != 0) fail("cannot write", path, errno != 0 ? errno : EIO);
}

void DiskFileSystem::remove_file(const std::string& path) {
  if (remove_host_file(path) != 0) fail("cannot delete", path, errno);
}

}  // namespace scenario
