#include "platform/host_path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/windows_path.h"
#include "support/scoped_temp_dir.h"

namespace scenario {
namespace {

using test_support::ScopedTempDir;

std::string joined(const std::string& dir, const std::string& name) {
  return dir + host_path_separator() + name;
}

bool write(const std::string& path, const std::string& bytes) {
  std::FILE* f = open_host_file(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

// A folder nested past the plain limit, so that on Windows every query goes
// through the extended-length form (Wine takes either; real Windows only
// that one, and the C runtime's stat neither).
std::string deep_folder(const std::string& root) {
  std::string dir = root;
  while (utf16_length(dir) <= kWindowsPlainPathLimit + 20) dir = joined(dir, std::string(40, 'd'));
  return joined(dir, "\xCE\xA3\xCE\xB5\xCE\xBD\xE4\xB8\xAD");  // "Σεν中"
}

TEST(HostPath, TellsFilesFoldersAndNothingApartAtAnyLength) {
  ScopedTempDir tmp;
  for (const std::string& dir : {joined(tmp.path(), "short"), deep_folder(tmp.path())}) {
    SCOPED_TRACE(dir.size());
    const std::string file = joined(dir, "LORVENA_linea.txt");
    EXPECT_EQ(host_entry(dir), HostEntry::kNone);
    EXPECT_TRUE(host_directory_names(dir).empty());
    ASSERT_FALSE(create_host_directories(dir)) << dir;
    // Again: a folder that is there already is no error.
    EXPECT_FALSE(create_host_directories(dir));
    EXPECT_EQ(host_entry(dir), HostEntry::kDirectory);
    EXPECT_EQ(host_entry(file), HostEntry::kNone);
    EXPECT_FALSE(host_file_stamp(file));
    ASSERT_TRUE(write(file, "abc"));
    EXPECT_EQ(host_entry(file), HostEntry::kFile);
    EXPECT_EQ(host_directory_names(dir), std::vector<std::string>{"LORVENA_linea.txt"});
    ASSERT_TRUE(host_file_stamp(file));
    EXPECT_EQ(host_file_stamp(file)->size, 3u);
    EXPECT_FALSE(host_file_stamp(dir));
    EXPECT_TRUE(same_host_file(file, joined(joined(dir, "."), "LORVENA_linea.txt")));
    EXPECT_FALSE(same_host_file(file, dir));

    // A file in a folder's place is refused, and so is a folder below it.
    EXPECT_TRUE(create_host_directories(file));
    EXPECT_TRUE(create_host_directories(joined(file, "below")));

    // Renaming replaces the target, as pack writes its output.
    const std::string part = file + ".part";
    ASSERT_TRUE(write(part, "defg"));
    ASSERT_FALSE(rename_host_file(part, file));
    EXPECT_EQ(host_entry(part), HostEntry::kNone);
    EXPECT_EQ(host_file_stamp(file)->size, 4u);
    EXPECT_FALSE(allow_host_execution(file));
    EXPECT_TRUE(rename_host_file(part, file));

    EXPECT_EQ(remove_host_file(file), 0);
    EXPECT_EQ(host_entry(file), HostEntry::kNone);
    EXPECT_FALSE(same_host_file(file, file));
  }
}

}  // namespace
}  // namespace scenario
